#include "mapmaker/MapSource.h"

#include <algorithm>
#include <iterator>
#include <sstream>

#include "base/ByteWriter.h"
#include "world/CellKind.h"
#include "world/Torus.h"

namespace {

struct Mark {
    char c;
    MapCell cell;
};

// Every character a row may hold; the team marks are open space.
constexpr Mark kMarks[] = {
    {'.', {kCellEmpty, 0}},          {'#', {kCellWall, 0}},          {'J', {kCellWallLowerRight, 0}},
    {'L', {kCellWallLowerLeft, 0}},  {'F', {kCellWallUpperLeft, 0}}, {'7', {kCellWallUpperRight, 0}},
    {'$', {kCellFuel, 0}},           {'^', {kCellTurretSite, 0}},    {'>', {kCellTurretSite, 1}},
    {'v', {kCellTurretSite, 2}},     {'<', {kCellTurretSite, 3}},    {'@', {kCellSpawnPoint, 0}},
    {'R', {kCellEmpty, 0}},          {'B', {kCellEmpty, 0}},
};

constexpr char kBaseMarks[] = {'R', 'B'};
constexpr const char* kBaseTeams[] = {"Red", "Blue"};
constexpr std::uint8_t kBasesMark[] = {'Q', 'R', 'B', 'S'};

const MapCell* CellOf(char c)
{
    const auto found = std::ranges::find(kMarks, c, &Mark::c);
    return found == std::end(kMarks) ? nullptr : &found->cell;
}

class Reader {
public:
    Reader(MapGrid& grid, std::vector<MapProblem>& problems) : grid(grid), problems(problems) {}

    void Line(int number, const std::string& line);
    void Finish(int lastLine);

private:
    void Name(int number, const std::string& text);
    void Row(int number, const std::string& line);
    void Base(char c, int number, int column);
    void Problem(int line, int column, std::string text) { problems.push_back({line, column, std::move(text)}); }

    MapGrid& grid;
    std::vector<MapProblem>& problems;
    bool tooManyRows = false;
};

void Reader::Line(int number, const std::string& line)
{
    if (line.empty() || line[0] == ';')
        return;
    if (line.starts_with("name ") || line == "name")
        Name(number, line.size() > 5 ? line.substr(5) : std::string());
    else
        Row(number, line);
}

void Reader::Name(int number, const std::string& text)
{
    if (grid.nameLine != 0) {
        Problem(number, 0, "a second name line (the first is line " + std::to_string(grid.nameLine) + ")");
        return;
    }
    grid.nameLine = number;
    grid.name = text;
    if (text.empty())
        Problem(number, 0, "an empty name");
    else if (text.size() > MapGrid::kMaxNameLength)
        Problem(number, 0, "a name of " + std::to_string(text.size()) + " characters, more than " +
                               std::to_string(MapGrid::kMaxNameLength));
    else if (std::ranges::any_of(text, [](char c) { return c < ' ' || c > '~' || c == '/' || c == '\\'; }))
        Problem(number, 0, "a name is one plain file name: printable ASCII without / or \\");
}

void Reader::Row(int number, const std::string& line)
{
    if (grid.rows == MapGrid::kMaxRows) {
        if (!tooManyRows)
            Problem(number, 0, "more than " + std::to_string(MapGrid::kMaxRows) + " rows");
        tooManyRows = true;
        return;
    }
    if (grid.columns == 0) {
        if (line.size() > static_cast<std::size_t>(MapGrid::kMaxColumns)) {
            Problem(number, 0, std::to_string(line.size()) + " cells, more than " +
                                   std::to_string(MapGrid::kMaxColumns));
            return;
        }
        grid.columns = static_cast<int>(line.size());
    }
    if (line.size() != static_cast<std::size_t>(grid.columns)) {
        Problem(number, 0, std::to_string(line.size()) + " cells, expected " + std::to_string(grid.columns));
        return;
    }
    for (std::size_t i = 0; i < line.size(); ++i) {
        const MapCell* cell = CellOf(line[i]);
        if (!cell) {
            Problem(number, static_cast<int>(i) + 1, std::string("unknown cell '") + line[i] + "'");
            grid.cells.push_back({});
            continue;
        }
        Base(line[i], number, static_cast<int>(i));
        grid.cells.push_back(*cell);
    }
    grid.rowLines.push_back(number);
    ++grid.rows;
}

void Reader::Base(char c, int number, int column)
{
    const auto mark = std::ranges::find(kBaseMarks, c);
    if (mark == std::end(kBaseMarks))
        return;
    const auto team = static_cast<std::uint8_t>(mark - std::begin(kBaseMarks) + 1);
    const auto other = std::ranges::find(grid.bases, team, &MapBase::team);
    if (other != grid.bases.end()) {
        Problem(number, column + 1, std::string("a second ") + kBaseTeams[team - 1] + " base (the first is on line " +
                                        std::to_string(grid.baseLines[static_cast<std::size_t>(other - grid.bases.begin())]) + ")");
        return;
    }
    grid.bases.push_back({team, column, grid.rows});
    grid.baseLines.push_back(number);
}

void Reader::Finish(int lastLine)
{
    if (grid.nameLine == 0)
        Problem(1, 0, "no name line");
    if (grid.rows == 0)
        Problem(std::max(lastLine, 1), 0, "no cells");
    if (grid.bases.size() == 1) {
        const std::size_t team = grid.bases[0].team - 1u;
        Problem(grid.baseLines[0], grid.bases[0].column + 1,
                std::string("a ") + kBaseTeams[team] + " base without a " + kBaseTeams[1 - team] + " one");
    }
    // Red's first, as the file keeps them.
    if (grid.bases.size() == 2 && grid.bases[0].team != 1) {
        std::swap(grid.bases[0], grid.bases[1]);
        std::swap(grid.baseLines[0], grid.baseLines[1]);
    }
}

} // namespace

const MapCell& MapGrid::At(int column, int row) const
{
    return cells[static_cast<std::size_t>(FoldCell(row, rows) * columns + FoldCell(column, columns))];
}

bool ParseMapSource(const std::string& text, MapGrid& grid, std::vector<MapProblem>& problems)
{
    grid = MapGrid();
    const std::size_t before = problems.size();
    Reader reader(grid, problems);
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        reader.Line(number, line);
    }
    reader.Finish(number);
    return problems.size() == before;
}

std::vector<std::uint8_t> EncodeMapFile(const MapGrid& grid)
{
    ByteWriter out;
    out.U32(static_cast<std::uint32_t>(grid.name.size()));
    out.Bytes(grid.name.data(), grid.name.size());
    out.I32(grid.columns);
    out.I32(grid.rows);
    for (int c = 0; c < grid.columns; ++c) {
        for (int r = 0; r < grid.rows; ++r) {
            out.U8(grid.At(c, r).kind);
            out.U8(grid.At(c, r).extra);
        }
    }
    if (!grid.bases.empty()) {
        out.Bytes(kBasesMark, sizeof kBasesMark);
        out.U8(static_cast<std::uint8_t>(grid.bases.size()));
        for (const MapBase& base : grid.bases) {
            out.U8(base.team);
            out.I32(base.column);
            out.I32(base.row);
        }
    }
    return std::move(out.Data());
}
