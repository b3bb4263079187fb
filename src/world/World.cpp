#include "world/World.h"

#include <algorithm>
#include <cstdio>
#include <unordered_set>

#include "base/ScopedLock.h"
#include "platform/PathResolver.h"
#include "world/Map.h"
#include "world/Ship.h"
#include "world/Torus.h"
#include "world/Turret.h"

namespace {

// Deletes each distinct object of a list once and empties the list.
template <typename T>
void DeleteAll(std::vector<T*>& list)
{
    std::unordered_set<T*> seen;
    for (T* object : list) {
        if (object && seen.insert(object).second)
            delete object;
    }
    list.clear();
}

template <typename T>
void EraseAll(std::vector<T*>& list, const T* object)
{
    list.erase(std::remove(list.begin(), list.end(), object), list.end());
}

} // namespace

World::World() = default;

World::~World()
{
    DeleteAll(ships);
    DeleteAll(entities);
    DeleteAll(turrets);
}

void World::SetMap(Map* newMap)
{
    ScopedLock lock(&entityLock);
    if (newMap && newMap != map.get())
        map.reset(newMap);
}

Map* World::GetMap()
{
    ScopedLock lock(&entityLock);
    return map.get();
}

void World::AddShip(Ship* ship)
{
    if (!ship)
        return;
    ScopedLock lock(&entityLock);
    ships.push_back(ship);
}

void World::RemoveShip(Ship* ship)
{
    if (!ship)
        return;
    ScopedLock lock(&entityLock);
    delete ship;
    EraseAll(ships, ship);
}

Ship* World::FindShip(int id) const
{
    for (Ship* ship : ships) {
        if (ship && ship->GetId() == id)
            return ship;
    }
    return nullptr;
}

void World::MoveShipToFront(Ship* ship)
{
    if (!ship)
        return;
    ScopedLock lock(&entityLock);
    EraseAll(ships, ship);
    ships.insert(ships.begin(), ship);
}

Ship* World::FirstShip()
{
    ScopedLock lock(&entityLock);
    return ships.empty() ? nullptr : ships.front();
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

void World::AddEntity(GameObject* entity, int id)
{
    if (!entity)
        return;
    ScopedLock lock(&entityLock);
    entity->SetId(id);
    entities.push_back(entity);
    entityIndex[id].push_back(entity);
}

GameObject* World::FindEntity(int id) const
{
    const auto found = entityIndex.find(id);
    return found == entityIndex.end() || found->second.empty() ? nullptr : found->second.front();
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

void World::AddTurret(Turret* turret)
{
    if (!turret)
        return;
    ScopedLock lock(&entityLock);
    turrets.push_back(turret);
    turretIndex[turret->GetId()].push_back(turret);
}

Turret* World::FindTurret(int id) const
{
    const auto found = turretIndex.find(id);
    return found == turretIndex.end() || found->second.empty() ? nullptr : found->second.front();
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
    SetMap(loaded.release());
    return true;
}

void World::ResetRound()
{
    ScopedLock lock(&entityLock);
    map.reset();
    DeleteAll(entities);
    entityIndex.clear();
    DeleteAll(turrets);
    turretIndex.clear();
    entityCursor.at = 0;
    turretCursor.at = 0;
    for (Ship* ship : ships) {
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

void World::Unindex(GameObject* entity)
{
    const auto found = entityIndex.find(entity->GetId());
    if (found == entityIndex.end())
        return;
    EraseAll(found->second, entity);
    if (found->second.empty())
        entityIndex.erase(found);
}

void World::Update(int ms)
{
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
    Ship* local = FirstShip();

    for (Ship* ship = ShipsBegin(); ship; ship = ShipsNext()) {
        if (!ship->IsAlive())
            continue;
        Move(ship, worldWidth, worldHeight, snap, ms);
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
    for (GameObject* entity : entities)
        entity->Wrap(worldWidth, worldHeight);

    for (GameObject*& entity : entities) {
        if (!entity->IsAlive()) {
            Unindex(entity);
            delete entity;
            entity = nullptr;
        }
    }
    EraseAll(entities, static_cast<GameObject*>(nullptr));
    EraseAll(ships, static_cast<Ship*>(nullptr));

    ScopedLock lock(&snapLock);
    snapPending = false;
}
