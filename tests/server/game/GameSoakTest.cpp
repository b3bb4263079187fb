#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "net/MessageBatch.h"
#include "server/game/EventLog.h"
#include "server/game/Game.h"
#include "world/Ship.h"
#include "world/Weapons.h"

namespace {

struct Sent {
    int slot;
    bool reliable;
    std::vector<std::uint8_t> bytes;

    bool operator==(const Sent&) const = default;
};

// The server's game without a network under a crowd that holds keys at
// random, comes and goes, robots taking the seats and giving them up, while
// maps change. What each player is told is followed as its program would
// follow it. The crowd does the same in every run, tick for tick.
class GameSoak : public ::testing::Test {
protected:
    static GameOptions Options(unsigned seed)
    {
        GameOptions options;
        options.maps = {"Arena", "Warren", "Expanse"};
        options.maxPlayers = 16;
        options.bots = 4;
        options.roundMinutes = 20.0 / 60.0;
        options.seed = seed;
        return options;
    }

    struct Follower {
        std::set<int> entities; // what this player's program holds
        std::size_t bytes = 0;
    };

    void Begin(unsigned seed)
    {
        game = std::make_unique<Game>(Options(seed), QR_DATA_DIR, log);
        std::string reason;
        ASSERT_TRUE(game->Start(reason)) << reason;
        game->FillSeats();
        Forget();
    }

    // Nobody followed nor seated, and the crowd's script from its start.
    void Forget()
    {
        followers.clear();
        pilots.clear();
        sent.clear();
        random.seed(17);
        kills = 0;
        killers = 0;
    }

    // Twelve people join, then every few seconds one leaves and another
    // comes; halfway through the map changes.
    void Crowd(int seconds)
    {
        for (int n = 0; n < 12; ++n)
            Join(n);
        int joined = 12;
        for (int tick = 0; tick < seconds * 60; ++tick) {
            if (tick % 30 == 0)
                HoldAtRandom();
            if (tick % 700 == 350 && !pilots.empty())
                Leave(static_cast<std::size_t>(tick) % pilots.size());
            if (tick % 700 == 500)
                Join(joined++);
            if (tick == 700)
                game->Chat(pilots.front(), "again");
            if (tick == seconds * 30) {
                ASSERT_TRUE(game->ChangeMap("Warren"));
            }
            Tick(tick % 3 == 0 ? 17 : 16);
            ASSERT_LE(game->GetSimulation().EntityCount(), Simulation::kMaxEntities);
            ASSERT_EQ(game->People() + game->Robots(), std::min(16, game->People() + 4)) << "robots in the free seats";
        }
    }

    void Join(int n)
    {
        const int slot = game->Join(("Pilot " + std::to_string(n)).c_str(), n % Ship::kDesigns);
        ASSERT_NE(slot, Game::kNobody);
        followers[slot] = Follower();
        pilots.push_back(slot);
    }

    void Leave(std::size_t which)
    {
        const int slot = pilots[which];
        game->Leave(slot);
        followers.erase(slot);
        pilots.erase(pilots.begin() + static_cast<std::ptrdiff_t>(which));
    }

    void Tick(int ms)
    {
        game->Tick(ms, [&](int slot, const std::vector<std::uint8_t>& payload, bool reliable) {
            sent.push_back({slot, reliable, payload});
            Follower& follower = followers.at(slot);
            follower.bytes += payload.size();
            MessageBatch batch;
            batch.ParsePacked(payload.data(), payload.size());
            ASSERT_EQ(batch.Parsed(), batch.Count());
            int justKilled = 0;
            for (NetMessage* message = batch.Begin(); message; message = batch.Next()) {
                int id = 0;
                message->GetId(id);
                kills += message->Kind() == kMsgShipKilled;
                if (message->Kind() == kMsgKilledBy) {
                    int victim = 0, killer = 0;
                    std::uint8_t cause = 0;
                    message->GetKilledBy(victim, killer, cause);
                    EXPECT_EQ(victim, justKilled) << "told right after the death it explains";
                    killers += killer != 0;
                }
                justKilled = message->Kind() == kMsgShipKilled ? id : 0;
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
        for (const int slot : pilots) {
            HeldKeys keys;
            for (int i = 0; i < 4; ++i)
                keys.Press(code(random));
            game->Hold(slot, keys);
            Ship& ship = game->Pilot(slot)->GetShip();
            for (const WeaponRow& row : kWeapons)
                ship.SetRounds(row.ammunition, static_cast<signed char>(row.most));
            ship.AddFlags(kFlagCloakDevice | kFlagTripleShot);
        }
    }

    EventLog log;
    std::unique_ptr<Game> game;
    std::map<int, Follower> followers;
    std::vector<int> pilots; // the people's slots
    std::vector<Sent> sent;
    std::mt19937 random;
    int kills = 0;
    int killers = 0; // deaths told with a ship that caused them
};

// A restarted game plays as a new one: a fuzzer's finding replays alone.
TEST_F(GameSoak, ACrowdFightsThroughRoundsEveryPlayerSeesAConsistentWorldAndTheSameSeedReplaysByteForByte)
{
    const int seconds = 50;
    const auto play = [&](unsigned seed, bool restarted) {
        Begin(seed);
        if (restarted) {
            Crowd(10);
            game->Restart();
            Forget();
        }
        Crowd(seconds);
        return sent;
    };
    const std::vector<Sent> first = play(7, false);
    EXPECT_GT(kills, 0) << "they fought";
    EXPECT_GT(killers, 0) << "and were told who won each fight";
    for (const auto& [slot, follower] : followers) {
        for (const int id : follower.entities) {
            const GameObject* entity = game->GetSimulation().GetWorld().FindEntity(id);
            EXPECT_TRUE(entity && entity->IsAlive()) << "player " << slot << " holds a ghost " << id;
        }
        EXPECT_LT(follower.bytes / static_cast<double>(seconds), 16 * 1024.0) << "bytes a second to player " << slot;
    }
    for (const bool restarted : {false, true}) {
        const std::vector<Sent> again = play(7, restarted);
        ASSERT_EQ(first.size(), again.size()) << "restarted " << restarted;
        for (std::size_t i = 0; i < first.size(); ++i) {
            ASSERT_EQ(first[i], again[i]) << "payload " << i << " to slot " << first[i].slot << ", restarted "
                                          << restarted;
        }
    }
    EXPECT_NE(first, play(8, false));
}

} // namespace
