#include "world/World.h"

#include <algorithm>
#include <cstdio>

#include "base/ScopedLock.h"
#include "platform/PathResolver.h"
#include "world/Map.h"
#include "world/Ship.h"
#include "world/Torus.h"
#include "world/Turret.h"

namespace {

// The owning element of a list that holds object, or the list's end.
template <typename T, typename U>
auto Holding(std::vector<std::unique_ptr<T>>& list, const U* object)
{
    return std::find_if(list.begin(), list.end(), [object](const auto& held) { return held.get() == object; });
}

} // namespace

World::World() = default;
World::~World() = default;

void World::SetMap(std::unique_ptr<Map> newMap)
{
    ScopedLock lock(&entityLock);
    if (newMap)
        map = std::move(newMap);
}

Map* World::GetMap()
{
    ScopedLock lock(&entityLock);
    return map.get();
}

Ship* World::AddShip(std::unique_ptr<Ship> ship)
{
    if (!ship)
        return nullptr;
    ScopedLock lock(&entityLock);
    ships.push_back(std::move(ship));
    shipIndex.Add(ships.back().get());
    return ships.back().get();
}

void World::RemoveShip(Ship* ship)
{
    if (!ship)
        return;
    ScopedLock lock(&entityLock);
    const auto held = Holding(ships, ship);
    if (held == ships.end())
        return;
    shipIndex.Remove(ship);
    interpolation.Forget(ship->GetId());
    ships.erase(held);
}

Ship* World::FindShip(int id) const
{
    return shipIndex.Find(id);
}

void World::SetShipId(Ship* ship, int id)
{
    if (!ship)
        return;
    ScopedLock lock(&entityLock);
    if (Holding(ships, ship) == ships.end())
        return;
    shipIndex.Remove(ship);
    interpolation.Forget(ship->GetId());
    ship->SetId(id);
    shipIndex.Add(ship);
}

void World::MoveShipToFront(Ship* ship)
{
    if (!ship)
        return;
    ScopedLock lock(&entityLock);
    const auto held = Holding(ships, ship);
    if (held != ships.end())
        std::rotate(ships.begin(), held, held + 1);
}

Ship* World::FirstShip()
{
    ScopedLock lock(&entityLock);
    return ships.empty() ? nullptr : ships.front().get();
}

Ship* World::ShipsBegin()
{
    ScopedLock lock(&entityLock);
    return shipCursor.Begin(ships);
}

Ship* World::ShipsNext()
{
    ScopedLock lock(&entityLock);
    return shipCursor.Next(ships);
}

GameObject* World::AddEntity(std::unique_ptr<GameObject> entity, int id)
{
    if (!entity)
        return nullptr;
    ScopedLock lock(&entityLock);
    entity->SetId(id);
    entity->StartLife(now);
    entities.push_back(std::move(entity));
    entityIndex.Add(entities.back().get());
    return entities.back().get();
}

GameObject* World::FindEntity(int id) const
{
    return entityIndex.Find(id);
}

GameObject* World::EntitiesBegin()
{
    ScopedLock lock(&entityLock);
    return entityCursor.Begin(entities);
}

GameObject* World::EntitiesNext()
{
    ScopedLock lock(&entityLock);
    return entityCursor.Next(entities);
}

Turret* World::AddTurret(std::unique_ptr<Turret> turret)
{
    if (!turret)
        return nullptr;
    ScopedLock lock(&entityLock);
    turrets.push_back(std::move(turret));
    turretIndex.Add(turrets.back().get());
    return turrets.back().get();
}

Turret* World::FindTurret(int id) const
{
    return turretIndex.Find(id);
}

Turret* World::TurretsBegin()
{
    ScopedLock lock(&entityLock);
    return turretCursor.Begin(turrets);
}

Turret* World::TurretsNext()
{
    ScopedLock lock(&entityLock);
    return turretCursor.Next(turrets);
}

void World::RequestSnap()
{
    ScopedLock lock(&snapLock);
    snapPending = true;
}

void World::RequestSnap(int shipId)
{
    ScopedLock lock(&snapLock);
    snapShips.push_back(shipId);
}

bool World::LoadMap(const char* name)
{
    if (!name)
        return false;
    char path[1024] = {};
    std::snprintf(path, sizeof path, "Maps\\%s.smp", name);
    if (!platform::FileExists(path))
        return false;
    auto loaded = std::make_unique<Map>();
    loaded->Load(path);
    SetMap(std::move(loaded));
    return true;
}

bool World::LoadMapBytes(const std::vector<std::uint8_t>& bytes, const std::string& radarPicture)
{
    auto loaded = std::make_unique<Map>();
    if (!loaded->LoadFromBytes(bytes.data(), bytes.size()))
        return false;
    loaded->SetRadarPicture(radarPicture);
    SetMap(std::move(loaded));
    return true;
}

void World::ResetRound()
{
    ScopedLock lock(&entityLock);
    map.reset();
    entities.clear();
    entityIndex.Clear();
    turrets.clear();
    turretIndex.Clear();
    entityCursor.at = 0;
    turretCursor.at = 0;
    for (const auto& ship : ships) {
        ship->SetScore(0);
        ship->Kill();
    }
}

