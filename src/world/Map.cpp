#include "world/Map.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "base/ByteReader.h"
#include "base/TextCopy.h"
#include "platform/PathResolver.h"
#include "platform/WholeFile.h"
#include "world/Torus.h"

namespace {

// A map file holds at most this many bytes; anything larger is not a map.
constexpr std::size_t kMaxFileSize = 64 * 1024 * 1024;

} // namespace

Map::Map()
{
    type = kTypeMap;
    Clear();
}

void Map::Clear()
{
    columns = 0;
    rows = 0;
    tileWidth = 32;
    tileHeight = 32;
    cellList7.clear();
    cellList8.clear();
    bases.clear();
    cells = TrackedBuffer();
    name = TrackedBuffer();
}

bool Map::Load(const char* path)
{
    if (!path)
        return false;
    Clear();
    const auto resolved = platform::ResolveFile(path);
    if (!resolved)
        return false;
    const auto bytes = platform::ReadWholeFile(*resolved, kMaxFileSize);
    return bytes && LoadFromBytes(bytes->data(), bytes->size());
}

bool Map::LoadFromBytes(const std::uint8_t* data, std::size_t size)
{
    Clear();
    ByteReader in(data, size);
    std::uint32_t nameLength = 0;
    if (!in.U32(nameLength) || nameLength > in.Remaining())
        return false;
    name = TrackedBuffer(static_cast<std::size_t>(nameLength) + 1);
    if (name.Empty())
        return false;
    std::memcpy(name.Data(), in.Bytes(nameLength), nameLength);

    std::int32_t readColumns = 0;
    std::int32_t readRows = 0;
    if (!in.I32(readColumns) || !in.I32(readRows))
        return false;
    // Two bytes a cell, every one of them in the file: a size the file
    // cannot back is refused before anything is allocated, and not kept.
    if (readColumns <= 0 || readRows <= 0 ||
        static_cast<std::uint64_t>(readColumns) * static_cast<std::uint64_t>(readRows) * 2 > in.Remaining())
        return false;
    columns = readColumns;
    rows = readRows;
    cells = TrackedBuffer(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows) * 2);
    if (cells.Empty())
        return false;

    // Column-major in the file, row-major in memory.
    for (int c = 0; c < columns; ++c) {
        for (int r = 0; r < rows; ++r) {
            std::uint8_t kind = 0;
            std::uint8_t extra = 0;
            in.U8(kind);
            in.U8(extra);
            const std::size_t at = CellIndex(c, r);
            cells.Data()[at] = kind;
            cells.Data()[at + 1] = extra;
            if (kind == kCellTurretSite)
                cellList7.push_back({c, r, 0});
            else if (kind == kCellSpawnPoint)
                cellList8.push_back({c, r, 0});
        }
    }
    ReadBases(in);
    return true;
}

void Map::ReadBases(ByteReader& in)
{
    constexpr std::uint8_t kMark[] = {'Q', 'R', 'B', 'S'};
    const std::uint8_t* mark = in.Bytes(sizeof kMark);
    std::uint8_t count = 0;
    if (!mark || std::memcmp(mark, kMark, sizeof kMark) != 0 || !in.U8(count))
        return;
    for (std::uint8_t i = 0; i < count; ++i) {
        std::uint8_t team = 0;
        std::int32_t column = 0, row = 0;
        if (!in.U8(team) || !in.I32(column) || !in.I32(row)) {
            bases.clear();
            return;
        }
        // One base a team, on the map.
        const bool known = std::none_of(bases.begin(), bases.end(), [team](const Site& b) { return b.extra == team; });
        if ((team == 1 || team == 2) && known && column >= 0 && column < columns && row >= 0 && row < rows)
            bases.push_back({column, row, team});
    }
    // Both teams' or none, Red's first.
    if (bases.size() != 2)
        bases.clear();
    else if (bases[0].extra != 1)
        std::swap(bases[0], bases[1]);
}

void Map::GetName(char* buffer, int size) const
{
    if (!name.Empty())
        CopyText(buffer, size, name.Text());
}

std::size_t Map::CellIndex(int column, int row) const
{
    return (static_cast<std::size_t>(FoldCell(row, rows)) * static_cast<std::size_t>(columns) +
            static_cast<std::size_t>(FoldCell(column, columns))) * 2;
}

std::uint8_t Map::CellKindAt(int column, int row) const
{
    return cells.Empty() ? 0 : cells.Data()[CellIndex(column, row)];
}

std::uint8_t Map::CellExtraAt(int column, int row) const
{
    return cells.Empty() ? 0 : cells.Data()[CellIndex(column, row) + 1];
}

void Map::SetCellExtra(int column, int row, std::uint8_t value)
{
    if (!cells.Empty())
        cells.Data()[CellIndex(column, row) + 1] = value;
}

Polygon Map::GetTilePolygon(int column, int row) const
{
    switch (CellKindAt(column, row)) {
    case kCellWall:
    case kCellFuel: return {{-17, -17}, {17, -17}, {17, 17}, {-17, 17}};
    case kCellWallLowerRight: return {{17, -17}, {17, 17}, {-17, 17}};
    case kCellWallLowerLeft: return {{17, 17}, {-17, 17}, {-17, -17}};
    case kCellWallUpperLeft: return {{-17, 17}, {-17, -17}, {17, -17}};
    case kCellWallUpperRight: return {{-17, -17}, {17, -17}, {17, 17}};
    default: return {};
    }
}
