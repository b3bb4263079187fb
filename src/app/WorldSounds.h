#pragma once

#include <cstdint>
#include <vector>

#include "app/SoundQueue.h"
#include "world/Ammunition.h"

class World;
class Ship;

// Hears the world change: each look compares what the server has reported
// with the look before and queues a sound for each thing that happened,
// placed relative to the own ship. The first look after Forget only learns.
class WorldSounds {
public:
    static constexpr float kOriginReach = 120.0f; // a new shot is near what fired it
    static constexpr float kTouchReach = 64.0f;   // what ends at a ship ends on it

    WorldSounds();
    void Look(World& world, SoundQueue& queue);
    void Forget() { known = false; }
    // A sound at a point of the world, placed as the last look heard it.
    void Queue(SoundQueue& queue, SoundEvent event, float x, float y) const;

private:
    struct Seen {
        int id = 0;
        int type = 0;
        bool alive = false;
        bool expired = false;
        float x = 0.0f;
        float y = 0.0f;
        int origin = -1; // the ship heard firing it: its own shield does not ring
    };
    struct SeenShip {
        int id = 0;
        bool local = false;
        bool alive = false;
        std::uint8_t flags = 0;
        AmmunitionCounts<signed char> rounds {};
        float x = 0.0f, y = 0.0f, vx = 0.0f, vy = 0.0f;
    };

    void Collect(World& world);
    void CompareEntities(SoundQueue& queue);
    void CompareShips(SoundQueue& queue);
    void CompareTurrets(SoundQueue& queue);
    void Appeared(Seen& entity, SoundQueue& queue);
    void Ended(const Seen& entity, SoundQueue& queue);
    // The shortest offset on the wrapping map from one point to another.
    float OffsetX(float from, float to) const;
    float OffsetY(float from, float to) const;
    float Distance(float x0, float y0, float x1, float y1) const;
    // The living ship nearest a point within reach, but for one id, or null.
    const SeenShip* ShipNear(float x, float y, float reach, int except = -1) const;
    // Whether a living turret is nearer the point than shipDistance.
    bool TurretNearer(float x, float y, float shipDistance) const;

    std::vector<Seen> entities, entitiesBefore;
    std::vector<SeenShip> ships, shipsBefore;
    std::vector<Seen> turrets, turretsBefore;
    std::vector<int> tripleShooters; // ships heard firing three at once this look
    bool known = false;
    float worldWidth = 0.0f, worldHeight = 0.0f;
    float listenerX = 0.0f, listenerY = 0.0f;
};
