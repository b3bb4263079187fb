#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "base/Console.h"
#include "net/MessageBatch.h"
#include "net/NetClient.h"
#include "net/PackedBatch.h"
#include "platform/Clock.h"
#include "support/Keys.h"
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

    // Lets the client work, a turn of the player's loop at a time, until the
    // condition holds or the time is up: by default enough for a machine
    // three times slower than one where it holds within a second or three.
    template <typename Condition>
    bool WorkUntil(Condition condition, std::uint32_t ms = 9000)
    {
        const std::uint32_t start = platform::TickCount();
        while (!condition() && platform::TickCount() - start < ms)
            Turn();
        return condition();
    }
    virtual void Turn()
    {
        client->DoWork(10);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }

    // Searches the port and asks the host whose name starts the request to
    // take the player.
    bool JoinHost(const char* name, std::uint16_t port)
    {
        client->SetPort(port);
        client->EnumHosts();
        client->SelectHost(name);
        return client->Connect();
    }

    // A host as the last search listed it.
    struct Listed {
        std::string name;
        int maxPlayers = 0;
        int currentPlayers = -1;
        bool operator==(const Listed&) const = default;
        friend void PrintTo(const Listed& l, std::ostream* out)
        {
            *out << '"' << l.name << "\" " << l.currentPlayers << " of " << l.maxPlayers;
        }
    };
    Listed FirstListed()
    {
        Listed listed;
        char name[64] = {};
        client->HostsBegin();
        client->HostsNext(name, sizeof name, listed.maxPlayers, listed.currentPlayers);
        listed.name = name;
        return listed;
    }

    // Hands the client the messages as one payload, as a server sends them;
    // returns the payload's size.
    std::size_t Hand(const std::vector<const NetMessage*>& messages) { return HandPayload(PackedBatch::Pack(messages)); }
    std::size_t HandPayload(const std::vector<std::uint8_t>& payload)
    {
        MessageBatch batch;
        batch.ParsePacked(payload.data(), payload.size());
        client->HandleBatch(batch);
        return payload.size();
    }

    static bool ConsoleHas(const std::string& line) { return std::ranges::count(ConsoleLines(), line) > 0; }

    std::unique_ptr<World> world;
    Ship* local = nullptr;
    NetClient* client = nullptr;
};
