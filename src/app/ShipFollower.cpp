#include "app/ShipFollower.h"

#include <algorithm>
#include <cstddef>

#include "world/Ship.h"
#include "world/World.h"

void ShipFollower::Look(World& newWorld)
{
    world = &newWorld;
    followed = -1;
}

void ShipFollower::Keep(int wanted)
{
    if (!world)
        return;
    if (chosen >= 0 && world->FindShip(chosen))
        wanted = chosen;
    if (wanted < 0)
        FollowLeader();
    else if (Ship* ship = world->FindShip(wanted); ship && wanted != followed)
        FollowShip(ship);
}

const Ship* ShipFollower::FollowedShip() const
{
    return world ? world->FindShip(followed) : nullptr;
}

void ShipFollower::FollowLeader()
{
    // The best score, a ship alive before a wreck, the first to come; the
    // followed ship keeps the camera while its score shares the lead.
    const auto ahead = [](const Ship* a, const Ship* b) {
        if (a->GetScore() != b->GetScore())
            return a->GetScore() > b->GetScore();
        if (a->IsAlive() != b->IsAlive())
            return a->IsAlive();
        return a->GetId() < b->GetId();
    };
    // Once a frame: the world's own list, no copy; ahead() breaks ties by id.
    Ship* leader = nullptr;
    for (Ship* ship = world->ShipsBegin(); ship; ship = world->ShipsNext()) {
        if (!leader || ahead(ship, leader))
            leader = ship;
    }
    const Ship* current = world->FindShip(followed);
    if (leader && (!current || current->GetScore() < leader->GetScore()))
        FollowShip(leader);
}

void ShipFollower::FollowShip(Ship* ship)
{
    followed = ship->GetId();
    // The followed ship heads the list; the others keep the order they
    // came in, whoever was followed before.
    const std::vector<Ship*> ships = ShipsById();
    for (auto it = ships.rbegin(); it != ships.rend(); ++it)
        world->MoveShipToFront(*it);
    world->MoveShipToFront(ship);
}

std::vector<Ship*> ShipFollower::ShipsById() const
{
    std::vector<Ship*> ships;
    for (Ship* ship = world->ShipsBegin(); ship; ship = world->ShipsNext())
        ships.push_back(ship);
    std::sort(ships.begin(), ships.end(), [](const Ship* a, const Ship* b) { return a->GetId() < b->GetId(); });
    return ships;
}

void ShipFollower::Follow(int step)
{
    if (!world)
        return;
    // By id, so that Tab goes round every ship and Shift+Tab back; past
    // wrecks and ships not yet in play, whose camera shows an empty field.
    const std::vector<Ship*> ships = ShipsById();
    const auto at = std::find_if(ships.begin(), ships.end(), [&](const Ship* ship) { return ship->GetId() == followed; });
    const std::ptrdiff_t count = static_cast<std::ptrdiff_t>(ships.size());
    const std::ptrdiff_t from = at == ships.end() ? (step > 0 ? -1 : 0) : at - ships.begin();
    for (std::ptrdiff_t turn = 1; turn <= count; ++turn) {
        Ship* next = ships[static_cast<std::size_t>(((from + step * turn) % count + count) % count)];
        if (next->IsAlive()) {
            chosen = next->GetId();
            FollowShip(next);
            return;
        }
    }
}
