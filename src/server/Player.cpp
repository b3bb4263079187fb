#include "server/Player.h"

#include <algorithm>

#include "world/Ship.h"

int Player::ShipId() const
{
    return ship->GetId();
}

const char* Player::Name() const
{
    return ship->Name() ? ship->Name() : "";
}

void Player::CoolDown(int ms)
{
    for (int* left : {&cooldowns.bullet, &cooldowns.missile, &cooldowns.mine, &cooldowns.plasmaMine,
                      &cooldowns.repulsor, &cooldowns.spawnShield})
        *left = std::max(0, *left - ms);
}
