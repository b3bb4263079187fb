#pragma once

#include <cstdint>
#include <vector>

#include "base/TrackedBuffer.h"
#include "world/Ammunition.h"
#include "world/GameObject.h"
#include "world/Team.h"

// Drawing labels other players' ships with their names when set (F11).
extern bool showPlayerNames;

// Status bits of a ship.
enum ShipFlag : std::uint8_t {
    kFlagRefuelling = 0x01,
    kFlagLargeTank = 0x02,
    kFlagTripleShot = 0x04,
    kFlagCloakDevice = 0x08,
    kFlagShield = 0x10,
    kFlagCloaked = 0x20,
};

// One player's craft: name, score, fuel, ammunition, status flags, one of
// six hull designs, and an octagonal outline used while the shield is up.
class Ship : public GameObject {
public:
    static constexpr int kDesigns = 6;
    static constexpr float kStandardTank = 100.0f;
    static constexpr float kLargeTank = 200.0f;
    // Half the side of the square every design's hull keeps within, turned
    // any way, with a pixel to spare: the room a ship needs from a wall.
    static constexpr double kHalfSize = 14.0;

    Ship();

    bool LoadTextures() override;
    bool Draw(int camX, int camY) override;
    void OnHit(GameObject* other) override;
    void Respawn(float x, float y) override;
    bool Collides(GameObject* other, float worldWidth, float worldHeight) override;

    void SetShipType(int t);
    int GetShipType() const { return shipType; }
    // The picture of a design; unknown designs show the first one.
    static const char* PictureOf(int design);

    float GetFuel() const { return fuel; }
    void SetFuel(float v);
    float GetMaxFuel() const { return maxFuel; }
    void SetMaxFuel(float v);
    // Takes cost from the tank; false, taking nothing, when it holds less.
    bool UseFuel(float cost);

    signed char GetScore() const { return score; }
    void SetScore(signed char v);
    std::uint8_t GetFlags() const { return flags; }
    void SetFlags(std::uint8_t value) { flags = value; }
    void AddFlags(std::uint8_t mask) { flags |= mask; }
    void ClearFlags() { flags = 0; }
    bool HasFlags(signed char mask) const { return (flags & static_cast<std::uint8_t>(mask)) != 0; }
    bool IsShielded() const { return HasFlags(kFlagShield); }

    // Always 0 for None.
    signed char Rounds(Ammunition kind) const
    {
        return kind == Ammunition::None ? 0 : rounds[static_cast<std::size_t>(kind)];
    }
    void SetRounds(Ammunition kind, signed char n)
    {
        if (kind != Ammunition::None)
            rounds[static_cast<std::size_t>(kind)] = n;
    }

    void SetName(const char* newName);
    void GetName(char* buffer, int size) const;
    const char* Name() const { return name.Empty() ? nullptr : name.Text(); }

    // The side the server says the ship plays for; None outside team games.
    Team GetTeam() const { return team; }
    void SetTeam(Team newTeam) { team = newTeam; }

    void SetFuelLink(int x, int y)
    {
        fuelLinkX = x;
        fuelLinkY = y;
    }
    int FuelLinkX() const { return fuelLinkX; }
    int FuelLinkY() const { return fuelLinkY; }
    int GetFuelSearchRadius() const { return fuelSearchRadius; }
    void SetLocal(bool local) { isLocal = local; }
    bool IsLocal() const { return isLocal; }
    const Vector3& NoseOffset() const { return noseOffset; }

    const std::vector<Polygon>& ShieldHull() const { return shieldHull; }

private:
    void TakePowerup(int kind);

    int shipType = 0;
    float fuel = 0.0f;
    float maxFuel = 0.0f;
    Vector3 noseOffset;
    TrackedBuffer name;
    signed char score = 0;
    std::uint8_t flags = 0;
    Team team = Team::None;
    AmmunitionCounts<signed char> rounds {};
    int fuelLinkX = 0;
    int fuelLinkY = 0;
    int fuelSearchRadius = 0;
    bool isLocal = false;
    std::vector<Polygon> shieldHull;
};
