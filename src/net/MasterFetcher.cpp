#include "net/MasterFetcher.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

#include "net/ServerListing.h"
#include "platform/HostLookup.h"
#include "platform/HttpClient.h"
#include "platform/HttpUrl.h"

namespace {

constexpr std::uint32_t kLookupMs = 2000;

std::string DottedOf(std::uint32_t networkOrder)
{
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&networkOrder);
    return std::to_string(bytes[0]) + "." + std::to_string(bytes[1]) + "." + std::to_string(bytes[2]) + "." +
           std::to_string(bytes[3]);
}

} // namespace

MasterFetcher::MasterFetcher(std::vector<std::string> masters, int timeoutMs)
    : masters(std::move(masters)), timeoutMs(timeoutMs), cancel(::eventfd(0, EFD_CLOEXEC))
{
}

MasterFetcher::~MasterFetcher()
{
    if (cancel >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t wrote = ::write(cancel, &one, sizeof one);
    }
    if (worker.joinable())
        worker.join();
    if (cancel >= 0)
        ::close(cancel);
}

bool MasterFetcher::FetchOne(const std::string& url, Outcome& outcome, std::string& error) const
{
    const auto at = platform::HttpUrl::Parse(url, error);
    if (!at) {
        error = "the address " + error;
        return false;
    }
    std::uint32_t address = 0;
    if (!platform::LookUpHost(at->host, kLookupMs, address, error))
        return false;
    const platform::HttpDocument document =
        platform::HttpGet(DottedOf(address), at->port, at->path + "/servers.json", ServerListing::kLargestDocument,
                          true, timeoutMs, cancel, at->HostHeader());
    if (document.status == 0) {
        error = document.error;
        return false;
    }
    if (document.status != 200) {
        error = "it answered with status " + std::to_string(document.status);
        return false;
    }
    return ServerListing::Read(document.body, outcome.servers, error);
}

MasterFetcher::Outcome MasterFetcher::FetchAll() const
{
    Outcome outcome;
    if (masters.empty()) {
        outcome.notice = "No master set: start the game with --master http://HOST:PORT";
        return outcome;
    }
    std::string why;
    for (const std::string& url : masters) {
        std::string error;
        if (FetchOne(url, outcome, error)) {
            outcome.listed = true;
            outcome.notice = std::to_string(outcome.servers.size()) + " servers from " + url;
            return outcome;
        }
        why = url + ": " + error;
    }
    outcome.notice = "No master answered (" + why + ")";
    return outcome;
}

void MasterFetcher::Start()
{
    std::lock_guard guard(lock);
    if (running)
        return;
    if (worker.joinable())
        worker.join();
    running = true;
    worker = std::thread([this] {
        Outcome outcome = FetchAll();
        std::lock_guard done(lock);
        ready = std::move(outcome);
        running = false;
    });
}

bool MasterFetcher::Busy() const
{
    std::lock_guard guard(lock);
    return running;
}

std::optional<MasterFetcher::Outcome> MasterFetcher::Take()
{
    std::lock_guard guard(lock);
    std::optional<Outcome> taken = std::move(ready);
    ready.reset();
    return taken;
}
