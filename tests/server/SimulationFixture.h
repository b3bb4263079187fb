#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "server/MapRotation.h"
#include "server/Simulation.h"
#include "server/RecordingListener.h"
#include "server/ServerMaps.h"
#include "support/TempDir.h"
#include "world/Ship.h"

// A simulation on maps drawn as text, stepped by hand, without powerups
// dropping at random.
class SimulationTest : public ::testing::Test {
protected:
    static SimulationSettings Quiet()
    {
        SimulationSettings settings;
        settings.dropPowerups = false;
        settings.seed = 7;
        return settings;
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
        rotation = std::make_unique<MapRotation>(data.Path(), names);
        simulation = std::make_unique<Simulation>(events, *rotation, settings);
        std::string reason;
        ASSERT_TRUE(simulation->Start(reason)) << reason;
    }

    void Play(const std::vector<std::string>& rows, const SimulationSettings& settings = Quiet())
    {
        Play({{"Test", rows}}, settings);
    }

    Player& Pilot(const char* name = "Pilot", int shipType = 0)
    {
        return *simulation->AddPlayer(name, shipType);
    }

    static void Hold(Player& player, std::initializer_list<int> keys)
    {
        HeldKeys held;
        for (const int key : keys)
            held.Press(key);
        player.Hold(held);
    }

    static void Place(Player& player, double x, double y, float heading = 0.0f, Vector3 velocity = Vector3())
    {
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

    GameObject* Entity(const RecordingListener::Entity& recorded)
    {
        return simulation->GetWorld().FindEntity(recorded.id);
    }

    TempDir data;
    RecordingListener events;
    std::unique_ptr<MapRotation> rotation;
    std::unique_ptr<Simulation> simulation;
};
