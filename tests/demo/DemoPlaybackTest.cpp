#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "app/DemoPlayback.h"
#include "demo/DemoReader.h"
#include "demo/DemoWriter.h"
#include "net/NetMessage.h"
#include "net/PackedBatch.h"
#include "support/TempDir.h"
#include "world/GameObject.h"
#include "world/Ship.h"
#include "world/Vector3.h"
#include "world/World.h"

namespace {

void Record(DemoWriter& writer, std::uint32_t ms, const NetMessage& message)
{
    const std::vector<std::uint8_t> payload = PackedBatch::Pack({&message});
    writer.Add(DemoRecord::kPayload, ms, payload.data(), payload.size());
}

// A demo on Arena of the recorder's ship, what record writes into it read
// back from its file.
DemoReader Recorded(std::uint32_t shipId, const std::function<void(DemoWriter&, NetMessage&)>& record)
{
    TempDir dir;
    const std::string path = dir.Path() + "/game.qrdemo";
    {
        DemoWriter writer;
        NetMessage message;
        message.SetMapName("Arena");
        Record(writer, 0, message);
        record(writer, message);
        DemoHeader header;
        header.mapName = "Arena";
        header.shipId = shipId;
        writer.Open(path, header);
    }
    DemoReader reader;
    std::string error;
    EXPECT_TRUE(reader.ReadFile(path, error)) << error;
    return reader;
}

// A game on Arena: the recorder (ship 1) joins at once, ship 2 from 5 s
// to 15 s, ship 3 from 8 s to the end at 20 s, a wreck from 12 s to 13 s.
DemoReader RecordedGame()
{
    return Recorded(1, [](DemoWriter& writer, NetMessage& message) {
        message.SetJoin(1, 0, "Vega");
        Record(writer, 0, message);
        for (const auto& [ms, id, name] : {std::tuple(10u, 1, "Vega"), {5000u, 2, "Rigel"}, {8000u, 3, "Deneb"}}) {
            message.SetPlayerSpawn(id, 100 * id, 100 * id, id - 1, name);
            Record(writer, ms, message);
        }
        message.SetShipKilled(3);
        Record(writer, 12000, message);
        message.SetPlayerSpawn(3, 300, 300, 2, "Deneb");
        Record(writer, 13000, message);
        message.SetPlayerLeft(2);
        Record(writer, 15000, message);
        message.SetText("the end");
        Record(writer, 20000, message);
    });
}

std::vector<int> ShipIds(World& world)
{
    std::vector<int> ids;
    for (Ship* ship = world.ShipsBegin(); ship; ship = world.ShipsNext())
        ids.push_back(ship->GetId());
    return ids;
}

} // namespace

// Every playback runs where the game's data is.
class DemoPlaybackTest : public ::testing::Test {
    ScopedWorkingDir inData {QR_DATA_DIR};
};

// Seeking anywhere, back or on, shows the game as it was at that time;
// the clock runs at the speed and stands while paused.
TEST_F(DemoPlaybackTest, SeekingShowsTheGameAsItWasThen)
{
    const DemoReader demo = RecordedGame();
    DemoPlayback playback(demo);
    for (const auto& [ms, ships] : {std::pair(6000, std::vector<int>{1, 2}), {16000, {1, 3}}, {-10000, {1, 2}}}) {
        if (ms < 0)
            playback.SeekBy(ms);
        else
            playback.Seek(static_cast<std::uint32_t>(ms));
        EXPECT_EQ(ShipIds(playback.GetWorld()), ships) << ms << ": back to 6 s, ship 3 is not yet there";
    }

    for (int i = 0; i < 3; ++i)
        playback.Faster();
    EXPECT_EQ(playback.Advance(10), 80);
    EXPECT_EQ(playback.Now(), 6080u);
    playback.TogglePause();
    EXPECT_EQ(playback.Advance(10), 0);
    EXPECT_EQ(playback.Caption(), "Demo 0:06 / 0:20  x8  paused  following Vega");
    playback.Seek(99999);
    EXPECT_TRUE(playback.IsAtEnd());
}

// The recorder's ship is followed from the start; Tab goes round every
// ship by id and Shift+Tab back, also after a seek back. Both pass a
// wreck, whose camera shows an empty field, and find it again once it is
// back in play; the caption names the followed.
TEST_F(DemoPlaybackTest, TheCameraFollowsTheRecorderThenEveryShipInTurnPassingWrecks)
{
    const DemoReader demo = RecordedGame();
    DemoPlayback playback(demo);
    const auto followed = [&] { return playback.GetWorld().FirstShip()->GetId(); };
    const auto turn = [&](std::initializer_list<int> ways) {
        std::vector<int> turns;
        for (const int way : ways) {
            playback.Follow(way);
            turns.push_back(followed());
        }
        return turns;
    };
    playback.Seek(9000);
    EXPECT_EQ(followed(), 1);
    EXPECT_EQ(turn({1, 1, 1, 1, -1}), (std::vector<int>{2, 3, 1, 2, 1}));
    turn({1, 1});
    playback.Seek(8500);
    EXPECT_EQ(followed(), 3) << "still followed after a seek back";

    EXPECT_EQ(turn({1}), std::vector<int>{1});
    playback.Seek(12500);
    EXPECT_EQ(turn({1, 1, -1, -1}), (std::vector<int>{2, 1, 2, 1})) << "past ship 3's wreck both ways";
    EXPECT_EQ(playback.Caption(), "Demo 0:12 / 0:20  x1  following Vega");
    playback.Seek(13000);
    playback.Follow(-1);
    EXPECT_EQ(followed(), 3) << "back in play";
}

