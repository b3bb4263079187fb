#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "demo/DemoReader.h"
#include "net/MessageBatch.h"
#include "server/engine/FedServer.h"
#include "server/engine/RoundRecorder.h"
#include "support/FileSizeLimit.h"
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
class RoundRecorderTest : public FedServer {
protected:
    ServerOptions Recording(int robots) const
    {
        ServerOptions options = Options();
        options.bots = robots;
        options.roundMinutes = 0.02;
        options.recordDir = dir.Path() + "/rounds";
        return options;
    }
    std::vector<std::string> Recorded() const
    {
        std::vector<std::string> paths;
        std::error_code missing;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path() + "/rounds", missing))
            paths.push_back(entry.path().string());
        std::sort(paths.begin(), paths.end());
        return paths;
    }

    TempDir dir;
};

} // namespace

// A round a person plays in is a demo of its own, as a watcher without a
// ship sees it from the round's start: robots alone leave none, and a
// person still finds the seat the watcher's slot is not.
TEST_F(RoundRecorderTest, OnlyRoundsWithAPersonAreKeptEachADemoOfItsOwnThatAPlayerCanPlay)
{
    ServerOptions options = Recording(3);
    options.maxPlayers = 3;
    ASSERT_EQ(Start(options), "");
    // A round and its results take 6.2 s: this is a second into the second.
    Play(450);
    EXPECT_TRUE(Recorded().empty()) << "robots alone on Arena, then on Warren";
    Connect(1, 0x0a000001u, "Vega");
    Play(3); // the next report
    ASSERT_EQ(Recorded().size(), 1u);
    std::string error;
    DemoReader begun;
    ASSERT_TRUE(begun.ReadFile(Recorded()[0], error)) << error;
    EXPECT_EQ(Replay(begun).maps, std::vector<std::string>{"Warren"}) << "from the round's start";

    // Files are named by their start and map, and two may start in a second.
    const auto played = [&](std::size_t seated) {
        const std::vector<std::string> files = Recorded();
        const auto path =
            std::ranges::find_if(files, [](const std::string& file) { return file.ends_with("_Warren.qrdemo"); });
        ASSERT_NE(path, files.end());
        DemoReader demo;
        ASSERT_TRUE(demo.ReadFile(*path, error)) << error;
        EXPECT_EQ(demo.Header().mapName, "Warren");
        EXPECT_EQ(demo.Header().shipId, DemoHeader::kNoShip);
        EXPECT_EQ(demo.Header().mapChecksum, DemoHeader::FileChecksum(QR_DATA_DIR "/Maps/Warren.smp"));
        EXPECT_FALSE(demo.IsCut());
        const Told told = Replay(demo);
        EXPECT_EQ(told.maps, std::vector<std::string>{"Warren"});
        EXPECT_EQ(told.spawned.size(), seated) << "everyone who sat in the round";
        EXPECT_EQ(told.spawned.count("Vega"), 1u) << "a robot gave its seat to the person";
        EXPECT_EQ(told.joins, 0) << "the watcher has no ship to be told of";
        EXPECT_GT(told.shipStates, 30);
    };
    Play(450);
    ASSERT_EQ(Recorded().size(), 2u) << "the next round, Arena, in a file of its own";
    played(4u); // the robots from before the person came, and the person

    // A folder taken away is made again for the round after the one under way.
    std::filesystem::remove_all(dir.Path() + "/rounds");
    Play(450);
    server.reset();
    ASSERT_EQ(Recorded().size(), 1u);
    played(3u);
}

// The operator hears at the start, not a round later, that the folder
// cannot take the recordings.
TEST_F(RoundRecorderTest, AFolderThatCannotBeMadeStopsTheStart)
{
    dir.WriteFile("taken", "a file, not a folder");
    ServerOptions options = Recording(0);
    options.recordDir = dir.Path() + "/taken/rounds";
    EXPECT_EQ(Start(options), "cannot record into \"" + options.recordDir + "\": it is not a folder that can be made");
}

// A write that fails is logged with the file's name, whenever it comes; a
// round's file that could take nothing is removed, not left empty.
TEST_F(RoundRecorderTest, AWriteThatFailsIsLoggedAndLeavesNoEmptyFile)
{
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* memory = ::open_memstream(&text, &size);
    ASSERT_NE(memory, nullptr);
    {
        ServerLog memoryLog(memory);
        RoundRecorder recorder(dir.Path() + "/rounds", QR_DATA_DIR, "Test", memoryLog);
        std::string error;
        ASSERT_TRUE(recorder.Prepare(error)) << error;
        const std::vector<std::uint8_t> payload(1000, 7);
        {
            FileSizeLimit limit(16);
            recorder.Take({1, "Arena", 0, true}, payload);
        }
        EXPECT_TRUE(Recorded().empty()) << "not a header alone";
        recorder.Take({2, "Warren", 0, true}, payload);
        recorder.Take({2, "Warren", 1000, true}, payload);
        ASSERT_EQ(Recorded().size(), 1u);
        FileSizeLimit limit(std::filesystem::file_size(Recorded()[0]));
        recorder.Take({2, "Warren", 1100, true}, payload);
        recorder.Close();
    }
    std::fclose(memory);
    const std::string logged(text, size);
    std::free(text);
    const std::string tooLarge = std::string(": ") + std::strerror(EFBIG);
    const std::vector<std::string> files = Recorded();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_NE(logged.find("_Arena.qrdemo" + tooLarge), std::string::npos) << logged;
    EXPECT_NE(logged.find(files[0] + tooLarge), std::string::npos) << logged;
}

