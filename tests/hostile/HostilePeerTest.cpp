#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "hostile/Attacker.h"
#include "hostile/RawLink.h"
#include "support/ServerSessionTest.h"
#include "world/GameKey.h"

namespace {

#ifdef QR_SANITIZED
// Freed blocks wait in the sanitizer's quarantine before they are reused.
constexpr long kResidentGrowthKb = 512 * 1024;
#else
constexpr long kResidentGrowthKb = 32 * 1024;
#endif

long ResidentKb()
{
    long pages = 0, resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// What the honest player saw while it played.
struct Watched {
    std::uint32_t longestSilenceMs = 0; // between two reports while its ship lived
    bool turned = false;                // its heading changed between two reports while it lived
    std::uint32_t aliveMs = 0;
};

// The real server with two robots on a thread of its own, the player's real
// network client as the honest player, and attackers beside it on loopback.
class HostileSession : public ServerSessionTest {
protected:
    // Attackers that join fly ships the robots shoot for points: the round
    // must not end while the honest ship is watched.
    void SetUp() override
    {
        ServerSessionTest::SetUp();
        StartServer(ServerThread::EndlessArena(Port(), "Hostile Test", 8));
    }

    std::uint16_t Port() const { return TestPort(41000); }
    bool Join() { return ServerSessionTest::Join("Hostile Test", Port()); }

    // What the reports say of the ships that live, in one number: it stays
    // the same only while no report comes.
    double Picture()
    {
        double sum = 0.0;
        for (Ship* ship = world->ShipsBegin(); ship; ship = world->ShipsNext()) {
            if (ship->IsAlive())
                sum += ship->GetHeading() + ship->GetFuel() + ship->Target().x * 3.0 + ship->Target().y * 7.0;
        }
        return sum;
    }

    // Plays, holding one key, until done.
    template <typename Done>
    Watched Play(std::int32_t key, Done done)
    {
        Watched watched;
        held = {key};
        float heading = local->GetHeading();
        bool wasAlive = local->IsAlive();
        double picture = Picture();
        std::uint32_t heard = platform::TickCount();
        std::uint32_t sampled = heard;
        while (!done()) {
            Turn();
            const std::uint32_t now = platform::TickCount();
            const bool alive = local->IsAlive();
            watched.aliveMs += alive ? now - sampled : 0;
            watched.turned |= alive && wasAlive && local->GetHeading() != heading;
            // A dead ship is not reported, and ships far off seldom.
            if (Picture() != picture || !alive)
                heard = now;
            watched.longestSilenceMs = std::max(watched.longestSilenceMs, now - heard);
            sampled = now;
            heading = local->GetHeading();
            wasAlive = alive;
            picture = Picture();
        }
        held = {0};
        return watched;
    }
};

TEST_F(HostileSession, EveryAttackIsShruggedOffTheGameGoesOnAndWhatAttackersTookIsGivenBack)
{
    ASSERT_TRUE(Join());
    ASSERT_TRUE(WorkUntil([&] { return world->ShipCount() == 3u; })) << "the honest player and two robots";
    const long residentBefore = ResidentKb();

    // The calm figures are what the attacks are read against; the silence
    // is checked under every attack.
    server->ResetWorstTick();
    const std::uint32_t calmSince = platform::TickCount();
    const Watched calm = Play(kKeyTurnRight, [&] { return platform::TickCount() - calmSince >= 1000; });
    std::printf("calm:     worst tick %5.2f ms, between ticks %6.2f ms, longest silence %4u ms\n",
                server->WorstTickMicros() / 1000.0, server->WorstTickGapMicros() / 1000.0, calm.longestSilenceMs);

    const int ownShip = local->GetId();
    for (const Attack attack : Attacker::All()) {
        SCOPED_TRACE(Attacker::NameOf(attack));
        // Spoofed controls name the honest ship: holding only the shield, it
        // must not turn. The reports of the keys it held before come first.
        const bool spoof = attack == Attack::Spoof;
        const std::int32_t key = spoof ? kKeyShields : kKeyTurnRight;
        // Back within the five seconds of a respawn, more on a busy machine
        // or when robots shoot it down again as it comes back.
        ASSERT_TRUE(WorkUntil([&] { return local->IsAlive(); }, 30000))
            << "the honest ship came back; the session " << (client->IsTerminated() ? "ended" : "went on")
            << ", last console line: " << (ConsoleLines().empty() ? std::string() : ConsoleLines().back());
        const std::uint32_t settling = platform::TickCount();
        Play(key, [&] { return platform::TickCount() - settling >= 300; });
        server->ResetWorstTick();
        std::atomic<bool> over {false};
        AttackTally tally;
        std::thread attacking([&] {
            Attacker attacker(Port(), 17);
            attacker.SetVictims({ownShip});
            tally = attacker.Run(attack, attack == Attack::Churn ? 10.0 : attack == Attack::Forged ? 1.0 : 1.5);
            over = true;
        });
        const Watched watched = Play(key, [&] { return over.load(); });
        attacking.join();
        const std::int64_t worst = server->WorstTickMicros();
        const std::int64_t gap = server->WorstTickGapMicros();
        std::printf("%-9s worst tick %5.2f ms, between ticks %6.2f ms, longest silence %4u ms in %5u ms alive: "
                    "%ld connects, %ld refused, %ld payloads, %ld dropped\n",
                    Attacker::NameOf(attack), worst / 1000.0, gap / 1000.0, watched.longestSilenceMs,
                    watched.aliveMs, tally.connects, tally.refused, tally.payloads, tally.dropped);

        // Generous: a busy machine alone stalls a process for a few hundred ms.
        EXPECT_LT(worst, 250000) << "a tick took fifteen ticks' time";
        EXPECT_LT(gap, 1000000) << "the server stopped ticking";
        EXPECT_LT(watched.longestSilenceMs, 1500u) << "the honest player stopped hearing reports";
        ASSERT_FALSE(client->IsTerminated()) << "the honest player was dropped";
        EXPECT_GT(tally.connects - tally.refused, 0);
        if (spoof) {
            // Robots may still shoot it down early; a few reports are enough.
            EXPECT_GT(watched.aliveMs, 0u) << "the honest ship was alive to be watched";
            EXPECT_FALSE(watched.turned) << "another player's controls steered the honest ship";
        }
        switch (attack) {
        case Attack::Names: EXPECT_GT(tally.dropped, 0) << "10 KB names are no join"; break;
        case Attack::Flood: EXPECT_GT(tally.dropped, 0) << "a flood goes on unchecked"; break;
        case Attack::Churn: EXPECT_EQ(tally.connects, Attacker::kChurnConnects); break;
        case Attack::Forged:
            std::printf("          %ld bytes forged drew %ld bytes of answers; an honest join took %u ms\n",
                        tally.forgedBytes, tally.answeredBytes, tally.honestJoinMs);
            EXPECT_GT(tally.honestJoinMs, 0u) << "forged connects kept an honest player out";
            EXPECT_GT(tally.forgedBytes, 0);
            EXPECT_EQ(tally.answeredBytes, 0) << "the server answered forged connects";
            break;
        default: EXPECT_EQ(tally.dropped, tally.connects - tally.refused) << "a hostile link stayed in"; break;
        }
    }

    // Everything the attackers held is let go: one connection, three ships.
    EXPECT_TRUE(WorkUntil([&] { return server->ConnectionCount() == 1u && world->ShipCount() == 3u; }))
        << server->ConnectionCount() << " connections, " << world->ShipCount() << " ships";
    const long grownKb = ResidentKb() - residentBefore;
    std::printf("resident size %ld KB before the attacks, %+ld KB after\n", residentBefore, grownKb);
    EXPECT_LT(grownKb, kResidentGrowthKb);
    Attacker checker(Port(), 1);
    EXPECT_TRUE(checker.ServerAnswers());
}

TEST_F(HostileSession, APlayerWhoseProgramDiesIsDroppedWithinItsTimeOutAndTheOthersAreTold)
{
    ASSERT_TRUE(Join());
    RawLink ghost;
    ASSERT_TRUE(ghost.Connect(Port(), 9000));
    NetMessage join;
    join.SetJoin(0, 2, "Ghost");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(join.WireSize()));
    join.Serialize(bytes.data(), join.WireSize());
    ghost.Send(bytes, true);
    ASSERT_TRUE(WorkUntil([&] {
        ghost.Pump();
        return ConsoleHas("Ghost joined the game") && world->ShipCount() == 4u;
    }, 18000));

    ghost.Vanish();
    const std::uint32_t start = platform::TickCount();
    ASSERT_TRUE(WorkUntil([] { return ConsoleHas("Ghost left the game"); }, 20000));
    const std::uint32_t took = platform::TickCount() - start;
    std::printf("a dead player's ship went after %u ms\n", took);
    EXPECT_LE(took, 10000u + 1000u) << "longer than the peer's time-out";
    EXPECT_EQ(world->ShipCount(), 3u) << "its ship left the honest player's world";
    EXPECT_FALSE(client->IsTerminated());
}

} // namespace
