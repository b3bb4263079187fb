#include <gtest/gtest.h>

#include <string>
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

// A game on Arena: the recorder (ship 1) joins at once, ship 2 from 5 s
// to 15 s, ship 3 from 8 s to the end at 20 s.
DemoReader RecordedGame(const TempDir& dir)
{
    const std::string path = dir.Path() + "/game.qrdemo";
    {
        DemoWriter writer;
        NetMessage message;
        message.SetJoin(1, 0, "Vega");
        Record(writer, 0, message);
        message.SetMapName("Arena");
        Record(writer, 0, message);
        message.SetPlayerSpawn(1, 100, 100, 0, "Vega");
        Record(writer, 10, message);
        message.SetPlayerSpawn(2, 200, 200, 1, "Rigel");
        Record(writer, 5000, message);
        message.SetPlayerSpawn(3, 300, 300, 2, "Deneb");
        Record(writer, 8000, message);
        message.SetPlayerLeft(2);
        Record(writer, 15000, message);
        message.SetText("the end");
        Record(writer, 20000, message);
        DemoHeader header;
        header.mapName = "Arena";
        header.shipId = 1;
        writer.Open(path, header);
    }
    DemoReader reader;
    std::string error;
    EXPECT_TRUE(reader.ReadFile(path, error)) << error;
    return reader;
}

std::vector<int> ShipIds(World& world)
{
    std::vector<int> ids;
    for (Ship* ship = world.ShipsBegin(); ship; ship = world.ShipsNext())
        ids.push_back(ship->GetId());
    return ids;
}

} // namespace

// Seeking anywhere, back or on, shows the game as it was at that time;
// the clock runs at the speed and stands while paused.
TEST(DemoPlayback, SeekingShowsTheGameAsItWasThen)
{
    ScopedWorkingDir inData(QR_DATA_DIR);
    TempDir dir;
    const DemoReader demo = RecordedGame(dir);
    DemoPlayback playback(demo);
    playback.Seek(6000);
    EXPECT_EQ(ShipIds(playback.GetWorld()), (std::vector<int>{1, 2}));
    playback.Seek(16000);
    EXPECT_EQ(ShipIds(playback.GetWorld()), (std::vector<int>{1, 3}));
    playback.SeekBy(-10000);
    EXPECT_EQ(ShipIds(playback.GetWorld()), (std::vector<int>{1, 2})) << "back to 6 s, ship 3 not yet there";
    ASSERT_NE(playback.GetWorld().GetMap(), nullptr);

    playback.Faster();
    playback.Faster();
    playback.Faster();
    EXPECT_EQ(playback.Advance(10), 80);
    EXPECT_EQ(playback.Now(), 6080u);
    playback.TogglePause();
    EXPECT_EQ(playback.Advance(10), 0);
    EXPECT_EQ(playback.Caption(), "Demo 0:06 / 0:20  x8  paused");
    playback.Seek(99999);
    EXPECT_TRUE(playback.IsAtEnd());
}

// The recorder's ship is followed from the start; Tab goes round every
// ship by id and Shift+Tab back, also after a seek back.
TEST(DemoPlayback, TheCameraFollowsTheRecorderThenEveryShipInTurn)
{
    ScopedWorkingDir inData(QR_DATA_DIR);
    TempDir dir;
    const DemoReader demo = RecordedGame(dir);
    DemoPlayback playback(demo);
    playback.Seek(9000);
    World& world = playback.GetWorld();
    EXPECT_EQ(world.FirstShip()->GetId(), 1);
    std::vector<int> followed;
    for (int i = 0; i < 4; ++i) {
        playback.Follow(1);
        followed.push_back(playback.GetWorld().FirstShip()->GetId());
    }
    EXPECT_EQ(followed, (std::vector<int>{2, 3, 1, 2}));
    playback.Follow(-1);
    EXPECT_EQ(playback.GetWorld().FirstShip()->GetId(), 1);
    playback.Follow(1);
    playback.Follow(1);
    playback.Seek(8500);
    EXPECT_EQ(playback.GetWorld().FirstShip()->GetId(), 3) << "still followed after a seek back";
}

