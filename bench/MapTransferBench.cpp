#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "net/MapDownload.h"
#include "platform/WholeFile.h"
#include "server/engine/MapUploads.h"

namespace {

// The largest shipped map and its 3 MB radar picture: the most a download
// of a real map asks of either side.
std::vector<std::uint8_t> HiveFile(const char* extension)
{
    return platform::ReadWholeFile(std::string(QR_DATA_DIR "/Maps/Hive") + extension, MapTransfer::kLargestFile)
        .value_or(std::vector<std::uint8_t>());
}

// What a tick of the server spends on the downloads it serves at once:
// reading its share of each file and packing the pieces.
void BM_ServeDownloadsATick(benchmark::State& state)
{
    MapUploads uploads(QR_DATA_DIR, [](int, const std::string&) {});
    const auto map = HiveFile(".smp");
    const platform::Sha256 hash = platform::HashOf(map.data(), map.size());
    // Every download afresh once the last ends, so that each tick serves
    // as many as run at once.
    const auto ask = [&] {
        for (int slot = 0; slot < static_cast<int>(MapUploads::kAtOnce); ++slot) {
            uploads.Forget(slot);
            benchmark::DoNotOptimize(uploads.OfferFor(slot, "Hive", 1).data());
            uploads.Request(slot, hash);
        }
    };
    std::size_t sent = 0;
    const MapUploads::Sender count = [&](int, const std::vector<std::uint8_t>& payload) { sent += payload.size(); };
    ask();
    for (auto _ : state) {
        uploads.Pump(count, [](int) { return std::size_t {0}; });
        if (uploads.Waiting() == 0) {
            state.PauseTiming();
            ask();
            state.ResumeTiming();
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(sent));
}
BENCHMARK(BM_ServeDownloadsATick)->Unit(benchmark::kMicrosecond);

// The player's side once the last piece is in: both hashes and reading the
// map file, for Hive.
void BM_VerifyADownload(benchmark::State& state)
{
    const auto map = HiveFile(".smp");
    const auto radar = HiveFile(".bmp");
    const MapTransfer::Offer offer {"Hive", static_cast<std::uint32_t>(map.size()),
                                    platform::HashOf(map.data(), map.size()), static_cast<std::uint32_t>(radar.size()),
                                    platform::HashOf(radar.data(), radar.size())};
    const MapTransfer::Piece mapPiece {MapTransfer::Part::MapFile, 0, map};
    const MapTransfer::Piece radarPiece {MapTransfer::Part::Radar, 0, radar};
    for (auto _ : state) {
        MapDownload download(offer, 0);
        download.Take(mapPiece, 0);
        download.Take(radarPiece, 0);
        if (download.Status() != MapDownload::State::Complete)
            state.SkipWithError(download.Problem().c_str());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * (map.size() + radar.size())));
}
BENCHMARK(BM_VerifyADownload)->Unit(benchmark::kMillisecond);

} // namespace