bool World::FindFuelTileNear(const Ship* ship, int& column, int& row)
{
    Map* current = GetMap();
    if (!ship || !current || current->Columns() <= 0 || current->Rows() <= 0)
        return false;
    const int reach = ship->GetFuelSearchRadius();
    const int columns = current->Columns();
    const int rows = current->Rows();
    // Positions on the torus lie within one world size; anything else is
    // first brought there, so the cell numbers stay small.
    const int c0 = static_cast<int>(WithinTwoTurns(ship->Position().x, current->WorldWidth()) / current->TileWidth());
    const int r0 = static_cast<int>(WithinTwoTurns(ship->Position().y, current->WorldHeight()) / current->TileHeight());
    for (int dc = -reach; dc <= reach; ++dc) {
        for (int dr = -reach; dr <= reach; ++dr) {
            if (current->CellKindAt(FoldCell(c0 + dc, columns), FoldCell(r0 + dr, rows)) != kCellFuel)
                continue;
            column = c0 + dc;
            row = r0 + dr;
            if (column > columns)
                column -= columns;
            if (column < 0)
                column += columns;
            if (row > rows)
                row -= rows;
            if (row < 0)
                row += rows;
            return true;
        }
    }
    return false;
}

template <typename T>
void World::Move(T* object, int worldWidth, int worldHeight, bool snap, int ms)
{
    Vector3 p = object->Position();
    Vector3 t = object->Target();
    if (snap) {
        object->SetPosition(t);
    } else {
        if (ms > 0)
            p = p + object->Velocity() * ms / 1000.0;
        // The target's image nearest to p, by whole world sizes.
        const int halfWidth = worldWidth / 2;
        const int halfHeight = worldHeight / 2;
        p.x = WithinTwoTurns(p.x, worldWidth);
        p.y = WithinTwoTurns(p.y, worldHeight);
        t.x = p.x + WithinTwoTurns(t.x - p.x, worldWidth);
        t.y = p.y + WithinTwoTurns(t.y - p.y, worldHeight);
        while (t.x - p.x > halfWidth)
            t.x -= worldWidth;
        while (t.x - p.x < -halfWidth)
            t.x += worldWidth;
        while (t.y - p.y > halfHeight)
            t.y -= worldHeight;
        while (t.y - p.y < -halfHeight)
            t.y += worldHeight;
        if (ms > 0)
            p = p + (t - p) * ms / 1000.0;
        object->SetPosition(p);
    }
    object->Wrap(worldWidth, worldHeight);
}

void World::Advance(int ms)
{
    if (ms > 0)
        now += static_cast<std::uint64_t>(ms);
}

void World::Sweep()
{
    ScopedLock lock(&entityLock);
    for (auto& entity : entities) {
        if (!entity->IsAlive()) {
            entityIndex.Remove(entity.get());
            entity.reset();
        }
    }
    std::erase(entities, nullptr);
}

void World::Update(int ms)
{
    Advance(ms);
    bool snap = false;
    {
        ScopedLock lock(&snapLock);
        snap = snapPending;
    }
    Map* current = GetMap();
    if (!current)
        return;
    const int worldWidth = current->WorldWidth();
    const int worldHeight = current->WorldHeight();
    // A map without a size has no torus to move on.
    if (worldWidth <= 0 || worldHeight <= 0)
        return;
    interpolation.SetWorldSize(worldWidth, worldHeight);
    Ship* local = FirstShip();
    std::vector<int> snapOnly;
    {
        ScopedLock lock(&snapLock);
        snapOnly.swap(snapShips);
    }

    for (Ship* ship = ShipsBegin(); ship; ship = ShipsNext()) {
        if (!ship->IsAlive())
            continue;
        if ((ship != local || !firstShipSteered) && !interpolation.Place(*ship, now))
            Move(ship, worldWidth, worldHeight,
                 snap || std::find(snapOnly.begin(), snapOnly.end(), ship->GetId()) != snapOnly.end(), ms);
        int column = 0;
        int row = 0;
        if (ship->HasFlags(kFlagRefuelling) && FindFuelTileNear(ship, column, row))
            ship->SetFuelLink(column * current->TileWidth() + current->TileWidth() / 2,
                              row * current->TileHeight() + current->TileHeight() / 2);
    }
    for (Turret* turret = TurretsBegin(); turret; turret = TurretsNext()) {
        if (turret->IsAlive())
            continue;
        turret->TickDead(ms);
        if (turret->ReadyToRespawn())
            turret->Respawn(0.0f, 0.0f);
    }
    for (GameObject* entity = EntitiesBegin(); entity; entity = EntitiesNext()) {
        if (entity->IsAlive())
            Move(entity, worldWidth, worldHeight, snap, ms);
    }
    if (local)
        current->SetPosition(local->Position());
    for (const auto& entity : entities)
        entity->Wrap(worldWidth, worldHeight);
    Sweep();

    ScopedLock lock(&snapLock);
    snapPending = false;
}
