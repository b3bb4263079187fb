#include "server/engine/Lookout.h"

#include <chrono>
#include <cstdlib>

#include "server/engine/ServerLog.h"
#include "server/engine/ServerOptions.h"

namespace {

// Once the answer is on its way, the sidecar is given this long to take
// the last calls.
constexpr std::chrono::milliseconds kShutdownWait(2000);
// The metrics page is this old at most.
constexpr std::uint64_t kPageMs = 250;

} // namespace

Lookout::Lookout(const ServerOptions& options, ServerLog& log, Page page)
    : options(options), log(log), page(std::move(page))
{
}

Lookout::~Lookout() = default;

bool Lookout::Start(std::uint64_t now, std::string& error)
{
    if (!options.metrics.empty()) {
        metrics = std::make_unique<platform::HttpService>();
        if (!metrics->Listen(options.metrics, error))
            return false;
        log.Always("metrics at http://%s/metrics", options.metrics.c_str());
    }
    if (options.agones) {
        const auto port = AgonesSdk::PortFromEnvironment(std::getenv("AGONES_SDK_HTTP_PORT"), error);
        if (!port) {
            error = "AGONES_SDK_HTTP_PORT: " + error;
            return false;
        }
        agones = std::make_unique<AgonesSdk>(*port);
        agones->SetCapacity(options.maxPlayers);
        agones->Ready();
        healthAt = now;
        log.Always("telling the Agones SDK sidecar on port %u that the server is ready", *port);
    }
    return true;
}

void Lookout::Look(std::uint64_t now)
{
    if (metrics)
        Serve(now);
    if (!agones)
        return;
    if (now - healthAt >= static_cast<std::uint64_t>(std::chrono::milliseconds(AgonesSdk::kHealthEvery).count())) {
        healthAt = now;
        agones->Health();
    }
    Log();
}

void Lookout::Serve(std::uint64_t now)
{
    metrics->Serve(now, [this, now](const platform::HttpRequest& request) {
        // Made afresh a few times a second at most, however many ask.
        if (text.empty() || now - textAt >= kPageMs) {
            text = page();
            textAt = now;
        }
        if (request.path == "/metrics")
            return platform::HttpService::Answer {200, "text/plain; version=0.0.4; charset=utf-8", text};
        return platform::HttpService::Answer {404, "text/plain; charset=utf-8",
                                              "Not found: the figures are at /metrics\n"};
    });
}

void Lookout::End()
{
    if (!agones)
        return;
    agones->Shutdown(kShutdownWait);
    Log();
    log.Always("told the Agones SDK sidecar that the server ends");
    agones.reset();
}

void Lookout::PlayerConnected(const std::string& player)
{
    if (agones)
        agones->PlayerConnected(player);
}

void Lookout::PlayerDisconnected(const std::string& player)
{
    if (agones)
        agones->PlayerDisconnected(player);
}

void Lookout::Log()
{
    for (const std::string& line : agones->TakeLogLines())
        log.Always("%s", line.c_str());
}
