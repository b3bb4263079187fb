#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "net/MapCache.h"
#include "net/MapDownload.h"
#include "platform/WholeFile.h"
#include "world/Map.h"
#include "support/MapFile.h"
#include "support/TempDir.h"

namespace {

std::vector<std::uint8_t> FileOf(const std::string& path)
{
    return platform::ReadWholeFile(path, MapTransfer::kLargestFile).value_or(std::vector<std::uint8_t>());
}

MapTransfer::Offer OfferOf(const std::string& name, const std::vector<std::uint8_t>& map,
                           const std::vector<std::uint8_t>& radar)
{
    return {name, static_cast<std::uint32_t>(map.size()), platform::HashOf(map.data(), map.size()),
            static_cast<std::uint32_t>(radar.size()), platform::HashOf(radar.data(), radar.size())};
}

// A download fed whole, as the server sends it.
MapDownload Downloaded(const MapTransfer::Offer& offer, const std::vector<std::uint8_t>& map,
                       const std::vector<std::uint8_t>& radar)
{
    MapDownload download(offer, 0);
    download.Take({MapTransfer::Part::MapFile, 0, map}, 0);
    if (!radar.empty())
        download.Take({MapTransfer::Part::Radar, 0, radar}, 0);
    return download;
}

std::vector<std::uint8_t> SmallMap(const std::string& name, int extra = 0)
{
    return MapFileBytes(name, std::vector<std::vector<int>>(30, std::vector<int>(30, 0)), extra);
}

class MapCacheTest : public ::testing::Test {
protected:
    TempDir home;
    ScopedWorkingDir inData {QR_DATA_DIR};
    MapCache cache {home.Path() + "/maps"};
};

} // namespace

TEST_F(MapCacheTest, AKeptDownloadIsFoundByItsHashAndAChangedFileIsNot)
{
    const auto map = SmallMap("Quarry");
    const std::vector<std::uint8_t> radar {'B', 'M', 1, 2, 3};
    const auto offer = OfferOf("Quarry", map, radar);
    EXPECT_FALSE(cache.Find(offer));
    std::string error;
    ASSERT_TRUE(cache.Store(Downloaded(offer, map, radar), error)) << error;
    EXPECT_EQ(cache.MapPath(offer), home.Path() + "/maps/Quarry-" + platform::HexOf(offer.mapHash) + ".smp");
    EXPECT_EQ(FileOf(cache.RadarPath(offer)), radar);
    EXPECT_FALSE(std::filesystem::exists(cache.MapPath(offer) + ".new")) << "written whole, then renamed";
    const auto found = cache.Find(offer);
    ASSERT_TRUE(found);
    EXPECT_EQ(std::tuple(found->mapFile, found->radarPicture), std::tuple(map, cache.RadarPath(offer)));

    auto other = offer;
    other.mapHash[0] ^= 1;
    EXPECT_FALSE(cache.Find(other)) << "another version of the map";
    home.WriteFile("maps/Quarry-" + platform::HexOf(offer.mapHash) + ".bmp", "BM changed");
    EXPECT_FALSE(cache.Find(offer)) << "a picture that no longer matches";
}

TEST_F(MapCacheTest, AShippedMapIsUsedOnlyAsTheServerHasIt)
{
    const auto arena = FileOf(QR_DATA_DIR "/Maps/Arena.smp");
    const auto picture = FileOf(QR_DATA_DIR "/Maps/Arena.bmp");
    const auto found = cache.Find(OfferOf("Arena", arena, picture));
    ASSERT_TRUE(found);
    EXPECT_EQ(std::tuple(found->mapFile, found->radarPicture), std::tuple(arena, std::string()))
        << "a shipped map's picture is found by its name";

    // The server plays another Arena: it is kept beside the shipped one.
    const auto theirs = SmallMap("Arena", 3);
    const auto offer = OfferOf("Arena", theirs, picture);
    EXPECT_FALSE(cache.Find(offer));
    std::string error;
    ASSERT_TRUE(cache.Store(Downloaded(offer, theirs, picture), error)) << error;
    EXPECT_EQ(cache.Find(offer)->mapFile, theirs);
    EXPECT_EQ(FileOf(QR_DATA_DIR "/Maps/Arena.smp"), arena) << "the shipped map is never written";
    EXPECT_EQ(cache.Find(OfferOf("Arena", arena, picture))->radarPicture, "") << "and is still used where it fits";
}

TEST_F(MapCacheTest, TheNewestHundredAreKept)
{
    std::string error;
    std::vector<MapTransfer::Offer> offers;
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    for (int i = 0; i <= static_cast<int>(MapCache::kKept); ++i) {
        const auto map = SmallMap("Map" + std::to_string(i));
        const std::vector<std::uint8_t> radar {'B', 'M', static_cast<std::uint8_t>(i)};
        offers.push_back(OfferOf("Map" + std::to_string(i), map, radar));
        ASSERT_TRUE(cache.Store(Downloaded(offers.back(), map, radar), error)) << error;
        // The first is the oldest by far; the rest are as old as each other.
        if (i == 0)
            std::filesystem::last_write_time(cache.MapPath(offers[0]), old);
    }
    EXPECT_FALSE(std::filesystem::exists(cache.MapPath(offers[0])));
    EXPECT_FALSE(std::filesystem::exists(cache.RadarPath(offers[0]))) << "its picture goes with it";
    std::size_t maps = 0;
    for (const auto& entry : std::filesystem::directory_iterator(home.Path() + "/maps"))
        maps += entry.path().extension() == ".smp";
    EXPECT_EQ(maps, MapCache::kKept);
    EXPECT_TRUE(cache.Find(offers.back()));
}

TEST_F(MapCacheTest, ADroppedPictureLeavesTheMapKeptWithoutOne)
{
    const auto map = SmallMap("Quarry");
    const std::vector<std::uint8_t> radar {'n', 'o', 't', ' ', 'a', ' ', 'B', 'M', 'P'};
    const auto offer = OfferOf("Quarry", map, radar);
    MapDownload download = Downloaded(offer, map, radar);
    download.DropRadar();
    std::string error;
    ASSERT_TRUE(cache.Store(download, error)) << error;
    EXPECT_FALSE(std::filesystem::exists(cache.RadarPath(offer)));
    const auto found = cache.Find(offer);
    ASSERT_TRUE(found) << "used again without its picture";
    EXPECT_EQ(std::tuple(found->mapFile, found->radarPicture), std::tuple(map, std::string(Map::kNoRadarPicture)))
        << "and not the shipped picture of that name";
}
