#include <gtest/gtest.h>

#include <vector>

#include "app/GameSounds.h"
#include "app/SoundBoard.h"
#include "net/MessageBatch.h"
#include "net/NetMessage.h"
#include "net/PackedBatch.h"
#include "support/ClientWorld.h"

namespace {

// A game's frames heard through the network client, as the game loop hears
// them; the board has no device, so nothing is played.
class GameSoundsTest : public ClientWorldTest {
protected:
    void Receive(const std::vector<const NetMessage*>& messages)
    {
        const auto bytes = PackedBatch::Pack(messages);
        MessageBatch batch;
        batch.ParsePacked(bytes.data(), bytes.size());
        client->HandleBatch(batch);
    }

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
    Receive({&notice, &server});
    EXPECT_TRUE(Frame().empty()) << "a notice is no pilot's line";
    chat.SetText("Pilot: hello");
    Receive({&chat});
    EXPECT_EQ(Frame(), std::vector<SoundEvent>{SoundEvent::Chat});
    EXPECT_TRUE(Frame().empty());
    over.SetRoundOver();
    Receive({&over});
    EXPECT_EQ(Frame(), std::vector<SoundEvent>{SoundEvent::RoundOver});
    EXPECT_TRUE(Frame().empty());

    // A demo's seek leaps over a line and a round's end: neither is heard.
    NetMessage map, later;
    map.SetMapName("Arena");
    later.SetText("Pilot: again");
    Receive({&map, &later, &over});
    sounds.Leap(*client);
    EXPECT_TRUE(Frame().empty());
}

} // namespace
