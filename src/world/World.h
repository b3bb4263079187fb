#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/CriticalSection.h"
#include "world/IdIndex.h"
#include "world/ShipInterpolation.h"

class GameObject;
class Map;
class Ship;
class Turret;

// Everything in the running game on the player's side: the map, the ships
// (the local one first), the server-numbered moving entities and the
// turrets. Between the server's reports it moves everything by dead
// reckoning towards the last reported positions, but others' ships, which
// it draws between their reports a short delay behind. It keeps the game's own
// clock: whoever steps the world moves it on, and every lifetime reads it.
class World {
    template <typename T>
    using List = std::vector<std::unique_ptr<T>>;

public:
    // A read-only walk over a list that moves no cursor, so that any number
    // can run at once; for the thread that changes the world only.
    template <typename T>
    class View {
    public:
        class Iterator {
        public:
            explicit Iterator(typename List<T>::const_iterator at) : at(at) {}
            const T* operator*() const { return at->get(); }
            Iterator& operator++() { ++at; return *this; }
            bool operator==(const Iterator& other) const = default;

        private:
            typename List<T>::const_iterator at;
        };

        explicit View(const List<T>& list) : list(list) {}
        Iterator begin() const { return Iterator(list.begin()); }
        Iterator end() const { return Iterator(list.end()); }

    private:
        const List<T>& list;
    };

    World();
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // The World owns what it is given; each Add hands back the object it now
    // holds (null for null). A null map is ignored and the old one stays.
    void SetMap(std::unique_ptr<Map> newMap);
    Map* GetMap();

    Ship* AddShip(std::unique_ptr<Ship> ship);
    // Deletes the ship; a pointer the World does not hold is ignored.
    void RemoveShip(Ship* ship);
    Ship* FindShip(int id) const;
    // Gives a held ship a new id and files it under that one.
    void SetShipId(Ship* ship, int id);
    void MoveShipToFront(Ship* ship);
    Ship* FirstShip();
    Ship* ShipsBegin();
    Ship* ShipsNext();

    // The entity's life starts at the world's now.
    GameObject* AddEntity(std::unique_ptr<GameObject> entity, int id);
    GameObject* FindEntity(int id) const;
    GameObject* EntitiesBegin();
    GameObject* EntitiesNext();

    Turret* AddTurret(std::unique_ptr<Turret> turret);
    Turret* FindTurret(int id) const;
    Turret* TurretsBegin();
    Turret* TurretsNext();

    // At the next Update everything, or the one ship, is put where it was
    // last reported.
    void RequestSnap();
    void RequestSnap(int shipId);
    bool LoadMap(const char* name);
    // A map file's bytes, with the radar picture's file when it is not the
    // one the game finds by the map's name.
    bool LoadMapBytes(const std::vector<std::uint8_t>& bytes, const std::string& radarPicture);
    void ResetRound();
    bool FindFuelTileNear(const Ship* ship, int& column, int& row);
    // A frame of ms on the player's side: the clock moves on, everything
    // moves towards its reported place, dead turrets come back on their
    // own time, and the dead entities are swept away.
    void Update(int ms);
    // Whether the first ship is placed by its own pilot's prediction, and
    // not moved along with the others.
    void SteerFirstShip(bool steered) { firstShipSteered = steered; }
    // Others' ships with reports are drawn by this, not moved to their targets.
    ShipInterpolation& Interpolation() { return interpolation; }
    // Milliseconds the world has been stepped, from 0.
    std::uint64_t Now() const { return now; }
    void Advance(int ms);
    // Back to 0, for a game that starts over with nothing in it.
    void RewindClock() { now = 0; }
    // Deletes the entities that have died.
    void Sweep();

    View<Ship> Ships() const { return View<Ship>(ships); }
    View<GameObject> Entities() const { return View<GameObject>(entities); }
    View<Turret> Turrets() const { return View<Turret>(turrets); }

    std::size_t ShipCount() const { return ships.size(); }
    std::size_t EntityCount() const { return entities.size(); }
    std::size_t TurretCount() const { return turrets.size(); }

private:
    // One walk at a time over a list: Begin moves to the first element,
    // Next yields it and moves on, and at the end starts over.
    template <typename T>
    struct Cursor {
        std::size_t at = 0;
        T* Begin(const List<T>& list) { at = 0; return Next(list); }
        T* Next(const List<T>& list)
        {
            if (at < list.size())
                return list[at++].get();
            at = 0;
            return nullptr;
        }
    };

    template <typename T>
    void Move(T* object, int worldWidth, int worldHeight, bool snap, int ms);

    // Declared first, so everything placed on the map goes before it.
    std::unique_ptr<Map> map;
    List<Ship> ships;
    List<GameObject> entities;
    List<Turret> turrets;
    IdIndex<Ship> shipIndex;
    IdIndex<GameObject> entityIndex;
    IdIndex<Turret> turretIndex;
    Cursor<Ship> shipCursor;
    Cursor<GameObject> entityCursor;
    Cursor<Turret> turretCursor;
    CriticalSection entityLock;
    CriticalSection snapLock;
    bool snapPending = false;
    std::vector<int> snapShips;
    bool firstShipSteered = false;
    ShipInterpolation interpolation;
    std::uint64_t now = 0;
};