// A server's recording has no ship of its own: the camera follows the
// leader as the lead changes hands, keeps the one it follows through a
// tie, and lets the viewer's Tab choose for good.
TEST(DemoPlayback, ARecordingWithoutAShipFollowsTheLeader)
{
    ScopedWorkingDir inData(QR_DATA_DIR);
    TempDir dir;
    const std::string path = dir.Path() + "/round.qrdemo";
    {
        DemoWriter writer;
        NetMessage message;
        message.SetMapName("Arena");
        Record(writer, 0, message);
        const char* names[] = {"Ace", "Blaze", "Comet", "Dash"};
        for (int id = 1; id <= 3; ++id) {
            message.SetPlayerSpawn(id, 100 * id, 100, 0, names[id - 1]);
            Record(writer, 0, message);
        }
        message.SetShipKilled(1);
        Record(writer, 0, message);
        const auto score = [&](std::uint32_t ms, int id, signed char points) {
            message.SetShipState(id, 0, 100.0f, 100.0f, points, 0, 0, 0, 0, Vector3(100.0 * id, 100, 0),
                                 Vector3(), 0.0f);
            Record(writer, ms, message);
        };
        score(1000, 3, 1);
        score(2000, 2, 1);
        score(3000, 2, 2);
        score(4000, 1, 5);
        message.SetPlayerSpawn(4, 400, 100, 0, names[3]);
        Record(writer, 4500, message);
        message.SetRoundOver();
        Record(writer, 5000, message);
        DemoHeader header;
        header.mapName = "Arena";
        header.shipId = DemoHeader::kNoShip;
        writer.Open(path, header);
    }
    DemoReader demo;
    std::string error;
    ASSERT_TRUE(demo.ReadFile(path, error)) << error;
    DemoPlayback playback(demo);
    const auto followedAt = [&](std::uint32_t ms) {
        playback.Seek(ms);
        return playback.GetWorld().FirstShip()->GetId();
    };
    EXPECT_EQ(followedAt(500), 2) << "all at 0: the first alive";
    EXPECT_EQ(followedAt(1500), 3);
    EXPECT_EQ(followedAt(2500), 3) << "a tie keeps the camera where it is";
    EXPECT_EQ(followedAt(3500), 2);
    EXPECT_EQ(followedAt(1500), 3) << "back in time, back to that time's leader";
    playback.Follow(1);
    EXPECT_EQ(followedAt(4000), 1) << "Tab's choice";
    playback.Follow(1);
    EXPECT_EQ(followedAt(4000), 2) << "...is kept while another leads";
    EXPECT_EQ(playback.Banner(), "The demo ends here") << "no round ended yet";

    followedAt(4600);
    playback.Follow(1);
    playback.Follow(1);
    EXPECT_EQ(followedAt(4600), 4);
    EXPECT_EQ(followedAt(4200), 1) << "before the chosen came: the leader";
    EXPECT_EQ(followedAt(4700), 4) << "and the chosen once it is there";
    followedAt(5000);
    EXPECT_EQ(playback.Banner(), "Ace wins") << "nobody is \"you\" in a recording without a ship";
}

// A seek applies a long fight without a frame between its payloads: what
// died there must go as it would have, or the world fills with wrecks and
// refuses what comes after.
TEST(DemoPlayback, ASeekThroughManyShotsLeavesRoomForTheNext)
{
    ScopedWorkingDir inData(QR_DATA_DIR);
    TempDir dir;
    const std::string path = dir.Path() + "/shots.qrdemo";
    {
        DemoWriter writer;
        NetMessage message;
        message.SetMapName("Arena");
        Record(writer, 0, message);
        NetMessage killed;
        for (int id = 1; id <= 20000; ++id) {
            message.SetEntityState(id, kTypeBullet, Vector3(100, 100, 0), Vector3(500, 0, 0), 0.0f, 0);
            killed.SetEntityKilled(id);
            Record(writer, static_cast<std::uint32_t>(id), message);
            Record(writer, static_cast<std::uint32_t>(id), killed);
        }
        message.SetEntityState(30000, kTypeBullet, Vector3(200, 200, 0), Vector3(500, 0, 0), 0.0f, 0);
        Record(writer, 20001, message);
        DemoHeader header;
        header.mapName = "Arena";
        writer.Open(path, header);
    }
    DemoReader demo;
    std::string error;
    ASSERT_TRUE(demo.ReadFile(path, error)) << error;
    DemoPlayback playback(demo);
    playback.Seek(demo.LengthMs());
    EXPECT_NE(playback.GetWorld().FindEntity(30000), nullptr);
    EXPECT_LT(playback.GetWorld().EntityCount(), 10u);
}
