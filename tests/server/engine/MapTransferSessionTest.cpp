#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "net/MapCache.h"
#include "net/MapDownload.h"
#include "platform/WholeFile.h"
#include "support/Keys.h"
#include "support/ServerSessionTest.h"
#include "world/Map.h"

namespace {

// A server whose only map the game's data lacks, made by the operator's
// map maker from a small source, and a player whose downloads are kept in
// a folder of the test's.
class MapTransferSession : public ServerSessionTest {
protected:
    void SetUp() override
    {
        ServerSessionTest::SetUp();
        const auto duel = platform::ReadWholeFile(QR_SOURCE_MAPS "/Duel.map", 1 << 20).value_or(
            std::vector<std::uint8_t>());
        std::string source(duel.begin(), duel.end());
        ASSERT_NE(source.find("name Duel"), std::string::npos);
        source.replace(source.find("name Duel"), 9, "name Quarry");
        served.WriteFile("Maps/Quarry.map", source);
        const std::string make = std::string(QR_MAPMAKER) + " -o " + served.Path() + "/Maps " + served.Path() +
                                 "/Maps/Quarry.map > /dev/null";
        ASSERT_EQ(std::system(make.c_str()), 0);
        client->SetMapFolder(cacheFolder());

        ServerOptions options = ServerThread::EndlessArena(port, "Map Host", 4);
        options.maps = {"Quarry"};
        server = std::make_unique<ServerThread>(options, served.Path());
        std::string error;
        ASSERT_TRUE(server->Start(error)) << error;
    }

    std::string cacheFolder() const { return home.Path() + "/maps"; }
    std::vector<std::uint8_t> ServedFile(const char* extension) const
    {
        return platform::ReadWholeFile(served.Path() + "/Maps/Quarry" + extension, 1 << 22).value_or(
            std::vector<std::uint8_t>());
    }
    bool PlaysQuarry() const { return MapNameOf(*world) == "Quarry"; }
    static std::string MapNameOf(World& in)
    {
        char name[64] = {};
        if (Map* map = in.GetMap())
            map->GetName(name, sizeof name);
        return name;
    }

    const std::uint16_t port = TestPort(43000);
    TempDir served;
    TempDir home;
};

} // namespace

TEST_F(MapTransferSession, AMapTheGameLacksIsDownloadedKeptAndUsedAgain)
{
    ASSERT_FALSE(std::filesystem::exists(QR_DATA_DIR "/Maps/Quarry.smp"));
    ASSERT_TRUE(Join("Map Host", port));
    ASSERT_TRUE(WorkUntil([&] { return PlaysQuarry(); }));
    EXPECT_TRUE(ConsoleHas("Downloading map \"Quarry\""));
    EXPECT_EQ(client->Download(), nullptr);

    const auto mapFile = ServedFile(".smp");
    const auto picture = ServedFile(".bmp");
    const platform::Sha256 hash = platform::HashOf(mapFile.data(), mapFile.size());
    const std::string kept = cacheFolder() + "/Quarry-" + platform::HexOf(hash);
    const auto keptMap = platform::ReadWholeFile(kept + ".smp", 1 << 22);
    ASSERT_TRUE(keptMap);
    EXPECT_EQ(platform::HashOf(keptMap->data(), keptMap->size()), hash) << "the server's SHA-256";
    EXPECT_EQ(platform::ReadWholeFile(kept + ".bmp", 1 << 22), picture);
    EXPECT_EQ(world->GetMap()->RadarPicture(), kept + ".bmp");
    EXPECT_TRUE(WorkUntil([&] { return local->IsAlive(); })) << "and plays";

    // A second join finds it kept.
    NetClient::Destroy();
    Console::Instance()->Clear();
    world = std::make_unique<World>();
    local = world->AddShip(std::make_unique<Ship>());
    local->SetName("Pilot");
    client = NetClient::Instance();
    client->SetWorld(world.get());
    client->SetMapFolder(cacheFolder());
    ASSERT_TRUE(Join("Map Host", port));
    ASSERT_TRUE(WorkUntil([&] { return PlaysQuarry(); }));
    EXPECT_TRUE(ConsoleHas("Loaded map \"Quarry\""));
    EXPECT_FALSE(ConsoleHas("Downloading map \"Quarry\"")) << "the kept map is used";
}
