#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/HttpService.h"
#include "server/engine/AgonesSdk.h"

struct ServerOptions;
class ServerLog;

// The server as others watch it: the metrics page, and the Agones sidecar
// that runs it in a fleet. Both are there only when the options ask.
class Lookout {
public:
    // The metrics page's text as things stand.
    using Page = std::function<std::string()>;

    Lookout(const ServerOptions& options, ServerLog& log, Page page);
    ~Lookout();

    // The page opened, and the sidecar told the server is ready; false,
    // with the reason, when either cannot be.
    bool Start(std::uint64_t now, std::string& error);
    // Each turn of the loop: the page answered, the sidecar kept informed.
    void Look(std::uint64_t now);
    // The sidecar told the server ends, and given a moment to hear it.
    void End();
    // How the sidecar's list of players names them.
    void PlayerConnected(const std::string& player);
    void PlayerDisconnected(const std::string& player);

private:
    void Serve(std::uint64_t now);
    void Log();

    const ServerOptions& options;
    ServerLog& log;
    Page page;
    std::unique_ptr<platform::HttpService> metrics;
    std::string text; // the metrics as last made
    std::uint64_t textAt = 0;
    std::unique_ptr<AgonesSdk> agones;
    std::uint64_t healthAt = 0;
};
