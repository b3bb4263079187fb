#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "base/Console.h"
#include "net/NetClient.h"
#include "world/Ship.h"
#include "world/World.h"

// A test with the network client holding a world whose first ship is the
// local one, as in a game; searches stay on loopback.
class ClientWorldTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("QUILLROCK_LOOPBACK_ONLY", "1", 1);
        world = std::make_unique<World>();
        local = world->AddShip(std::make_unique<Ship>());
        local->SetName("Pilot");
        local->SetShipType(3);
        client = NetClient::Instance();
        client->SetWorld(world.get());
        Console::Instance()->Clear();
    }
    void TearDown() override
    {
        NetClient::Destroy();
        world.reset();
    }

    std::unique_ptr<World> world;
    Ship* local = nullptr;
    NetClient* client = nullptr;
};
