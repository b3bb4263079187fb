#include "net/MasterFetcher.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <ctime>
#include <mutex>
#include <thread>

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

struct MasterFetcher::Shared {
    Shared(std::vector<std::string> masters, int timeoutMs)
        : masters(std::move(masters)), timeoutMs(timeoutMs), cancel(::eventfd(0, EFD_CLOEXEC))
    {
    }
    ~Shared()
    {
        if (cancel >= 0)
            ::close(cancel);
    }
    Shared(const Shared&) = delete;
    Shared& operator=(const Shared&) = delete;

    const std::vector<std::string> masters;
    const int timeoutMs;
    const int cancel;
    std::mutex lock;
    bool running = false;
    std::optional<Outcome> ready;
};

MasterFetcher::MasterFetcher(std::vector<std::string> masters, int timeoutMs)
    : shared(std::make_shared<Shared>(std::move(masters), timeoutMs))
{
}

MasterFetcher::~MasterFetcher()
{
    if (shared->cancel >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t wrote = ::write(shared->cancel, &one, sizeof one);
    }
}

std::optional<std::int64_t> MasterFetcher::MadeAt(long ageSeconds, const std::string& lastModified,
                                                  std::int64_t receivedAt)
{
    if (ageSeconds >= 0)
        return receivedAt - ageSeconds;
    std::tm when{};
    const char* end = ::strptime(lastModified.c_str(), "%a, %d %b %Y %H:%M:%S", &when);
    if (lastModified.empty() || end == nullptr)
        return std::nullopt;
    return static_cast<std::int64_t>(::timegm(&when));
}

MasterFetcher::Fetched MasterFetcher::FetchOne(const Shared& shared, const std::string& url)
{
    Fetched fetched;
    const auto at = platform::HttpUrl::Parse(url, fetched.error);
    if (!at) {
        fetched.error = "the address " + fetched.error;
        return fetched;
    }
    std::uint32_t address = 0;
    if (!platform::LookUpHost(at->host, kLookupMs, address, fetched.error))
        return fetched;
    const platform::HttpDocument document =
        platform::HttpGet(DottedOf(address), at->port, at->path + "/servers.json", ServerListing::kLargestDocument,
                          true, shared.timeoutMs, shared.cancel, at->HostHeader());
    if (document.status == 0) {
        fetched.error = document.error;
        return fetched;
    }
    if (document.status != 200) {
        fetched.error = "it answered with status " + std::to_string(document.status);
        return fetched;
    }
    fetched.listed = ServerListing::Read(document.body, fetched.servers, fetched.error, document.cut);
    fetched.cut = document.cut;
    fetched.madeAt = MadeAt(document.ageSeconds, document.lastModified, std::time(nullptr));
    return fetched;
}

MasterFetcher::Outcome MasterFetcher::FetchAll(const Shared& shared)
{
    const std::vector<std::string>& masters = shared.masters;
    Outcome outcome;
    if (masters.empty()) {
        outcome.notice = "No master set: start the game with --master http://HOST:PORT";
        return outcome;
    }
    std::vector<Fetched> fetched(masters.size());
    {
        std::vector<std::jthread> asking;
        for (std::size_t i = 0; i < masters.size(); ++i)
            asking.emplace_back([&shared, &fetched, i] { fetched[i] = FetchOne(shared, shared.masters[i]); });
    }
    // The freshest list; among lists as fresh, the master named first.
    std::optional<std::size_t> best;
    std::string why;
    for (std::size_t i = 0; i < masters.size(); ++i) {
        if (!fetched[i].listed)
            why = masters[i] + ": " + fetched[i].error;
        else if (!best || fetched[i].madeAt > fetched[*best].madeAt)
            best = i;
    }
    if (!best) {
        outcome.notice = "No master answered (" + why + ")";
        return outcome;
    }
    outcome.listed = true;
    outcome.servers = std::move(fetched[*best].servers);
    outcome.notice = std::to_string(outcome.servers.size()) + " servers from " + masters[*best];
    if (fetched[*best].cut)
        outcome.notice += " (the first " + std::to_string(ServerListing::kLargestDocument >> 20) + " MB of its list)";
    return outcome;
}

void MasterFetcher::Start()
{
    std::lock_guard guard(shared->lock);
    if (shared->running)
        return;
    shared->running = true;
    std::thread([state = shared] {
        Outcome outcome = FetchAll(*state);
        std::lock_guard done(state->lock);
        state->ready = std::move(outcome);
        state->running = false;
    }).detach();
}

bool MasterFetcher::Busy() const
{
    std::lock_guard guard(shared->lock);
    return shared->running;
}

std::optional<MasterFetcher::Outcome> MasterFetcher::Take()
{
    std::lock_guard guard(shared->lock);
    std::optional<Outcome> taken = std::move(shared->ready);
    shared->ready.reset();
    return taken;
}
