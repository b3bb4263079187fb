#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "net/MessageBatch.h"
#include "server/Announcer.h"
#include "server/MapRotation.h"
#include "server/Reporter.h"
#include "server/ServerLog.h"
#include "server/Simulation.h"
#include "world/Ship.h"

namespace {

// The whole game without a network, the way the server runs it, under a
// crowd that holds keys at random, comes and goes, while maps change. What
// each player is told is followed as its program would follow it.
class GameSoak : public ::testing::Test {
protected:
    struct Follower {
        std::set<int> entities; // what this player's program holds
        std::size_t bytes = 0;
    };

    void Join(int n)
    {
        Player* player = simulation.AddPlayer("Pilot " + std::to_string(n), n % Ship::kDesigns);
        ASSERT_NE(player, nullptr);
        reporter.AddShip(player->Slot(), &player->GetShip(), true);
        followers[player->Slot()] = Follower();
        pilots.push_back(player);
    }

    void Leave(std::size_t which)
    {
        Player* player = pilots[which];
        reporter.RemoveShip(player->Slot());
        followers.erase(player->Slot());
        simulation.RemovePlayer(player);
        pilots.erase(pilots.begin() + static_cast<std::ptrdiff_t>(which));
    }

    void Tick(int ms)
    {
        simulation.Step(ms);
        reporter.Tick(ms);
        reporter.Flush([&](int slot, const std::vector<std::uint8_t>& payload, bool) {
            Follower& follower = followers.at(slot);
            follower.bytes += payload.size();
            MessageBatch batch;
            batch.Parse(payload.data(), payload.size());
            ASSERT_EQ(batch.Parsed(), batch.Count());
            for (NetMessage* message = batch.Begin(); message; message = batch.Next()) {
                int id = 0;
                message->GetId(id);
                if (message->Kind() == kMsgMap)
                    follower.entities.clear();
                else if (message->Kind() == kMsgEntityState)
                    follower.entities.insert(id);
                else if (message->Kind() == kMsgEntityKilled) {
                    EXPECT_EQ(follower.entities.erase(id), 1u) << "killed only what it was told of";
                }
            }
        });
    }

    void HoldAtRandom()
    {
        std::uniform_int_distribution<int> code(7, 17);
        for (Player* pilot : pilots) {
            HeldKeys keys;
            for (int i = 0; i < 4; ++i)
                keys.Press(code(random));
            pilot->Hold(keys);
            Ship& ship = pilot->GetShip();
            ship.SetMissiles(6);
            ship.SetMines(4);
            ship.SetPlasmaMines(1);
            ship.SetRepulsors(5);
            ship.AddFlags(kFlagCloakDevice | kFlagTripleShot);
        }
    }

    ServerLog log {nullptr};
    Reporter reporter;
    Announcer announcer {reporter, log};
    MapRotation rotation {QR_DATA_DIR, {"Arena", "Warren", "Expanse"}};
    Simulation simulation {announcer, rotation, {.roundMs = 20000, .seed = 3}};
    std::map<int, Follower> followers;
    std::vector<Player*> pilots;
    std::mt19937 random {17};
};

TEST_F(GameSoak, ACrowdFightsThroughRoundsAndEveryPlayerSeesAConsistentWorld)
{
    std::string reason;
    ASSERT_TRUE(simulation.Start(reason)) << reason;
    for (int n = 0; n < 12; ++n)
        Join(n);
    int joined = 12;
    for (int tick = 0; tick < 60 * 90; ++tick) {
        if (tick % 30 == 0)
            HoldAtRandom();
        if (tick % 700 == 350 && !pilots.empty())
            Leave(static_cast<std::size_t>(tick) % pilots.size());
        if (tick % 700 == 500)
            Join(joined++);
        if (tick == 60 * 45) {
            ASSERT_TRUE(simulation.ChangeMap("Warren", reason)) << reason;
        }
        Tick(tick % 3 == 0 ? 17 : 16);
        ASSERT_LE(simulation.EntityCount(), Simulation::kMaxEntities);
    }
    for (const auto& [slot, follower] : followers) {
        for (const int id : follower.entities) {
            const GameObject* entity = simulation.GetWorld().FindEntity(id);
            EXPECT_TRUE(entity && entity->IsAlive()) << "player " << slot << " holds a ghost " << id;
        }
        EXPECT_LT(follower.bytes / 90.0, 16 * 1024.0) << "bytes a second to player " << slot;
    }
}

} // namespace
