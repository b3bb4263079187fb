#include "server/engine/MapUploads.h"

#include <algorithm>
#include <utility>

#include "net/NetMessage.h"
#include "net/PackedBatch.h"
#include "platform/PathResolver.h"
#include "platform/WholeFile.h"

namespace {

std::vector<std::uint8_t> Packed(const NetMessage& message)
{
    return PackedBatch::Pack({&message});
}

} // namespace

bool MapUploads::Load(const std::string& mapName)
{
    if (mapName == loadedName)
        return loaded;
    loadedName = mapName;
    loaded = false;
    queue.clear();
    const auto mapPath = platform::ResolveFile(dataDir + "/Maps/" + mapName + ".smp");
    const auto read = mapPath ? platform::ReadWholeFile(*mapPath, MapTransfer::kLargestFile) : std::nullopt;
    if (!read || read->empty() || !MapTransfer::IsPlainName(mapName))
        return false;
    mapFile = *read;
    const auto radarPath = platform::ResolveFile(dataDir + "/Maps/" + mapName + ".bmp");
    const auto picture = radarPath ? platform::ReadWholeFile(*radarPath, MapTransfer::kLargestFile) : std::nullopt;
    radar = picture.value_or(std::vector<std::uint8_t>());
    offer = {mapName, static_cast<std::uint32_t>(mapFile.size()), platform::HashOf(mapFile.data(), mapFile.size()),
             static_cast<std::uint32_t>(radar.size()), platform::HashOf(radar.data(), radar.size())};
    NetMessage message;
    MapTransfer::Write(offer, message);
    offerPayload = Packed(message);
    loaded = true;
    return true;
}

std::vector<std::uint8_t> MapUploads::OfferFor(int slot, const std::string& mapName)
{
    // Offered before every map message, the same map's too: a download cut
    // short by a new round starts again, on both sides, from its start.
    heard[slot] = mapName;
    Cancel(slot);
    return Load(mapName) ? offerPayload : std::vector<std::uint8_t>();
}

void MapUploads::Request(int slot, const platform::Sha256& mapHash)
{
    const auto known = heard.find(slot);
    if (!loaded || known == heard.end() || known->second != loadedName || mapHash != offer.mapHash)
        return;
    // One download an offer: asking again buys nothing more.
    heard.erase(slot);
    queue.push_back({slot, 0});
}

void MapUploads::Forget(int slot)
{
    heard.erase(slot);
    Cancel(slot);
}

void MapUploads::Cancel(int slot)
{
    std::erase_if(queue, [slot](const Upload& upload) { return upload.slot == slot; });
}

std::vector<std::uint8_t> MapUploads::NextPiece(Upload& upload, std::uint32_t most) const
{
    const bool inMap = upload.sent < mapFile.size();
    const std::vector<std::uint8_t>& file = inMap ? mapFile : radar;
    const std::uint32_t offset = inMap ? upload.sent : upload.sent - static_cast<std::uint32_t>(mapFile.size());
    const std::uint32_t count = std::min({most, MapTransfer::kPieceBytes, static_cast<std::uint32_t>(file.size()) - offset});
    MapTransfer::Piece piece {inMap ? MapTransfer::Part::MapFile : MapTransfer::Part::Radar, offset,
                              {file.begin() + offset, file.begin() + offset + count}};
    upload.sent += count;
    NetMessage message;
    MapTransfer::Write(piece, message);
    return Packed(message);
}

std::uint32_t MapUploads::ShareOf(std::size_t serving)
{
    const auto fair = static_cast<std::uint32_t>(kBytesPerTick / std::max<std::size_t>(serving, 1));
    return std::clamp(fair, kLeastEach, kMostEach);
}

void MapUploads::Pump(const Sender& send)
{
    const std::size_t total = mapFile.size() + radar.size();
    const std::size_t serving = std::min(kAtOnce, queue.size());
    const std::uint32_t share = ShareOf(serving);
    for (std::size_t i = 0; i < serving; ++i) {
        Upload& upload = queue[i];
        for (std::uint32_t budget = share; budget > 0 && upload.sent < total;) {
            const std::uint32_t before = upload.sent;
            send(upload.slot, NextPiece(upload, budget));
            budget -= upload.sent - before;
        }
    }
    std::erase_if(queue, [total](const Upload& upload) { return upload.sent >= total; });
}
