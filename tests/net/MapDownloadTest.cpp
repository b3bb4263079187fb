#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "net/MapDownload.h"
#include "support/MapFile.h"

namespace {

using MapTransfer::Part;
using MapTransfer::Piece;

const std::vector<std::uint8_t> kMap = MapFileBytes("Quarry", std::vector<std::vector<int>>(40, std::vector<int>(50, 0)));
const std::vector<std::uint8_t> kRadar(3000, 0x42);

MapTransfer::Offer OfferOf(const std::vector<std::uint8_t>& map, const std::vector<std::uint8_t>& radar)
{
    return {"Quarry", static_cast<std::uint32_t>(map.size()), platform::HashOf(map.data(), map.size()),
            static_cast<std::uint32_t>(radar.size()), platform::HashOf(radar.data(), radar.size())};
}

// The pieces a server sends: the map file, then the picture, in order.
std::vector<Piece> PiecesOf(const std::vector<std::uint8_t>& map, const std::vector<std::uint8_t>& radar)
{
    std::vector<Piece> pieces;
    for (const auto& [part, file] : {std::pair {Part::MapFile, &map}, std::pair {Part::Radar, &radar}}) {
        for (std::size_t at = 0; at < file->size(); at += MapTransfer::kPieceBytes) {
            const std::size_t end = std::min(file->size(), at + MapTransfer::kPieceBytes);
            pieces.push_back({part, static_cast<std::uint32_t>(at), {file->begin() + at, file->begin() + end}});
        }
    }
    return pieces;
}

MapDownload Fed(const MapTransfer::Offer& offer, const std::vector<Piece>& pieces)
{
    MapDownload download(offer, 0);
    for (const Piece& piece : pieces)
        download.Take(piece, 1);
    return download;
}

} // namespace

TEST(MapTransfer, OnlyPlainFileNamesAreKept)
{
    for (const char* name : {"Quarry", "Big_Map-2", "a"})
        EXPECT_TRUE(MapTransfer::IsPlainName(name)) << name;
    for (const char* name : {"", "../etc", "a/b", "a\\b", ".hidden", "name with space", "a.smp"})
        EXPECT_FALSE(MapTransfer::IsPlainName(name)) << name;
    EXPECT_FALSE(MapTransfer::IsPlainName(std::string(64, 'a')));
}

TEST(MapDownload, PiecesInOrderMakeTheVerifiedFiles)
{
    MapDownload download(OfferOf(kMap, kRadar), 0);
    const std::vector<Piece> pieces = PiecesOf(kMap, kRadar);
    for (std::size_t i = 0; i + 1 < pieces.size(); ++i)
        download.Take(pieces[i], 1);
    EXPECT_EQ(download.Status(), MapDownload::State::Receiving);
    EXPECT_NEAR(download.Done(), 1.0 - static_cast<double>(pieces.back().bytes.size()) / (kMap.size() + kRadar.size()),
                1e-9);
    download.Take(pieces.back(), 2);
    EXPECT_EQ(download.Status(), MapDownload::State::Complete) << download.Problem();
    EXPECT_EQ(std::tuple(download.MapFile(), download.Radar()), std::tuple(kMap, kRadar));

    const std::vector<std::uint8_t> none;
    EXPECT_EQ(Fed(OfferOf(kMap, none), PiecesOf(kMap, none)).Status(), MapDownload::State::Complete)
        << "a map without a picture";
}

TEST(MapDownload, WhatTheServerMustNotSendEndsItWithNothingKept)
{
    const MapTransfer::Offer offer = OfferOf(kMap, kRadar);
    const std::vector<Piece> good = PiecesOf(kMap, kRadar);
    auto swapped = good;
    std::swap(swapped[0], swapped[1]);
    auto radarFirst = good;
    std::rotate(radarFirst.begin(), radarFirst.end() - 1, radarFirst.end());
    auto beyond = good;
    beyond.back().bytes.push_back(0);
    auto repeated = good;
    repeated.insert(repeated.begin() + 1, good[0]);
    auto empty = good;
    empty.insert(empty.begin(), Piece {Part::MapFile, 0, {}});
    auto wrongHash = offer;
    wrongHash.mapHash[0] ^= 1;
    auto wrongPicture = offer;
    wrongPicture.radarHash[5] ^= 1;
    const std::vector<std::uint8_t> garbage(500, 0xFF);
    struct Case {
        const char* what;
        MapTransfer::Offer offer;
        std::vector<Piece> pieces;
        const char* told;
    };
    const Case cases[] = {
        {"pieces swapped", offer, swapped, "The server sent the map out of order."},
        {"the picture before the map", offer, radarFirst, "The server sent the map out of order."},
        {"a byte beyond the size", offer, beyond, "The server sent the map out of order."},
        {"a piece again", offer, repeated, "The server sent the map out of order."},
        {"an empty piece", offer, empty, "The server sent the map out of order."},
        {"another map's hash", wrongHash, good, "The map the server sent does not match its hash."},
        {"another picture's hash", wrongPicture, good, "The map the server sent does not match its hash."},
        {"a file that is no map", OfferOf(garbage, {}), PiecesOf(garbage, {}), "The map the server sent does not read."},
    };
    for (const Case& c : cases) {
        const MapDownload download = Fed(c.offer, c.pieces);
        EXPECT_EQ(download.Status(), MapDownload::State::Failed) << c.what;
        EXPECT_EQ(download.Problem(), c.told) << c.what;
        EXPECT_TRUE(download.MapFile().empty() && download.Radar().empty()) << c.what;
    }
}

TEST(MapDownload, AnOfferOverTheLimitsOrANameNotPlainIsRefusedAtOnce)
{
    auto large = OfferOf(kMap, kRadar);
    large.mapSize = MapTransfer::kLargestFile + 1;
    auto largePicture = OfferOf(kMap, kRadar);
    largePicture.radarSize = MapTransfer::kLargestFile + 1;
    auto nothing = OfferOf(kMap, kRadar);
    nothing.mapSize = 0;
    auto path = OfferOf(kMap, kRadar);
    path.name = "../../.bashrc";
    for (const auto& offer : {large, largePicture, nothing, path})
        EXPECT_EQ(MapDownload(offer, 0).Status(), MapDownload::State::Failed) << offer.name << " " << offer.mapSize;
    auto limit = OfferOf(kMap, kRadar);
    limit.mapSize = MapTransfer::kLargestFile;
    EXPECT_EQ(MapDownload(limit, 0).Status(), MapDownload::State::Receiving) << "4 MB itself is taken";
}

TEST(MapDownload, TenSilentSecondsEndItAndEachPieceRestartsTheCount)
{
    MapDownload download(OfferOf(kMap, kRadar), 1000);
    download.Check(1000 + MapDownload::kStallMs - 1);
    download.Take(PiecesOf(kMap, kRadar)[0], 9000);
    download.Check(9000 + MapDownload::kStallMs - 1);
    EXPECT_EQ(download.Status(), MapDownload::State::Receiving);
    download.Check(9000 + MapDownload::kStallMs);
    EXPECT_EQ(download.Status(), MapDownload::State::Failed);
    EXPECT_EQ(download.Problem(), "The map download stalled: the server sent nothing for 10 seconds.");
}
