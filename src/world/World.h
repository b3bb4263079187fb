#pragma once

#include <cstddef>
#include <memory>
#include <unordered_map>
#include <vector>

#include "base/CriticalSection.h"

class GameObject;
class Map;
class Ship;
class Turret;

// Everything in the running game on the player's side: the map, the ships
// (the local one first), the server-numbered moving entities and the
// turrets. Between the server's reports it moves everything by dead
// reckoning towards the last reported positions.
class World {
public:
    World();
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    void SetMap(Map* newMap);
    Map* GetMap();

    void AddShip(Ship* ship);
    // Deletes the ship and drops every element that holds it.
    void RemoveShip(Ship* ship);
    Ship* FindShip(int id) const;
    void MoveShipToFront(Ship* ship);
    Ship* FirstShip();
    Ship* ShipsBegin();
    Ship* ShipsNext();

    void AddEntity(GameObject* entity, int id);
    GameObject* FindEntity(int id) const;
    GameObject* EntitiesBegin();
    GameObject* EntitiesNext();

    void AddTurret(Turret* turret);
    Turret* FindTurret(int id) const;
    Turret* TurretsBegin();
    Turret* TurretsNext();

    void RequestSnap();
    bool LoadMap(const char* name);
    void ResetRound();
    bool FindFuelTileNear(const Ship* ship, int& column, int& row);
    void Update(int ms);

    std::size_t ShipCount() const { return ships.size(); }
    std::size_t EntityCount() const { return entities.size(); }
    std::size_t TurretCount() const { return turrets.size(); }

private:
    // One walk at a time over a list: Begin moves to the first element,
    // Next yields it and moves on, and at the end starts over.
    template <typename T>
    struct Cursor {
        std::size_t at = 0;
        T* Begin(const std::vector<T*>& list) { at = 0; return Next(list); }
        T* Next(const std::vector<T*>& list)
        {
            if (at < list.size())
                return list[at++];
            at = 0;
            return nullptr;
        }
    };

    template <typename T>
    void Move(T* object, int worldWidth, int worldHeight, bool snap, int ms);
    void Unindex(GameObject* entity);

    std::unique_ptr<Map> map;
    // Lists hold the objects they own by plain pointer, in order; a ship may
    // be listed twice, so ships are deleted once each (see the destructor).
    std::vector<Ship*> ships;
    std::vector<GameObject*> entities;
    std::vector<Turret*> turrets;
    // Id look-ups without a walk: each id's objects in list order.
    std::unordered_map<int, std::vector<GameObject*>> entityIndex;
    std::unordered_map<int, std::vector<Turret*>> turretIndex;
    Cursor<Ship> shipCursor;
    Cursor<GameObject> entityCursor;
    Cursor<Turret> turretCursor;
    CriticalSection entityLock;
    CriticalSection snapLock;
    bool snapPending = false;
};
