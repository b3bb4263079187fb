#include "net/MapDownload.h"

#include <utility>

#include "world/Map.h"

MapDownload::MapDownload(const MapTransfer::Offer& given, std::uint32_t now) : offer(given), heardAt(now)
{
    if (!MapTransfer::IsPlainName(offer.name))
        Fail("The server offered a map with a name this game cannot keep.");
    else if (offer.mapSize == 0 || offer.mapSize > MapTransfer::kLargestFile ||
             offer.radarSize > MapTransfer::kLargestFile)
        Fail("The server offered a map larger than this game takes (4 MB).");
    else
        mapFile.reserve(offer.mapSize);
}

void MapDownload::Take(const MapTransfer::Piece& piece, std::uint32_t now)
{
    if (state != State::Receiving)
        return;
    heardAt = now;
    const bool forMap = piece.part == MapTransfer::Part::MapFile;
    std::vector<std::uint8_t>& file = forMap ? mapFile : radar;
    const std::uint32_t size = forMap ? offer.mapSize : offer.radarSize;
    // The radar picture follows the whole map file.
    const bool inTurn = forMap || mapFile.size() == offer.mapSize;
    if (!inTurn || piece.offset != file.size() || piece.bytes.empty() || piece.bytes.size() > size - file.size()) {
        Fail("The server sent the map out of order.");
        return;
    }
    file.insert(file.end(), piece.bytes.begin(), piece.bytes.end());
    if (mapFile.size() == offer.mapSize && radar.size() == offer.radarSize)
        Finish();
}

void MapDownload::Take(const NetMessage& message, std::uint32_t now)
{
    if (const auto piece = MapTransfer::ReadPiece(message))
        Take(*piece, now);
    else if (state == State::Receiving)
        Fail("The server sent a piece of the map that does not read.");
}

void MapDownload::Check(std::uint32_t now)
{
    if (state == State::Receiving && now - heardAt >= kStallMs)
        Fail("The map download stalled: the server sent nothing for 10 seconds.");
}

bool MapDownload::MayHaveCell(int column, int row) const
{
    return column >= 0 && row >= 0 &&
           (static_cast<std::uint64_t>(column) + 1) * (static_cast<std::uint64_t>(row) + 1) <= MostCells();
}

double MapDownload::Done() const
{
    const double total = static_cast<double>(offer.mapSize) + offer.radarSize;
    return total > 0 ? static_cast<double>(mapFile.size() + radar.size()) / total : 0.0;
}

void MapDownload::Finish()
{
    if (platform::HashOf(mapFile.data(), mapFile.size()) != offer.mapHash ||
        platform::HashOf(radar.data(), radar.size()) != offer.radarHash) {
        Fail("The map the server sent does not match its hash.");
        return;
    }
    if (Map map; !map.LoadFromBytes(mapFile.data(), mapFile.size())) {
        Fail("The map the server sent does not read.");
        return;
    }
    state = State::Complete;
}

void MapDownload::Fail(std::string why)
{
    state = State::Failed;
    problem = std::move(why);
    mapFile = {};
    radar = {};
}
