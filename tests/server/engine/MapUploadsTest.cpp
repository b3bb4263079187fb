#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "net/MapDownload.h"
#include "net/MessageBatch.h"
#include "net/NetMessage.h"
#include "server/engine/MapUploads.h"
#include "support/MapFile.h"
#include "support/TempDir.h"

namespace {

// One message of a payload the uploads made.
struct Heard {
    NetMessage message;
    explicit Heard(const std::vector<std::uint8_t>& payload)
    {
        MessageBatch batch;
        batch.ParsePacked(payload.data(), payload.size());
        if (NetMessage* first = batch.Begin()) {
            std::vector<std::uint8_t> wire(static_cast<std::size_t>(first->WireSize()));
            first->Serialize(wire.data(), static_cast<int>(wire.size()));
            message.Parse(wire.data(), wire.size());
        }
    }
};

class MapUploadsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        map = MapFileBytes("Quarry", std::vector<std::vector<int>>(40, std::vector<int>(40, 1)));
        radar.assign(5000, 'r');
        data.WriteFile("Maps/Quarry.smp", {map.begin(), map.end()});
        data.WriteFile("Maps/Quarry.bmp", {radar.begin(), radar.end()});
    }

    MapTransfer::Offer Offered(int slot, const std::string& name = "Quarry")
    {
        const auto payload = uploads.OfferFor(slot, name, round);
        return payload.empty() ? MapTransfer::Offer {} : MapTransfer::ReadOffer(Heard(payload).message).value();
    }

    // One tick's pieces, by slot, each slot's bytes of file counted.
    std::map<int, std::uint32_t> Tick()
    {
        std::map<int, std::uint32_t> sent;
        uploads.Pump([&](int slot, const std::vector<std::uint8_t>& payload) {
            const auto piece = MapTransfer::ReadPiece(Heard(payload).message);
            ASSERT_TRUE(piece);
            auto& file = piece->part == MapTransfer::Part::MapFile ? received[slot].first : received[slot].second;
            ASSERT_EQ(piece->offset, file.size()) << "in order";
            file.insert(file.end(), piece->bytes.begin(), piece->bytes.end());
            sent[slot] += static_cast<std::uint32_t>(piece->bytes.size());
        }, [&](int slot) { return backlog[slot]; });
        return sent;
    }

    TempDir data;
    std::vector<std::string> notes;
    MapUploads uploads {data.Path(), [this](int slot, const std::string& line) {
                            notes.push_back(std::to_string(slot) + " " + line);
                        }};
    std::vector<std::uint8_t> map;
    std::vector<std::uint8_t> radar;
    std::map<int, std::pair<std::vector<std::uint8_t>, std::vector<std::uint8_t>>> received;
    std::map<int, std::size_t> backlog; // reliable bytes queued to each slot
    std::uint32_t round = 1;
};

} // namespace

TEST_F(MapUploadsTest, EachMapMessageIsOfferedAndAnOfferEndsTheDownloadBeforeIt)
{
    const MapTransfer::Offer offer = Offered(1);
    EXPECT_EQ(std::tuple(offer.name, offer.mapSize, offer.mapHash, offer.radarSize, offer.radarHash),
              std::tuple(std::string("Quarry"), static_cast<std::uint32_t>(map.size()),
                         platform::HashOf(map.data(), map.size()), 5000u, platform::HashOf(radar.data(), 5000)));
    EXPECT_EQ(uploads.GameBacklog(1, 20000), 20000u);
    uploads.Request(1, offer.mapHash);
    EXPECT_EQ(Tick().size(), 1u);
    // While the pieces are on their way, they are not the game's backlog.
    EXPECT_EQ(uploads.GameBacklog(1, MapUploads::kMostQueued - 1), 0u);
    EXPECT_EQ(uploads.GameBacklog(1, MapUploads::kMostQueued + 500), 500u);
    EXPECT_EQ(uploads.GameBacklog(2, 700), 700u) << "another player's backlog is its own";
    EXPECT_EQ(Offered(1).name, "Quarry") << "the same map in a new round";
    EXPECT_TRUE(Tick().empty()) << "the download cut short is over: the player asks again";
    EXPECT_EQ(Offered(2).name, "Quarry") << "another player";
    EXPECT_TRUE(uploads.OfferFor(1, "Missing", round).empty()) << "a map whose file does not read is not offered";
    uploads.Forget(1);
    EXPECT_EQ(Offered(1).name, "Quarry") << "a slot taken by a newcomer";
}

