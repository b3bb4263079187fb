#include "world/ShipControls.h"

#include <algorithm>

#include "world/FuelCharge.h"
#include "world/Ship.h"
#include "world/Trig.h"

namespace {

// A point of the ship's own frame (nose towards +y) placed in the world.
Vector3 OnShip(const Ship& ship, const Vector3& offset)
{
    float x = static_cast<float>(offset.x);
    float y = static_cast<float>(offset.y);
    RotatePoint(x, y, WholeDegrees(ship.GetHeading()));
    return ship.Position() + Vector3(x, y, 0.0);
}

Vector3 MuzzleOf(const Ship& ship, Muzzle from)
{
    switch (from) {
    case Muzzle::Nose: return OnShip(ship, ship.NoseOffset());
    case Muzzle::Tail: return OnShip(ship, ship.NoseOffset() * -1.0);
    case Muzzle::Centre: break;
    }
    return ship.Position();
}

void Keep(Ship& ship, std::uint8_t flag, bool on)
{
    ship.SetFlags(on ? ship.GetFlags() | flag : ship.GetFlags() & static_cast<std::uint8_t>(~flag));
}

std::size_t SlotOf(GameKey key)
{
    return static_cast<std::size_t>(std::find(std::begin(kFireKeys), std::end(kFireKeys), key) - std::begin(kFireKeys));
}

// Degrees the held turn keys turn the ship in ms.
float Turned(const Ship& ship, const HeldKeys& keys, int ms)
{
    float turn = 0.0f;
    if (keys.Holds(kKeyTurnLeft))
        turn -= ship.GetTurnRate();
    if (keys.Holds(kKeyTurnRight))
        turn += ship.GetTurnRate();
    return turn * static_cast<float>(ms) / 1000.0f;
}

} // namespace

void ShipControls::Reload(int ms)
{
    for (int& left : reload)
        left = std::max(0, left - ms);
}

Launches ShipControls::Shoot(Ship& ship, const HeldKeys& keys, int ms, std::size_t room)
{
    Reload(ms);
    Launches fired;
    if (ship.IsAlive())
        Fire(ship, keys, room, fired);
    return fired;
}

Launches ShipControls::Step(Ship& ship, const HeldKeys& keys, int ms, FuelSource* fuel, std::size_t room)
{
    Reload(ms);
    freeShield = std::max(0, freeShield - ms);
    Launches fired;
    if (!ship.IsAlive())
        return fired;
    Fly(ship, keys, ms);
    if (fuel)
        Refuel(ship, *fuel, keys.Holds(kKeyFuelUp), ms);
    Fire(ship, keys, room, fired);
    return fired;
}

int ShipControls::ReloadLeft(GameKey key) const
{
    const std::size_t slot = SlotOf(key);
    return slot < reload.size() ? reload[slot] : 0;
}

void ShipControls::Fly(Ship& ship, const HeldKeys& keys, int ms)
{
    const float periods = static_cast<float>(ms) / kChargePeriodMs;
    if (const float turned = Turned(ship, keys, ms); turned != 0.0f)
        ship.SetHeading(ship.GetHeading() + turned);
    if (keys.Holds(kKeyThrust) && ship.UseFuel(kThrustCharge * periods))
        ship.Thrust(ms);
    Keep(ship, kFlagShield, freeShield > 0 || (keys.Holds(kKeyShields) && ship.UseFuel(kShieldCharge * periods)));
    Keep(ship, kFlagCloaked,
         keys.Holds(kKeyCloak) && ship.HasFlags(kFlagCloakDevice) && ship.UseFuel(kCloakCharge * periods));
}

void ShipControls::Refuel(Ship& ship, FuelSource& source, bool held, int ms)
{
    float got = 0.0f;
    int linkX = 0;
    int linkY = 0;
    if (held) {
        const float wanted =
            std::min(ship.GetMaxFuel() - ship.GetFuel(), kRefuelPerSecond * static_cast<float>(ms) / 1000.0f);
        got = source.Draw(ship, wanted, linkX, linkY);
        ship.SetFuel(std::min(ship.GetMaxFuel(), ship.GetFuel() + got));
    }
    Keep(ship, kFlagRefuelling, got > 0.0f);
    if (got > 0.0f)
        ship.SetFuelLink(linkX, linkY);
}

void ShipControls::Fire(Ship& ship, const HeldKeys& keys, std::size_t room, Launches& fired)
{
    for (std::size_t slot = 0; slot < reload.size(); ++slot) {
        const GameKey key = kFireKeys[slot];
        const WeaponRow* row = keys.Holds(key) && reload[slot] == 0 ? WeaponOn(ship, key) : nullptr;
        if (!row)
            continue;
        const std::size_t needs = row->PutsInWorld() ? static_cast<std::size_t>(row->shots) : 0;
        const bool stocked = row->ammunition == Ammunition::None || ship.Rounds(row->ammunition) > 0;
        if (!stocked || needs > room || !ship.UseFuel(row->fuel))
            continue;
        room -= needs;
        reload[slot] = row->reloadMs;
        ship.SetRounds(row->ammunition, static_cast<signed char>(ship.Rounds(row->ammunition) - 1));
        const Vector3 at = MuzzleOf(ship, row->from);
        for (int shot = 0; shot < row->shots; ++shot) {
            const float heading = ship.GetHeading() + row->spread * static_cast<float>(2 * shot - (row->shots - 1)) / 2.0f;
            fired.Add({row->weapon, at, ship.Velocity() * row->inherited + HeadingDirection(heading) * row->speed,
                       heading});
        }
    }
}
