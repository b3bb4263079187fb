#include "assets/MapSource.h"

#include <algorithm>
#include <iterator>
#include <sstream>

#include "assets/Canvas.h"

namespace {

bool CellOf(char c, MapCell& cell)
{
    switch (c) {
    case '.': cell = {0, 0}; return true;
    case '#': cell = {1, 0}; return true;
    case 'J': cell = {2, 0}; return true;
    case 'L': cell = {3, 0}; return true;
    case 'F': cell = {4, 0}; return true;
    case '7': cell = {5, 0}; return true;
    case '$': cell = {6, 0}; return true;
    case '^': cell = {7, 0}; return true;
    case '>': cell = {7, 1}; return true;
    case 'v': cell = {7, 2}; return true;
    case '<': cell = {7, 3}; return true;
    case '@': cell = {8, 0}; return true;
    case 'R':
    case 'B': cell = {0, 0}; return true;
    default: return false;
    }
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

constexpr char kBaseMarks[] = {'R', 'B'};
constexpr const char* kBaseTeams[] = {"Red", "Blue"};
constexpr std::uint8_t kBasesMark[] = {'Q', 'R', 'B', 'S'};

// A base as the source marks it, and the line that does.
struct MarkedBase {
    MapBase base;
    int line = 0;
};

std::string Where(int line, int column)
{
    return "line " + std::to_string(line) + ", column " + std::to_string(column + 1);
}

// A team's mark is open space with the team's base on it.
bool TakeBase(char c, int line, int column, int row, std::vector<MarkedBase>& marked, std::string& error)
{
    for (std::size_t team = 0; team < std::size(kBaseMarks); ++team) {
        if (c != kBaseMarks[team])
            continue;
        for (const MarkedBase& other : marked) {
            if (other.base.team == team + 1) {
                error = Where(line, column) + ": a second " + kBaseTeams[team] + " base (the first is on line " +
                        std::to_string(other.line) + ")";
                return false;
            }
        }
        marked.push_back({{static_cast<std::uint8_t>(team + 1), column, row}, line});
    }
    return true;
}

bool Open(const MapGrid& grid, int column, int row)
{
    const int c = (column + grid.columns) % grid.columns;
    const int r = (row + grid.rows) % grid.rows;
    const std::uint8_t kind = grid.At(c, r).kind;
    return kind == 0 || kind == 8;
}

// Both teams' bases or neither, each with open space beside it for a ship
// to come and go.
bool CheckBases(MapGrid& grid, std::vector<MarkedBase>& marked, std::string& error)
{
    if (marked.size() == 1) {
        const std::size_t team = marked[0].base.team - 1u;
        error = "line " + std::to_string(marked[0].line) + ": a " + kBaseTeams[team] + " base without a " +
                kBaseTeams[1 - team] + " one";
        return false;
    }
    std::sort(marked.begin(), marked.end(), [](const MarkedBase& a, const MarkedBase& b) {
        return a.base.team < b.base.team;
    });
    for (const MarkedBase& each : marked) {
        const MapBase& base = each.base;
        if (!Open(grid, base.column - 1, base.row) && !Open(grid, base.column + 1, base.row) &&
            !Open(grid, base.column, base.row - 1) && !Open(grid, base.column, base.row + 1)) {
            error = Where(each.line, base.column) + ": the " + kBaseTeams[base.team - 1u] +
                    " base is walled in";
            return false;
        }
        grid.bases.push_back(base);
    }
    return true;
}

} // namespace

bool ParseMapSource(const std::string& text, MapGrid& grid, std::string& error)
{
    grid = MapGrid();
    std::istringstream in(text);
    std::string line;
    int number = 0;
    std::vector<MarkedBase> marked;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == ';')
            continue;
        if (line.rfind("name ", 0) == 0) {
            grid.name = line.substr(5);
            continue;
        }
        if (grid.columns == 0)
            grid.columns = static_cast<int>(line.size());
        if (static_cast<int>(line.size()) != grid.columns) {
            error = "line " + std::to_string(number) + ": " + std::to_string(line.size()) + " cells, expected " +
                    std::to_string(grid.columns);
            return false;
        }
        for (std::size_t i = 0; i < line.size(); ++i) {
            MapCell cell;
            if (!TakeBase(line[i], number, static_cast<int>(i), grid.rows, marked, error))
                return false;
            if (!CellOf(line[i], cell)) {
                error = "line " + std::to_string(number) + ", column " + std::to_string(i + 1) + ": unknown cell '" +
                        line[i] + "'";
                return false;
            }
            grid.cells.push_back(cell);
        }
        ++grid.rows;
    }
    if (grid.name.empty()) {
        error = "no name line";
        return false;
    }
    if (grid.rows == 0) {
        error = "no cells";
        return false;
    }
    return CheckBases(grid, marked, error);
}

