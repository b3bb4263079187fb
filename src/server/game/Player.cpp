#include "server/game/Player.h"

#include "world/Ship.h"

int Player::ShipId() const
{
    return ship->GetId();
}

const char* Player::Name() const
{
    return ship->Name() ? ship->Name() : "";
}
