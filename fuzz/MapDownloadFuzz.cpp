#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "net/MapDownload.h"
#include "net/MessageBatch.h"
#include "net/NetMessage.h"

namespace {

// What the pieces would make, each part's bytes in the order they came,
// whatever their offsets say.
struct Assembled {
    std::vector<std::uint8_t> map;
    std::vector<std::uint8_t> radar;
};

Assembled Assemble(MessageBatch& batch)
{
    Assembled made;
    for (NetMessage* message = batch.Begin(); message; message = batch.Next()) {
        if (const auto piece = MapTransfer::ReadPiece(*message)) {
            auto& file = piece->part == MapTransfer::Part::MapFile ? made.map : made.radar;
            file.insert(file.end(), piece->bytes.begin(), piece->bytes.end());
        }
    }
    return made;
}

} // namespace

// A server's records as the player's program reads them: the first offer
// starts the download, every piece after it is taken, and the time moves
// on a second a record. An odd first byte makes the offer honest about
// what the pieces hold, so that the hash checks pass and the map reader
// behind them is reached.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const bool honest = (data[0] & 1) != 0;
    MessageBatch batch;
    batch.ParsePacked(data + 1, size - 1);
    const Assembled made = honest ? Assemble(batch) : Assembled {};
    std::unique_ptr<MapDownload> download;
    std::uint32_t now = 0;
    for (NetMessage* message = batch.Begin(); message; message = batch.Next(), now += 1000) {
        if (!download) {
            std::optional<MapTransfer::Offer> offer = MapTransfer::ReadOffer(*message);
            if (offer && honest) {
                offer->mapSize = static_cast<std::uint32_t>(made.map.size());
                offer->mapHash = platform::HashOf(made.map.data(), made.map.size());
                offer->radarSize = static_cast<std::uint32_t>(made.radar.size());
                offer->radarHash = platform::HashOf(made.radar.data(), made.radar.size());
            }
            if (offer)
                download = std::make_unique<MapDownload>(*offer, now);
            continue;
        }
        if (message->Kind() == kMsgMapPiece)
            download->Take(*message, now);
        download->Check(now);
    }
    if (download && download->Status() == MapDownload::State::Complete &&
        (download->MapFile().size() != download->Offered().mapSize ||
         download->Radar().size() != download->Offered().radarSize))
        __builtin_trap();
    return 0;
}