std::vector<std::uint8_t> EncodeMapFile(const MapGrid& grid)
{
    std::vector<std::uint8_t> out;
    Put32(out, static_cast<std::uint32_t>(grid.name.size()));
    out.insert(out.end(), grid.name.begin(), grid.name.end());
    Put32(out, static_cast<std::uint32_t>(grid.columns));
    Put32(out, static_cast<std::uint32_t>(grid.rows));
    for (int c = 0; c < grid.columns; ++c) {
        for (int r = 0; r < grid.rows; ++r) {
            out.push_back(grid.At(c, r).kind);
            out.push_back(grid.At(c, r).extra);
        }
    }
    if (grid.bases.empty())
        return out;
    out.insert(out.end(), std::begin(kBasesMark), std::end(kBasesMark));
    out.push_back(static_cast<std::uint8_t>(grid.bases.size()));
    for (const MapBase& base : grid.bases) {
        out.push_back(base.team);
        Put32(out, static_cast<std::uint32_t>(base.column));
        Put32(out, static_cast<std::uint32_t>(base.row));
    }
    return out;
}

std::vector<std::uint8_t> RenderMinimap(const MapGrid& grid, int side)
{
    Canvas canvas(side, side);
    canvas.FillPolygon({{0, 0}, {static_cast<float>(side), 0}, {static_cast<float>(side), static_cast<float>(side)},
                        {0, static_cast<float>(side)}},
                       {0.02f, 0.03f, 0.10f, 1.0f});
    const float w = static_cast<float>(side) / static_cast<float>(grid.columns);
    const float h = static_cast<float>(side) / static_cast<float>(grid.rows);
    const Colour wall{0.30f, 0.45f, 0.95f, 1.0f};
    const Colour fuel{1.0f, 0.75f, 0.15f, 1.0f};
    for (int r = 0; r < grid.rows; ++r) {
        for (int c = 0; c < grid.columns; ++c) {
            // A little overlap, so neighbouring walls show no seam between them.
            constexpr float kOverlap = 0.3f;
            const float x0 = static_cast<float>(c) * w - kOverlap, x1 = x0 + w + 2 * kOverlap;
            const float y0 = static_cast<float>(r) * h - kOverlap, y1 = y0 + h + 2 * kOverlap; // y0 is the upper edge
            switch (grid.At(c, r).kind) {
            case 1: canvas.FillPolygon({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}, wall); break;
            case 2: canvas.FillPolygon({{x1, y0}, {x1, y1}, {x0, y1}}, wall); break;
            case 3: canvas.FillPolygon({{x0, y0}, {x1, y1}, {x0, y1}}, wall); break;
            case 4: canvas.FillPolygon({{x0, y0}, {x1, y0}, {x0, y1}}, wall); break;
            case 5: canvas.FillPolygon({{x0, y0}, {x1, y0}, {x1, y1}}, wall); break;
            case 6: canvas.FillPolygon({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}, fuel); break;
            default: break;
            }
        }
    }
    return canvas.Rgba();
}
