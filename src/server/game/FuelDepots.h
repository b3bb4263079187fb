#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

class Map;

// The fuel blocks of the current map and how much has been drawn from
// each. A block's level travels in the second byte of its cell as the
// amount drawn: 0, what every map file holds, is a full block, 255 an
// empty one. Drawing lowers the level; it grows back slowly by itself.
class FuelDepots {
public:
    static constexpr float kCapacity = 255.0f;
    static constexpr float kRegrowthPerSecond = 3.0f;

    struct Change {
        int column;
        int row;
        std::uint8_t value;
    };

    // Takes the blocks of a freshly loaded map, as its file has them.
    void Reset(const Map& map);
    // Takes up to amount of fuel from the block of the cell; returns what it
    // gave. The cell's byte follows the level.
    float Draw(Map& map, int column, int row, float amount);
    void Regrow(Map& map, int ms);
    float Level(int column, int row) const;

    // Blocks whose byte changed since the last call.
    std::vector<Change> TakeChanges();
    // Blocks whose byte differs from the map file: what a newcomer is told.
    std::vector<Change> DifferencesFromFile() const;

private:
    struct Depot {
        int column;
        int row;
        std::uint8_t fileValue;
        std::uint8_t reported;
        float drawn;
    };
    static std::uint8_t ByteOf(float drawn);
    // The index of the depot of a cell (folded onto the grid), or none.
    std::size_t IndexOf(int column, int row) const;
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    int columns = 0;
    int rows = 0;
    std::vector<Depot> depots;
    std::unordered_map<int, std::size_t> byCell;
};
