#include <gtest/gtest.h>

#include <vector>

#include "app/GameSounds.h"
#include "app/SoundBoard.h"
#include "net/NetMessage.h"
#include "world/Flag.h"
#include "support/ClientWorld.h"

namespace {

// A game's frames heard through the network client, as the game loop hears
// them; the board has no device, so nothing is played.
class GameSoundsTest : public ClientWorldTest {
protected:
    std::vector<SoundEvent> Frame(bool thrust = false)
    {
        sounds.Hear(*world, *client, thrust, *SoundBoard::Instance());
        std::vector<SoundEvent> heard;
        for (const SoundQueue::Entry& entry : sounds.Heard())
            heard.push_back(entry.event);
        return heard;
    }

    GameSounds sounds;
};

TEST_F(GameSoundsTest, APilotsLineAndTheRoundsEndAreHeardOnce)
{
    local->ForceRespawn(100.0f, 100.0f);
    Frame();
    NetMessage notice, chat, server, over;
    notice.SetText("Robot Ace destroyed Pilot");
    server.SetText("Server: maintenance at noon");
    Hand({&notice, &server});
    EXPECT_TRUE(Frame().empty()) << "a notice is no pilot's line";
    chat.SetText("Pilot: hello");
    Hand({&chat});
    EXPECT_EQ(Frame(), std::vector<SoundEvent>{SoundEvent::Chat});
    EXPECT_TRUE(Frame().empty());
    over.SetRoundOver();
    Hand({&over});
    EXPECT_EQ(Frame(), std::vector<SoundEvent>{SoundEvent::RoundOver});
    EXPECT_TRUE(Frame().empty());

    // A demo's seek leaps over a line and a round's end: neither is heard.
    NetMessage map, later;
    map.SetMapName("Arena");
    later.SetText("Pilot: again");
    Hand({&map, &later, &over});
    sounds.Leap(*client);
    EXPECT_TRUE(Frame().empty());
}

// A flag's news sounds where it happened, beside the own ship: a pickup, a
// return and a capture each once; a drop leaves the carrier's blast alone.
TEST_F(GameSoundsTest, AFlagsNewsIsHeardOnceWhereItHappened)
{
    local->ForceRespawn(100.0f, 100.0f);
    Frame();
    NetMessage spawn, home, took, carried, captured, back, drop, dropped;
    spawn.SetPlayerSpawn(8, 400, 100, 0, "Other");
    home.SetFlag({Team::Red, FlagPlace::Home, 0, {}, Vector3(100, 300, 0)});
    carried.SetFlag({Team::Red, FlagPlace::Carried, 8, {}, Vector3(400, 100, 0)});
    took.SetFlagEvent(1, 1, 8);
    Hand({&spawn, &home, &carried, &took});
    const std::vector<SoundEvent> heard = Frame();
    ASSERT_EQ(heard, std::vector<SoundEvent>{SoundEvent::FlagTaken});
    EXPECT_EQ(std::tuple(sounds.Heard().begin()->dx, sounds.Heard().begin()->dy), std::tuple(300.0f, 0.0f));
    EXPECT_TRUE(Frame().empty());

    dropped.SetFlag({Team::Red, FlagPlace::Dropped, 0, {}, Vector3(400, 100, 0)});
    drop.SetFlagEvent(2, 1, 8);
    back.SetFlagEvent(3, 1, 0);
    captured.SetFlagEvent(4, 1, 8);
    Hand({&dropped, &drop, &home, &back, &carried, &took, &home, &captured});
    EXPECT_EQ(Frame(), (std::vector<SoundEvent>{SoundEvent::FlagReturned, SoundEvent::FlagTaken,
                                                SoundEvent::FlagCaptured}));
    EXPECT_EQ(sounds.Heard().begin()->dy, 200.0f) << "a flag that went home by itself is heard at its base";

    // A demo's seek leaps over the news.
    Hand({&carried, &took});
    sounds.Leap(*client);
    EXPECT_TRUE(Frame().empty());
}

} // namespace
