// quillrock-server: hosts a game of Quillrock until it is told to stop.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <string>

#include "platform/DataDirectory.h"
#include "server/GameServer.h"
#include "server/ServerLog.h"
#include "server/ServerOptions.h"

namespace {

std::atomic<bool> stopRequested {false};

void RequestStop(int)
{
    stopRequested = true;
}

} // namespace

int main(int argc, char** argv)
{
    ServerOptions options;
    std::string message;
    switch (ParseServerOptions(argc, argv, options, message)) {
    case ParsedOptions::Help: std::fputs(ServerUsage().c_str(), stdout); return 0;
    case ParsedOptions::Error:
        std::fprintf(stderr, "quillrock-server: %s\n\n%s", message.c_str(), ServerUsage().c_str());
        return 2;
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

    ServerLog log;
    GameServer server(options, dataDir, log);
    std::string error;
    if (!server.Start(error)) {
        std::fprintf(stderr, "quillrock-server: %s\n", error.c_str());
        return 1;
    }
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    server.Run(stopRequested);
    return 0;
}
