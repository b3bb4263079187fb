#include "mapmaker/MapMaker.h"

#include <algorithm>
#include <utility>

#include "mapmaker/MapChecks.h"
#include "mapmaker/RadarPicture.h"
#include "net/MapTransfer.h"
#include "world/CellKind.h"

MapMaker::MapMaker(std::string fileName, const std::string& text) : fileName(std::move(fileName))
{
    const bool read = ParseMapSource(text, grid, problems);
    if (grid.nameLine != 0 && grid.name != this->fileName) {
        problems.push_back({grid.nameLine, 0,
                            "the map is named \"" + grid.name + "\" but its file is \"" + this->fileName +
                                "\": name them alike, as the radar finds its picture by the map's name and the game "
                                "finds the map by its file's"});
    }
    if (!MapTransfer::IsPlainName(this->fileName)) {
        problems.push_back({std::max(grid.nameLine, 1), 0,
                            "\"" + this->fileName + "\" cannot name a map a server sends to its players: "
                            "only letters, digits, _ and -, 63 at most"});
    }
    if (read) {
        const MapChecks checks(grid);
        problems.insert(problems.end(), checks.Problems().begin(), checks.Problems().end());
    }
    std::ranges::stable_sort(problems, {}, &MapProblem::line);
    if (!problems.empty())
        return;
    mapFile = EncodeMapFile(grid);
    radarFile = RadarPicture(grid).Bitmap();
}

std::string MapMaker::Describe(const std::string& path, const MapProblem& problem)
{
    std::string where = path + ":" + std::to_string(problem.line);
    if (problem.column > 0)
        where += ":" + std::to_string(problem.column);
    return where + ": " + problem.text;
}

std::string MapMaker::Summary() const
{
    const auto count = [this](std::uint8_t kind, const char* what) {
        const auto n = std::ranges::count(grid.cells, kind, &MapCell::kind);
        return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
    };
    std::string text = std::to_string(grid.columns) + " x " + std::to_string(grid.rows) + " cells, " +
                       count(kCellSpawnPoint, "spawn point") + ", " + count(kCellFuel, "fuel block") + ", " +
                       count(kCellTurretSite, "turret site");
    return grid.bases.empty() ? text : text + ", Red and Blue bases";
}
