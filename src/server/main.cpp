// quillrock-server: hosts a game of Quillrock until it is told to stop.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>

#include "platform/DataDirectory.h"
#include "platform/LineReader.h"
#include "server/engine/GameServer.h"
#include "server/engine/ServerLog.h"
#include "server/engine/ServerOptions.h"
#include "server/game/RobotSkill.h"
#include "server/game/RobotTrial.h"

namespace {

std::atomic<int> stopSignal {0};

void RequestStop(int signal)
{
    stopSignal = signal;
}

// The trial's table; in a team game, each robot's team and each team's
// score (in a round with flags, its captures) besides.
void PrintFigures(const RobotTrial& trial)
{
    const bool teams = trial.Mode().HasTeams();
    std::printf("  %-18s %6s %6s %6s %8s%s\n", "robot", "kills", "deaths", "walls", "fuel-ups", teams ? "  team" : "");
    for (const RobotTrial::Figures& f : trial.Results()) {
        std::printf("  %-18s %6d %6d %6d %8d%s%s\n", f.name.c_str(), f.kills, f.deaths, f.wallDeaths, f.fuelUps,
                    teams ? "  " : "", TeamName(f.team));
    }
    if (teams) {
        std::printf("  %s: Red %d, Blue %d\n", trial.Mode().Flags().empty() ? "team scores" : "captures",
                    trial.Mode().TeamScore(Team::Red), trial.Mode().TeamScore(Team::Blue));
    }
}

// Robots alone on every map of the rotation; their figures on stdout, the
// same for the same seed, and the real time each map took on stderr.
int Simulate(const ServerOptions& options, const std::string& dataDir)
{
    const int robots = options.bots > 0 ? options.bots : 8;
    const std::vector<std::string> maps = options.maps.empty() ? MapRotation::AllMaps(dataDir) : options.maps;
    if (maps.empty()) {
        std::fprintf(stderr, "quillrock-server: no maps in %s/Maps\n", dataDir.c_str());
        return 1;
    }
    for (const std::string& map : maps) {
        const auto started = std::chrono::steady_clock::now();
        RobotTrial trial(dataDir, map, robots, options.botSkill, options.seed, options.mode);
        std::string error;
        if (!trial.Run(options.simulateMinutes, error)) {
            std::fprintf(stderr, "quillrock-server: cannot play map %s: %s\n", map.c_str(), error.c_str());
            return 1;
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        std::printf("%s: %g simulated %s, %d robots at skill %d, seed %u\n", map.c_str(), options.simulateMinutes,
                    options.simulateMinutes == 1.0 ? "minute" : "minutes", robots,
                    options.botSkill == kMatchedRobotSkill ? kDefaultRobotSkill : options.botSkill, trial.Seed());
        PrintFigures(trial);
        std::fflush(stdout);
        std::fprintf(stderr, "%s: %.1f s of real time\n", map.c_str(), seconds);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    ServerOptions options;
    std::string message;
    switch (ParseServerOptions(argc, argv, options, message)) {
    case ParsedOptions::Help: std::fputs((ServerUsage() + GameServer::CommandHelp()).c_str(), stdout); return 0;
    case ParsedOptions::Error:
        std::fprintf(stderr, "quillrock-server: %s\nquillrock-server --help lists the options.\n", message.c_str());
        return 2;
    case ParsedOptions::BadConfig: std::fprintf(stderr, "quillrock-server: %s\n", message.c_str()); return 2;
    case ParsedOptions::Run: break;
    }
    const std::string dataDir = platform::FindDataDirectory(options.dataDir);
    if (dataDir.empty()) {
        std::fprintf(stderr, "quillrock-server: %s\n",
                     options.dataDir.empty()
                         ? "cannot find the game's maps (share/quillrock beside the program, or the source tree's "
                           "data); name their folder with --data DIR"
                         : ("no Graphics or Maps folder in \"" + options.dataDir + "\"").c_str());
        return 1;
    }

    if (options.simulateMinutes > 0.0)
        return Simulate(options, dataDir);

    // A log piped into a reader that ends must not end the game with it.
    std::signal(SIGPIPE, SIG_IGN);
    ServerLog log;
    GameServer server(options, dataDir, log);
    std::string error;
    if (!server.Start(error)) {
        std::fprintf(stderr, "quillrock-server: %s\n", error.c_str());
        return 1;
    }
    // A closed terminal (SIGHUP) ends the game as cleanly as Ctrl-C.
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    std::signal(SIGHUP, RequestStop);
    server.ListenToConsole(platform::kStandardInput);
    server.Run(stopSignal);
    return 0;
}