TEST_F(MapUploadsTest, AFewDownloadsAtOnceEachPacedAndTheRestWaitTheirTurn)
{
    // Few downloads go at full pace, many share the tick, none stands still.
    EXPECT_EQ(std::vector<std::uint32_t>({MapUploads::ShareOf(1), MapUploads::ShareOf(4), MapUploads::ShareOf(8),
                                          MapUploads::ShareOf(16)}),
              std::vector<std::uint32_t>({4096, 4096, 2048, 1024}));
    const std::size_t players = MapUploads::kAtOnce + 2;
    platform::Sha256 hash {};
    for (int slot = 0; slot < static_cast<int>(players); ++slot) {
        hash = Offered(slot).mapHash;
        uploads.Request(slot, hash);
    }
    uploads.Request(0, hash);
    const auto first = Tick();
    EXPECT_EQ(first.size(), MapUploads::kAtOnce);
    for (const auto& [slot, bytes] : first) {
        EXPECT_LT(slot, static_cast<int>(MapUploads::kAtOnce)) << "in the order asked";
        EXPECT_EQ(bytes, MapUploads::ShareOf(MapUploads::kAtOnce)) << "a share each, asked twice or not";
    }
    for (int tick = 0; tick < 100 && uploads.Waiting() > 0; ++tick)
        Tick();
    EXPECT_EQ(uploads.Waiting(), 0u);
    for (int slot = 0; slot < static_cast<int>(players); ++slot)
        EXPECT_EQ(received[slot], std::pair(map, radar)) << slot;
    uploads.Request(0, hash);
    EXPECT_EQ(uploads.Waiting(), 0u) << "a map had is not sent again for the same offer";
}

TEST_F(MapUploadsTest, PlayersWaitingTheirTurnHearEnoughThatNoneStalls)
{
    // A picture large enough that those served first take longer than a
    // player's stall check: the rest wait well past it.
    radar.assign(1 << 20, 'r');
    data.WriteFile("Maps/Quarry.bmp", {radar.begin(), radar.end()});
    const int players = 20;
    std::uint32_t now = 0;
    std::map<int, MapDownload> downloads;
    for (int slot = 0; slot < players; ++slot) {
        const MapTransfer::Offer offer = Offered(slot);
        downloads.emplace(slot, MapDownload(offer, now));
        uploads.Request(slot, offer.mapHash);
    }
    for (int tick = 0; tick < 60 * 60 && uploads.Waiting() > 0; ++tick) {
        now += 16;
        uploads.Pump([&](int slot, const std::vector<std::uint8_t>& payload) {
            downloads.at(slot).Take(Heard(payload).message, now);
        }, [](int) { return std::size_t {0}; });
        for (auto& [slot, download] : downloads)
            download.Check(now);
    }
    EXPECT_GT(now, MapDownload::kStallMs * 3 / 2);
    for (const auto& [slot, download] : downloads)
        EXPECT_EQ(download.Status(), MapDownload::State::Complete) << slot << ": " << download.Problem();
}

