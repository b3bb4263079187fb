#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "server/game/RecordingListener.h"
#include "server/game/ServerMaps.h"
#include "server/game/MapRotation.h"
#include "server/game/Simulation.h"
#include "support/TempDir.h"
#include "world/Ship.h"

// A simulation on maps drawn as text, stepped by hand, without powerups
// dropping at random.
class SimulationTest : public ::testing::Test {
protected:
    static SimulationSettings Quiet() { return {.dropPowerups = false, .seed = 7}; }

    // Plays the maps named in a data folder, in the order given, afresh.
    void Play(const std::string& folder, const std::vector<std::string>& names, const SimulationSettings& settings)
    {
        events = RecordingListener();
        rotation = std::make_unique<MapRotation>(folder, names);
        simulation = std::make_unique<Simulation>(events, *rotation, settings);
        std::string reason;
        ASSERT_TRUE(simulation->Start(reason)) << reason;
    }

    // Plays the maps, each given as its rows, in the order given.
    void Play(const std::vector<std::pair<std::string, std::vector<std::string>>>& maps,
              const SimulationSettings& settings = Quiet())
    {
        std::vector<std::string> names;
        for (const auto& [name, rows] : maps) {
            WriteMap(data, name, rows);
            names.push_back(name);
        }
        Play(data.Path(), names, settings);
    }

    void Play(const std::vector<std::string>& rows, const SimulationSettings& settings = Quiet())
    {
        Play({{"Test", rows}}, settings);
    }

    Player& Pilot(const char* name = "Pilot") { return *simulation->AddPlayer(name, 0); }

    // A pilot put where the test wants it rather than on a spawn point.
    Player& Pilot(const char* name, double x, double y)
    {
        Player& player = Pilot(name);
        Place(player, x, y);
        return player;
    }

    static void Hold(Player& player, std::initializer_list<int> keys)
    {
        HeldKeys held;
        for (const int key : keys)
            held.Press(key);
        player.Hold(held);
    }

    // The keys held for a time.
    void Hold(Player& player, std::initializer_list<int> keys, int ms)
    {
        Hold(player, keys);
        Run(ms);
    }

    // Placed is not spawned: no free shield.
    static void Place(Player& player, double x, double y, float heading = 0.0f, Vector3 velocity = Vector3())
    {
        player.Controls().ShieldFor(0);
        Ship& ship = player.GetShip();
        ship.SetPosition(Vector3(x, y, 0.0));
        ship.SetHeading(heading);
        ship.SetVelocity(velocity);
    }

    void Run(int ms, int step = 10)
    {
        for (int t = 0; t < ms; t += step)
            simulation->Step(step);
    }

    // The key held for one tick, then let go.
    void Tap(Player& player, int key)
    {
        Hold(player, {key});
        simulation->Step(10);
        Hold(player, {});
    }

    // Where a cell's centre lies along either axis.
    static double Centre(int cell) { return cell * 32.0 + 16.0; }
    static std::pair<double, double> At(const Vector3& at) { return {at.x, at.y}; }
    static std::pair<double, double> At(const GameObject& object) { return At(object.Position()); }

    GameObject* Entity(const RecordingListener::Entity& recorded)
    {
        return simulation->GetWorld().FindEntity(recorded.id);
    }

    TempDir data;
    RecordingListener events;
    std::unique_ptr<MapRotation> rotation;
    std::unique_ptr<Simulation> simulation;
};
