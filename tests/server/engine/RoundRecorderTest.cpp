#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "demo/DemoReader.h"
#include "net/MessageBatch.h"
#include "net/NetMessage.h"
#include "server/engine/GameServer.h"
#include "server/engine/ServerLog.h"
#include "support/TempDir.h"

namespace {

struct Told {
    std::vector<std::string> maps;
    std::set<std::string> spawned;
    int joins = 0;
    int shipStates = 0;
};

// What a recorded round tells a player's program, message by message.
Told Replay(const DemoReader& demo)
{
    Told told;
    for (const DemoRecord& record : demo.Records()) {
        MessageBatch batch;
        batch.ParsePacked(demo.Bytes(record), record.size);
        for (NetMessage* message = batch.Begin(); message; message = batch.Next()) {
            char text[256] = {};
            int id = 0, x = 0, y = 0, type = 0;
            switch (message->Kind()) {
            case kMsgMap:
                message->GetMapName(text, sizeof text);
                told.maps.emplace_back(text);
                break;
            case kMsgPlayerSpawn:
                message->GetPlayerSpawn(id, x, y, type, text, sizeof text);
                told.spawned.insert(text);
                break;
            case kMsgJoin: ++told.joins; break;
            case kMsgShipState: ++told.shipStates; break;
            default: break;
            }
        }
    }
    return told;
}

// Two short rounds in turn, recorded into the folder.
ServerOptions Recording(const TempDir& dir, int robots)
{
    ServerOptions options;
    options.maps = {"Arena", "Warren"};
    options.bots = robots;
    options.roundMinutes = 0.02;
    options.recordDir = dir.Path() + "/rounds";
    return options;
}

// A person connects and joins, as the network would hand it on.
void Seat(GameServer& server, platform::PlayerId id, const char* name)
{
    server.OnPlayerJoinedFrom(id, 0x0a000001u);
    NetMessage join;
    join.SetJoin(0, 0, name);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(join.WireSize()));
    join.Serialize(bytes.data(), join.WireSize());
    server.OnReceive(id, bytes.data(), bytes.size());
}

std::vector<std::string> Files(const std::string& folder)
{
    std::vector<std::string> paths;
    std::error_code missing;
    for (const auto& entry : std::filesystem::directory_iterator(folder, missing))
        paths.push_back(entry.path().string());
    std::sort(paths.begin(), paths.end());
    return paths;
}

} // namespace

// Each round goes into a file of its own that begins with its map and
// every ship, as a watcher without a ship sees it; a person still finds
// the seat the watcher's slot is not.
TEST(RoundRecorder, EveryRoundIsADemoOfItsOwnThatAPlayerCanPlay)
{
    TempDir dir;
    ServerLog quiet(nullptr);
    ServerOptions options = Recording(dir, 3);
    options.maxPlayers = 3;
    options.seed = 7;
    {
        GameServer server(options, QR_DATA_DIR, quiet);
        std::string error;
        ASSERT_TRUE(server.StartUnhosted(error)) << error;
        Seat(server, 1, "Vega");
        for (int tick = 0; tick < 600; ++tick)
            server.Tick(16);
    }
    const std::vector<std::string> files = Files(options.recordDir);
    ASSERT_EQ(files.size(), 2u);

    const char* maps[] = {"Arena", "Warren"};
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i]);
        EXPECT_NE(files[i].find(std::string("_") + maps[i] + ".qrdemo"), std::string::npos);
        DemoReader demo;
        std::string error;
        ASSERT_TRUE(demo.ReadFile(files[i], error)) << error;
        EXPECT_EQ(demo.Header().mapName, maps[i]);
        EXPECT_EQ(demo.Header().shipId, DemoHeader::kNoShip);
        EXPECT_EQ(demo.Header().mapChecksum,
                  DemoHeader::FileChecksum(std::string(QR_DATA_DIR) + "/Maps/" + maps[i] + ".smp"));
        EXPECT_FALSE(demo.IsCut());
        const Told told = Replay(demo);
        ASSERT_FALSE(told.maps.empty());
        EXPECT_EQ(told.maps.back(), maps[i]);
        EXPECT_EQ(told.spawned.size(), i == 0 ? 4u : 3u) << "everyone who sat in the round";
        EXPECT_EQ(told.spawned.count("Vega"), 1u) << "a robot gave its seat to the person";
        EXPECT_EQ(told.joins, 0) << "the watcher has no ship to be told of";
        EXPECT_GT(told.shipStates, 30);
    }
}

// Rounds of robots alone leave no file; the round a person comes into is
// recorded from its start; a folder taken away is made again for the next.
TEST(RoundRecorder, OnlyRoundsWithAPersonAreKeptAndAFolderTakenAwayComesBack)
{
    TempDir dir;
    ServerLog quiet(nullptr);
    const ServerOptions options = Recording(dir, 2);
    const auto files = [&] { return Files(options.recordDir); };
    GameServer server(options, QR_DATA_DIR, quiet);
    std::string error;
    ASSERT_TRUE(server.StartUnhosted(error)) << error;
    // A round and its results take 6.2 s: this is a second into the second.
    for (int tick = 0; tick < 450; ++tick)
        server.Tick(16);
    EXPECT_TRUE(files().empty()) << "robots alone on Arena, then on Warren";

    Seat(server, 1, "Vega");
    server.Tick(16);
    ASSERT_EQ(files().size(), 1u);
    {
        DemoReader demo;
        ASSERT_TRUE(demo.ReadFile(files()[0], error)) << error;
        EXPECT_EQ(demo.Header().mapName, "Warren");
        const Told told = Replay(demo);
        EXPECT_EQ(told.maps, std::vector<std::string>{"Warren"}) << "from the round's start";
        EXPECT_EQ(told.spawned.size(), 3u) << "the robots from before the person came, and the person";
    }

    std::filesystem::remove_all(options.recordDir);
    for (int tick = 0; tick < 450; ++tick)
        server.Tick(16);
    ASSERT_EQ(files().size(), 1u) << "the next round in a folder made again";
    DemoReader next;
    ASSERT_TRUE(next.ReadFile(files()[0], error)) << error;
    EXPECT_EQ(next.Header().mapName, "Arena");
}

// The operator hears at the start, not a round later, that the folder
// cannot take the recordings.
TEST(RoundRecorder, AFolderThatCannotBeMadeStopsTheStart)
{
    TempDir dir;
    dir.WriteFile("taken", "a file, not a folder");
    ServerLog quiet(nullptr);
    ServerOptions options = Recording(dir, 0);
    options.recordDir = dir.Path() + "/taken/rounds";
    GameServer server(options, QR_DATA_DIR, quiet);
    std::string error;
    EXPECT_FALSE(server.StartUnhosted(error));
    EXPECT_EQ(error, "cannot record into \"" + options.recordDir + "\": it is not a folder that can be made");
}
