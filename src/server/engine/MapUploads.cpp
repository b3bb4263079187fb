#include "server/engine/MapUploads.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
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

namespace {

std::optional<std::string> MapPath(const std::string& dataDir, const std::string& mapName, const char* extension)
{
    return platform::ResolveFile(dataDir + "/Maps/" + mapName + extension);
}

// When the file last changed and its size; zeros for none.
std::pair<std::int64_t, std::uintmax_t> FileStamp(const std::optional<std::string>& path)
{
    std::error_code failed;
    if (!path)
        return {0, 0};
    const auto time = std::filesystem::last_write_time(*path, failed);
    const auto size = std::filesystem::file_size(*path, failed);
    return {failed ? 0 : time.time_since_epoch().count(), failed ? 0 : size};
}

std::string Kilobytes(std::size_t bytes)
{
    return std::to_string((bytes + 1023) / 1024) + " KB";
}

} // namespace

MapUploads::Stamp MapUploads::StampOf(const std::string& mapName) const
{
    const auto [mapTime, mapSize] = FileStamp(MapPath(dataDir, mapName, ".smp"));
    const auto [radarTime, radarSize] = FileStamp(MapPath(dataDir, mapName, ".bmp"));
    return {mapName, mapTime, radarTime, mapSize, radarSize};
}

bool MapUploads::Load(const std::string& mapName, std::uint32_t round)
{
    if (round == loadedRound && mapName == loadedStamp.name)
        return loaded;
    loadedRound = round;
    // A stat of two files a round: the files are read again only when the
    // operator changed them.
    Stamp stamp = StampOf(mapName);
    if (stamp == loadedStamp)
        return loaded;
    loadedStamp = std::move(stamp);
    // Every player hears the new round's offer, which ends its download.
    while (!queue.empty())
        Cancel(queue.front().slot, "a new round");
    const std::string problem = ReadFiles(mapName);
    loaded = problem.empty();
    if (!loaded)
        note(-1, "map \"" + mapName + "\" cannot be offered to players who lack it: " + problem);
    return loaded;
}

std::string MapUploads::ReadFiles(const std::string& mapName)
{
    if (!MapTransfer::IsPlainName(mapName))
        return "its name is not a plain file name (letters, digits, _ and -, 63 at most)";
    std::string error;
    const auto mapPath = MapPath(dataDir, mapName, ".smp");
    const auto read = mapPath ? platform::ReadWholeFile(*mapPath, MapTransfer::kLargestFile, error) : std::nullopt;
    if (!read || read->empty())
        return mapPath ? (error.empty() ? *mapPath + " is empty" : error) : "there is no file " + mapName + ".smp";
    mapFile = *read;
    const auto radarPath = MapPath(dataDir, mapName, ".bmp");
    const auto picture = radarPath ? platform::ReadWholeFile(*radarPath, MapTransfer::kLargestFile) : std::nullopt;
    radar = picture.value_or(std::vector<std::uint8_t>());
    offer = {mapName, static_cast<std::uint32_t>(mapFile.size()), platform::HashOf(mapFile.data(), mapFile.size()),
             static_cast<std::uint32_t>(radar.size()), platform::HashOf(radar.data(), radar.size())};
    NetMessage message;
    MapTransfer::Write(offer, message);
    offerPayload = Packed(message);
    return {};
}

std::vector<std::uint8_t> MapUploads::OfferFor(int slot, const std::string& mapName, std::uint32_t round)
{
    // Offered before every map message, the same map's too: a download cut
    // short by a new round starts again, on both sides, from its start.
    heard[slot] = mapName;
    Cancel(slot, "a new round");
    return Load(mapName, round) ? offerPayload : std::vector<std::uint8_t>();
}

void MapUploads::Request(int slot, const platform::Sha256& mapHash)
{
    const auto known = heard.find(slot);
    if (!loaded || known == heard.end() || known->second != loadedStamp.name || mapHash != offer.mapHash)
        return;
    // One download an offer: asking again buys nothing more.
    heard.erase(slot);
    queue.push_back({slot, 0});
    ++started;
    note(slot, "starts downloading map \"" + offer.name + "\" (" + Kilobytes(mapFile.size() + radar.size()) + ")");
}

void MapUploads::Forget(int slot)
{
    heard.erase(slot);
    Cancel(slot, "the player left");
}

void MapUploads::Cancel(int slot, const char* why)
{
    // Each download begun has an end in the log.
    if (std::erase_if(queue, [slot](const Upload& upload) { return upload.slot == slot; }) > 0)
        note(slot, "stops downloading map \"" + offer.name + "\": " + why);
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

std::uint32_t MapUploads::AllowanceOf(std::uint32_t share, std::size_t queued)
{
    return queued >= kMostQueued ? 0 : static_cast<std::uint32_t>(std::min<std::size_t>(share, kMostQueued - queued));
}

void MapUploads::Serve(Upload& upload, std::uint32_t share, const Sender& send, const Backlog& queued)
{
    // Whole pieces only, or a file's last: a nearly full backlog waits
    // rather than take a trickle of tiny ones.
    const std::uint32_t unit = std::min(share, MapTransfer::kPieceBytes);
    const auto total = static_cast<std::uint32_t>(mapFile.size() + radar.size());
    for (std::uint32_t budget = AllowanceOf(share, queued(upload.slot)); upload.sent < total;) {
        const auto mapSize = static_cast<std::uint32_t>(mapFile.size());
        const std::uint32_t rest = upload.sent < mapSize ? mapSize - upload.sent : total - upload.sent;
        const std::uint32_t piece = std::min(unit, rest);
        if (budget < piece)
            return;
        send(upload.slot, NextPiece(upload, piece));
        budget -= piece;
    }
}

void MapUploads::Pump(const Sender& send, const Backlog& queued)
{
    const std::size_t total = mapFile.size() + radar.size();
    const std::size_t serving = std::min(kAtOnce, queue.size());
    const std::uint32_t share = ShareOf(serving);
    const bool trickle = ++pumps % kTrickleTicks == 0;
    for (std::size_t i = 0; i < queue.size(); ++i) {
        if (i < serving || trickle)
            Serve(queue[i], i < serving ? share : kTrickleBytes, send, queued);
    }
    std::erase_if(queue, [this, total](const Upload& upload) {
        if (upload.sent < total)
            return false;
        ++finished;
        note(upload.slot, "has been sent all of map \"" + offer.name + "\"");
        return true;
    });
}

std::size_t MapUploads::GameBacklog(int slot, std::size_t queued) const
{
    const bool downloading =
        std::any_of(queue.begin(), queue.end(), [slot](const Upload& upload) { return upload.slot == slot; });
    return downloading ? queued - std::min(queued, kMostQueued) : queued;
}
