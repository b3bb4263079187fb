#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/ByteWriter.h"
#include "world/Map.h"

using MapRows = std::vector<std::vector<int>>;

// rows x columns cells, all of one kind.
inline MapRows Rows(int rows, int columns, int kind = 0)
{
    return MapRows(static_cast<std::size_t>(rows), std::vector<int>(static_cast<std::size_t>(columns), kind));
}

// Builds the bytes of a ".smp" map file from rows of cell kinds, written in
// the file's column-major order; the second byte of each cell is extra.
inline std::vector<std::uint8_t> MapFileBytes(const std::string& name, const MapRows& rows, int extra = 0)
{
    ByteWriter out;
    out.U32(static_cast<std::uint32_t>(name.size()));
    out.Bytes(name.data(), name.size());
    const int columns = rows.empty() ? 0 : static_cast<int>(rows[0].size());
    out.I32(columns);
    out.I32(static_cast<std::int32_t>(rows.size()));
    for (int c = 0; c < columns; ++c) {
        for (const auto& row : rows) {
            out.U8(static_cast<std::uint8_t>(row[static_cast<std::size_t>(c)]));
            out.U8(static_cast<std::uint8_t>(extra));
        }
    }
    return out.Data();
}

// The map those rows make, as the game reads it.
inline std::unique_ptr<Map> MapOf(const MapRows& rows, const std::string& name = "Room")
{
    const auto bytes = MapFileBytes(name, rows);
    auto map = std::make_unique<Map>();
    map->LoadFromBytes(bytes.data(), bytes.size());
    return map;
}
