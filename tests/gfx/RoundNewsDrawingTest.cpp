#include <gtest/gtest.h>

#include <GL/gl.h>

#include <vector>

#include "gfx/GLDisplay.h"
#include "gfx/Hud.h"
#include "gfx/RadarPanel.h"
#include "net/MessageBatch.h"
#include "net/PackedBatch.h"
#include "support/ClientWorld.h"
#include "support/HostThread.h"
#include "support/OffscreenGame.h"

namespace {

// A game frame of a client connected to a host over loopback, with the
// server's messages handed to it directly, drawn offscreen and read back.
class RoundNewsDrawing : public ClientWorldTest {
protected:
    void SetUp() override
    {
        if (!OpenOffscreenGame())
            GTEST_SKIP() << "no GL driver";
        ClientWorldTest::SetUp();
        host = std::make_unique<HostThread>("News", 4, TestPort(47500));
        ASSERT_TRUE(JoinHost("News", TestPort(47500)));
        ASSERT_TRUE(WorkUntil([&] { return client->IsConnected(); }));
        Hand({&Made([](NetMessage& m) { m.SetJoin(31, 3, "Pilot"); }),
              &Made([](NetMessage& m) { m.SetPlayerSpawn(31, 0, 0, 3, "Pilot"); }),
              &Made([](NetMessage& m) { m.SetRoundClock(271000, 10); })});
    }

    template <typename Build>
    NetMessage& Made(Build build)
    {
        kept.push_back(std::make_unique<NetMessage>());
        build(*kept.back());
        return *kept.back();
    }
    void Hand(const std::vector<const NetMessage*>& messages)
    {
        const auto bytes = PackedBatch::Pack(messages);
        MessageBatch batch;
        batch.ParsePacked(bytes.data(), bytes.size());
        client->HandleBatch(batch);
    }
    void Die()
    {
        Hand({&Made([](NetMessage& m) { m.SetShipKilled(31); }),
              &Made([](NetMessage& m) { m.SetText("A turret destroyed Pilot"); })});
    }

    struct Lines {
        bool death;
        bool clock;
        bool operator==(const Lines&) const = default;
    };
    // Whether the death line (its middle right of the screen's, above the
    // wreck) and the clock (right, below the ping) show.
    Lines Draw(bool roundNews)
    {
        RadarPanel radar;
        radar.SetSize(200, 768);
        DrawGameFrame(&radar, world.get(), 16, 60, nullptr, roundNews);
        GLDisplay::Instance()->MakeCurrent();
        glReadBuffer(GL_FRONT);
        const Frame frame;
        glReadBuffer(GL_BACK);
        GLDisplay::Instance()->ReleaseCurrent();
        return {frame.Any(-60, 80, 320, 16), frame.Any(280, 332, 228, 16)};
    }

    std::unique_ptr<HostThread> host;
    std::vector<std::unique_ptr<NetMessage>> kept;
};

TEST_F(RoundNewsDrawing, TheDeathLineShowsOnlyWhileDeadAndClassicDrawsNeither)
{
    EXPECT_EQ(Draw(true), (Lines{false, true})) << "alive: the clock alone";
    Die();
    EXPECT_EQ(Draw(true), (Lines{true, true})) << "dead";
    EXPECT_EQ(Draw(false), (Lines{false, false})) << "classic";
    Hand({&Made([](NetMessage& m) { m.SetPlayerSpawn(31, 0, 0, 3, "Pilot"); })});
    EXPECT_EQ(Draw(true), (Lines{false, true})) << "back";
}

} // namespace