// A server's recording has no ship of its own: the camera follows the
// leader as the lead changes hands, keeps the one it follows through a
// tie, and lets the viewer's Tab choose for good.
TEST_F(DemoPlaybackTest, ARecordingWithoutAShipFollowsTheLeader)
{
    const DemoReader demo = Recorded(DemoHeader::kNoShip, [](DemoWriter& writer, NetMessage& message) {
        const char* names[] = {"Ace", "Blaze", "Comet", "Dash"};
        for (int id = 1; id <= 3; ++id) {
            message.SetPlayerSpawn(id, 100 * id, 100, 0, names[id - 1]);
            Record(writer, 0, message);
        }
        message.SetShipKilled(1);
        Record(writer, 0, message);
        for (const auto& [ms, id, points] : {std::tuple(1000u, 3, 1), {2000u, 2, 1}, {3000u, 2, 2}, {4000u, 1, 5}}) {
            message.SetShipState(id, 0, 100.0f, 100.0f, static_cast<signed char>(points), {},
                                 Vector3(100.0 * id, 100, 0), Vector3(), 0.0f);
            Record(writer, ms, message);
        }
        message.SetPlayerSpawn(4, 400, 100, 0, names[3]);
        Record(writer, 4500, message);
        message.SetRoundOver();
        Record(writer, 5000, message);
    });
    DemoPlayback playback(demo);
    // Tab presses, then the time sought and the ship followed there.
    const struct {
        int tabs;
        std::uint32_t ms;
        int followed;
        const char* why;
    } looks[] = {
        {0, 500, 2, "all at 0: the first alive"}, {0, 1500, 3, ""}, {0, 2500, 3, "a tie keeps the camera where it is"},
        {0, 3500, 2, ""}, {0, 1500, 3, "back in time, back to that time's leader"},
        {1, 4000, 2, "Tab's choice, past the wreck of ship 1"}, {1, 4000, 3, "...is kept while another leads"},
        {0, 4600, 3, ""}, {1, 4600, 4, ""},
        {0, 4200, 1, "before the chosen came: the leader"}, {0, 4700, 4, "and the chosen once it is there"},
    };
    for (const auto& look : looks) {
        for (int tab = 0; tab < look.tabs; ++tab)
            playback.Follow(1);
        playback.Seek(look.ms);
        EXPECT_EQ(playback.GetWorld().FirstShip()->GetId(), look.followed) << look.ms << " ms: " << look.why;
    }
    EXPECT_EQ(playback.Banner(), "The demo ends here") << "no round ended yet";
    playback.Seek(5000);
    EXPECT_EQ(playback.Banner(), "Ace wins") << "nobody is \"you\" in a recording without a ship";
}

// A team game's round is the winning side's, whoever recorded it.
TEST_F(DemoPlaybackTest, ATeamGameEndsWithTheWinningSide)
{
    const DemoReader demo = Recorded(1, [](DemoWriter& writer, NetMessage& message) {
        for (int id = 1; id <= 2; ++id) {
            message.SetPlayerSpawn(id, 100 * id, 100, 0, id == 1 ? "Ace" : "Blaze");
            Record(writer, 0, message);
            message.SetTeam(id, static_cast<std::uint8_t>(id));
            Record(writer, 0, message);
        }
        message.SetTeamScores(3, 7);
        Record(writer, 1000, message);
        message.SetRoundOver();
        Record(writer, 2000, message);
    });
    DemoPlayback playback(demo);
    playback.Seek(2000);
    EXPECT_EQ(playback.Banner(), "Blue wins");
}

// A seek applies a long fight without a frame between its payloads: what
// died there must go as it would have, or the world fills with wrecks and
// refuses what comes after.
TEST_F(DemoPlaybackTest, ASeekThroughManyShotsLeavesRoomForTheNext)
{
    const DemoReader demo = Recorded(DemoHeader::kNoShip, [](DemoWriter& writer, NetMessage& message) {
        NetMessage killed;
        for (int id = 1; id <= 20000; ++id) {
            message.SetEntityState(id, kTypeBullet, Vector3(100, 100, 0), Vector3(500, 0, 0), 0.0f, 0);
            killed.SetEntityKilled(id);
            Record(writer, static_cast<std::uint32_t>(id), message);
            Record(writer, static_cast<std::uint32_t>(id), killed);
        }
        message.SetEntityState(30000, kTypeBullet, Vector3(200, 200, 0), Vector3(500, 0, 0), 0.0f, 0);
        Record(writer, 20001, message);
    });
    DemoPlayback playback(demo);
    playback.Seek(demo.LengthMs());
    EXPECT_NE(playback.GetWorld().FindEntity(30000), nullptr);
    EXPECT_LT(playback.GetWorld().EntityCount(), 10u);
}