TEST_F(MapUploadsTest, OnlyTheOfferedMapIsSentAndANewRoundEndsTheOld)
{
    const platform::Sha256 hash = Offered(1).mapHash;
    auto other = hash;
    other[0] ^= 1;
    uploads.Request(1, other);
    uploads.Request(2, hash);
    EXPECT_EQ(uploads.Waiting(), 0u) << "another map, and a player never offered one";

    uploads.Request(1, hash);
    Offered(2);
    uploads.Request(2, hash);
    Tick();
    const auto second = MapFileBytes("Other", {{0, 1}, {1, 0}});
    data.WriteFile("Maps/Other.smp", {second.begin(), second.end()});
    Offered(1, "Other");
    EXPECT_EQ(uploads.Waiting(), 0u) << "the rotation moved on: the old map is sent no more";
    uploads.Request(1, hash);
    EXPECT_EQ(uploads.Waiting(), 0u) << "the old map asked for after the new offer";

    Offered(2, "Other");
    uploads.Request(2, Offered(3, "Other").mapHash);
    uploads.Forget(2);
    EXPECT_EQ(uploads.Waiting(), 0u) << "a player who leaves";
    EXPECT_EQ(std::ranges::count_if(notes, [](const std::string& line) { return line.starts_with("1 stops"); }) +
                  std::ranges::count_if(notes, [](const std::string& line) { return line.starts_with("2 stops"); }),
              3)
        << "each download begun ends in the log";
    EXPECT_EQ(notes.back(), "2 stops downloading map \"Other\": the player left");
}

TEST_F(MapUploadsTest, APlayersBacklogHoldsItsDownloadBack)
{
    uploads.Request(1, Offered(1).mapHash);
    backlog[1] = MapUploads::kMostQueued;
    EXPECT_TRUE(Tick().empty()) << "a slow link, or pieces sent again, still queued";
    backlog[1] = MapUploads::kMostQueued - 1000;
    EXPECT_TRUE(Tick().empty()) << "no piece smaller than a whole one";
    backlog[1] = MapUploads::kMostQueued - 2500;
    EXPECT_EQ(Tick()[1], 2048u) << "whole pieces in the room left";
    backlog[1] = 0;
    const std::uint32_t full = Tick()[1];
    EXPECT_LE(full, MapUploads::ShareOf(1));
    EXPECT_GT(full, MapUploads::ShareOf(1) - MapTransfer::kPieceBytes) << "short only of a piece past a file's end";
}

TEST_F(MapUploadsTest, AMapReplacedOnDiskIsOfferedAsTheNextRoundLoadsItAndTheOperatorHearsEachDownload)
{
    const auto played = map;
    const platform::Sha256 before = Offered(1).mapHash;
    uploads.Request(1, before);
    Tick();
    map = MapFileBytes("Quarry", std::vector<std::vector<int>>(30, std::vector<int>(30, 1)));
    data.WriteFile("Maps/Quarry.smp", {map.begin(), map.end()});
    EXPECT_EQ(Offered(2).mapHash, before) << "a newcomer mid-round: the map the round plays";
    for (int tick = 0; tick < 20 && uploads.Waiting() > 0; ++tick)
        Tick();
    EXPECT_EQ(received[1].first, played) << "the download under way goes on, as it began";
    EXPECT_EQ(notes, std::vector<std::string>({"1 starts downloading map \"Quarry\" (9 KB)",
                                               "1 has been sent all of map \"Quarry\""}));
    EXPECT_EQ(std::pair(uploads.Started(), uploads.Finished()), std::pair(std::uint64_t {1}, std::uint64_t {1}));

    ++round;
    EXPECT_EQ(Offered(2).mapHash, platform::HashOf(map.data(), map.size())) << "the next round loads it anew";

    notes.clear();
    EXPECT_TRUE(uploads.OfferFor(3, "Bad.Name", round).empty());
    EXPECT_TRUE(uploads.OfferFor(4, "Bad.Name", round).empty());
    EXPECT_EQ(notes, std::vector<std::string>({"-1 map \"Bad.Name\" cannot be offered to players who lack it: its name "
                                               "is not a plain file name (letters, digits, _ and -, 63 at most)"}))
        << "once, not for every player";
}
