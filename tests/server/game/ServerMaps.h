#pragma once

#include <string>
#include <vector>

#include "support/MapFile.h"
#include "support/TempDir.h"

// Writes a map into a data folder's Maps, drawn as text one row a line:
//   . open   # wall   $ fuel block   @ spawn point   ^ > v < turret facing
//   up, right, down, left   J L F 7 the half walls, as the map sources have them
//   R B Red's and Blue's bases, on open cells; r b the same on a wall,
//   which the map compiler refuses but a map file may hold
inline void WriteMap(const TempDir& data, const std::string& name, const std::vector<std::string>& rows)
{
    std::vector<std::vector<int>> kinds;
    for (const std::string& row : rows) {
        kinds.emplace_back();
        for (const char c : row) {
            const int at = static_cast<int>(std::string(".#JLF7$^>v<@").find(c));
            kinds.back().push_back(c == 'R' || c == 'B' ? 0 : c == 'r' || c == 'b' ? 1 : at <= 6 ? at : at <= 10 ? 7 : 8);
        }
    }
    std::vector<std::uint8_t> bytes = MapFileBytes(name, kinds);
    // MapFileBytes writes one extra byte for all; the turrets' facings go in by hand.
    const std::size_t cellsAt = 12 + name.size();
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            const std::size_t facing = std::string("^>v<").find(rows[r][c]);
            if (facing != std::string::npos)
                bytes[cellsAt + 2 * (c * rows.size() + r) + 1] = static_cast<std::uint8_t>(facing);
        }
    }
    // The bases follow the cells, as the map compiler writes them.
    ByteWriter bases;
    std::uint8_t count = 0;
    for (const char* mark : {"Rr", "Bb"}) {
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const std::size_t c = rows[r].find_first_of(mark);
            if (c == std::string::npos)
                continue;
            bases.U8(mark[0] == 'R' ? 1 : 2);
            bases.I32(static_cast<std::int32_t>(c));
            bases.I32(static_cast<std::int32_t>(r));
            ++count;
        }
    }
    if (count > 0) {
        for (const char m : {'Q', 'R', 'B', 'S'})
            bytes.push_back(static_cast<std::uint8_t>(m));
        bytes.push_back(count);
        bytes.insert(bytes.end(), bases.Data().begin(), bases.Data().end());
    }
    data.WriteFile("Maps/" + name + ".smp", std::string(bytes.begin(), bytes.end()));
}

// An open square of side cells with spawn points where the text says.
inline std::vector<std::string> OpenMap(int side)
{
    return std::vector<std::string>(static_cast<std::size_t>(side), std::string(static_cast<std::size_t>(side), '.'));
}
