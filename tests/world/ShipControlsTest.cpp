#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

#include "support/Holding.h"
#include "world/Powerup.h"
#include "world/Ship.h"
#include "world/ShipControls.h"
#include "world/Trig.h"

namespace {

Ship Alive()
{
    Ship ship;
    ship.ForceRespawn(100.0f, 100.0f);
    return ship;
}

// Steps ms in steps of 10 and counts what was fired.
std::size_t Fly(ShipControls& controls, Ship& ship, const HeldKeys& keys, int ms)
{
    std::size_t fired = 0;
    for (int t = 0; t < ms; t += 10)
        fired += controls.Step(ship, keys, 10).size();
    return fired;
}

// What the rest of the game reads off a row: every kind of rounds is one
// weapon's, given by a pickup, and each weapon with a pickup has an icon of
// its own in the inventory.
TEST(Weapons, EveryRowIsWhollyFilledIn)
{
    std::set<Ammunition> kinds;
    std::set<std::pair<int, int>> places;
    for (const WeaponRow& row : kWeapons) {
        SCOPED_TRACE(static_cast<int>(row.weapon));
        EXPECT_EQ(row.pickup >= 0, row.needs != 0 || row.ammunition != Ammunition::None) << "a pickup gives it";
        EXPECT_LT(row.pickup, Powerup::kKinds);
        EXPECT_TRUE(row.pickup < 0 || places.insert({row.icon.x, row.icon.y}).second) << "an icon of its own";
        EXPECT_EQ(row.robot.moment == Moment::Aimed, row.ammunition == Ammunition::None) << "robots spend rounds";
        if (row.ammunition == Ammunition::None)
            continue;
        EXPECT_TRUE(kinds.insert(row.ammunition).second) << "one weapon a kind";
        EXPECT_TRUE(row.perPickup > 0 && row.most >= row.perPickup);
    }
    EXPECT_EQ(kinds.size(), kAmmunitionKinds) << "every kind is fired";
    for (const GameKey key : kFireKeys) {
        const auto named = [&](const WeaponRow& row) { return row.key == key && row.action; };
        EXPECT_EQ(std::ranges::count_if(kWeapons, named), 1) << "one name a key: " << key;
    }
}

TEST(ShipControls, EachWeaponSpendsWhatItsRowSaysAndWaitsOutItsReload)
{
    for (const WeaponRow& row : kWeapons) {
        SCOPED_TRACE(static_cast<int>(row.weapon));
        Ship ship = Alive();
        ship.AddFlags(row.needs);
        ship.SetRounds(row.ammunition, 2);
        ship.SetMaxFuel(Ship::kLargeTank);
        ship.SetFuel(Ship::kLargeTank); // two plasma mines' worth
        ShipControls controls;
        const HeldKeys keys = Holding({row.key});
        const Launches first = controls.Step(ship, keys, 10);
        ASSERT_EQ(first.size(), static_cast<std::size_t>(row.shots));
        EXPECT_EQ(first.begin()->weapon, row.weapon);
        EXPECT_FLOAT_EQ(ship.GetFuel(), Ship::kLargeTank - row.fuel);
        EXPECT_EQ(ship.Rounds(row.ammunition), row.ammunition == Ammunition::None ? 0 : 1);
        EXPECT_EQ(Fly(controls, ship, keys, row.reloadMs - 10), 0u) << "reloading";
        EXPECT_EQ(Fly(controls, ship, keys, 10), first.size()) << "reloaded";
    }
}

TEST(ShipControls, AFiringThatCannotBePaidOrPlacedSpendsNothing)
{
    Ship ship = Alive();
    ShipControls controls;
    EXPECT_EQ(controls.Step(ship, Holding({kKeyMissile, kKeyMine}), 10).size(), 0u) << "no rounds";
    ship.AddFlags(kFlagTripleShot);
    ship.SetRounds(Ammunition::Repulsors, 1);
    const Launches pushed = controls.Step(ship, Holding({kKeyFire, kKeyRepulsor}), 10, nullptr, 2);
    ASSERT_EQ(pushed.size(), 1u) << "three bullets do not fit in room for two; the push needs none";
    EXPECT_EQ(pushed.begin()->weapon, Weapon::Repulsor);
    EXPECT_EQ(controls.ReloadLeft(kKeyFire), 0);
    EXPECT_FLOAT_EQ(ship.GetFuel(), 70.0f);

    ship.SetRounds(Ammunition::PlasmaMines, 1);
    ship.SetFuel(60.0f);
    EXPECT_EQ(controls.Step(ship, Holding({kKeyPlasmaMine}), 10).size(), 0u);
    EXPECT_EQ(std::tuple(ship.GetFuel(), ship.Rounds(Ammunition::PlasmaMines), controls.ReloadLeft(kKeyPlasmaMine)),
              std::tuple(60.0f, 1, 0)) << "too little fuel: the mine is kept and the key not reloading";
}

TEST(ShipControls, ShotsFanFromTheNoseOnTheShipsVelocityAndMinesDropBehind)
{
    Ship ship = Alive();
    ship.SetHeading(90.0f);
    ship.SetVelocity(Vector3(0, 100, 0));
    ship.AddFlags(kFlagTripleShot);
    ship.SetRounds(Ammunition::Mines, 1);
    ShipControls controls;
    const std::vector<LaunchRequest> fired = [&] {
        const Launches launches = controls.Step(ship, Holding({kKeyFire, kKeyMine}), 10);
        return std::vector<LaunchRequest>(launches.begin(), launches.end());
    }();
    ASSERT_EQ(fired.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(fired[i].heading, 80.0f + 10.0f * static_cast<float>(i));
        const Vector3 own = fired[i].velocity - Vector3(0, 100, 0);
        EXPECT_NEAR(own.x, HeadingDirection(fired[i].heading).x * 500.0, 1e-6);
        EXPECT_NEAR(own.y, HeadingDirection(fired[i].heading).y * 500.0, 1e-6);
    }
    EXPECT_LT(fired[0].at.x, 90.0) << "the nose of a ship heading 90, along -x";
    EXPECT_GT(fired[3].at.x, 110.0) << "the mine from the tail";
    EXPECT_NEAR(fired[3].velocity.y, 50.0, 1e-6) << "with half the ship's velocity";
}

TEST(ShipControls, ThrustShieldAndCloakSpendFuelPerHeldTimeAndAnEmptyTankStopsThem)
{
    Ship ship = Alive();
    ShipControls controls;
    Fly(controls, ship, Holding({kKeyThrust, kKeyCloak}), 1000);
    EXPECT_NEAR(ship.GetFuel(), 95.0f, 1e-3f) << "5 a second; no cloak without the device";
    EXPECT_NEAR(ship.Velocity().y, 700.0, 1e-3);
    EXPECT_FALSE(ship.HasFlags(kFlagCloaked));
    ship.AddFlags(kFlagCloakDevice);
    controls.Step(ship, Holding({kKeyShields, kKeyCloak}), 500);
    EXPECT_NEAR(ship.GetFuel(), 89.5f, 1e-3f) << "10 and 1 a second";
    EXPECT_TRUE(ship.IsShielded() && ship.HasFlags(kFlagCloaked));

    ship.SetFuel(0.0f);
    ship.SetVelocity(Vector3());
    const Launches none = controls.Step(ship, Holding({kKeyThrust, kKeyShields, kKeyCloak, kKeyFire}), 10);
    EXPECT_EQ(std::tuple(ship.Velocity().y, ship.IsShielded(), ship.HasFlags(kFlagCloaked), none.size()),
              std::tuple(0.0, false, false, 0u)) << "an empty tank neither thrusts, shields, cloaks nor shoots";
}

TEST(ShipControls, RefuellingTakesWhatTheTankHoldsAtItsRateAndADeadShipOnlyReloads)
{
    struct Block final : FuelSource {
        float Draw(const Ship&, float wanted, int& x, int& y) override
        {
            asked.push_back(wanted);
            x = 48;
            y = 80;
            return full ? 0.0f : wanted;
        }
        std::vector<float> asked;
        bool full = false;
    } block;
    Ship ship = Alive();
    ship.SetFuel(95.0f);
    ShipControls controls;
    controls.Step(ship, Holding({kKeyFuelUp}), 100, &block);
    controls.Step(ship, Holding({kKeyFuelUp}), 100, &block);
    EXPECT_EQ(block.asked, (std::vector<float>{4.0f, 1.0f})) << "40 a second, no more than the tank takes";
    EXPECT_EQ(std::tuple(ship.GetFuel(), ship.HasFlags(kFlagRefuelling), ship.FuelLinkX(), ship.FuelLinkY()),
              std::tuple(100.0f, true, 48, 80));
    block.full = true;
    controls.Step(ship, Holding({kKeyFuelUp}), 100, &block);
    EXPECT_FALSE(ship.HasFlags(kFlagRefuelling));

    controls.Step(ship, Holding({kKeyFire}), 10);
    ship.Kill();
    EXPECT_EQ(controls.Step(ship, Holding({kKeyFire}), 200).size(), 0u);
    EXPECT_EQ(std::tuple(controls.ReloadLeft(kKeyFire), ship.GetFuel()), std::tuple(0, 100.0f - 0.05f));
}

} // namespace
