#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/TrackedBuffer.h"
#include "world/CellKind.h"

class ByteReader;
#include "world/GameObject.h"

// The tile world: columns x rows cells of 32 x 32 units, read from a
// ".smp" file. Its size is the size of the torus everything moves on.
class Map : public GameObject {
public:
    struct Site {
        int column;
        int row;
        int extra;
    };

    Map();

    bool LoadTextures() override;
    bool Draw(int camX, int camY) override;

    void Clear();
    bool Load(const char* path);
    // Reads a map file's bytes; what was read before a failure stays.
    bool LoadFromBytes(const std::uint8_t* data, std::size_t size);

    void GetName(char* buffer, int size) const;
    int Columns() const { return columns; }
    int Rows() const { return rows; }
    int TileWidth() const { return tileWidth; }
    int TileHeight() const { return tileHeight; }
    int WorldWidth() const { return tileWidth * columns; }
    int WorldHeight() const { return tileHeight * rows; }
    bool HasCells() const { return !cells.Empty(); }
    // A downloaded map's radar picture; empty: found by the map's name;
    // kNoRadarPicture: a downloaded map that has none, lest the radar show
    // the walls of a shipped map of the same name.
    static constexpr const char* kNoRadarPicture = "-";
    void SetRadarPicture(std::string path) { radarPicture = std::move(path); }
    const std::string& RadarPicture() const { return radarPicture; }

    // The kind (byte 0) and the second byte of a cell, the position folded
    // into the grid; 0 without cells.
    std::uint8_t CellKindAt(int column, int row) const;
    std::uint8_t CellExtraAt(int column, int row) const;
    void SetCellExtra(int column, int row, std::uint8_t value);

    // The collision outline of a cell, centred on it; empty for open cells.
    Polygon GetTilePolygon(int column, int row) const;

    const std::vector<Site>& TurretSites() const { return cellList7; }
    const std::vector<Site>& SpawnPoints() const { return cellList8; }
    // Each team's base (its Team wire number in extra), Red's first, for a
    // map made for capture the flag; empty otherwise.
    const std::vector<Site>& Bases() const { return bases; }

private:
    std::size_t CellIndex(int column, int row) const;
    // What follows the cells: the bases, when the file has them.
    void ReadBases(ByteReader& in);

    TrackedBuffer name;
    std::string radarPicture;
    int columns = 0;
    int rows = 0;
    int tileWidth = 32;
    int tileHeight = 32;
    TrackedBuffer cells;
    std::vector<Site> cellList7;
    std::vector<Site> cellList8;
    std::vector<Site> bases;
};
