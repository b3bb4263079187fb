#include "server/engine/MasterLink.h"

#include <arpa/inet.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

#include <nlohmann/json.hpp>

#include "base/Printable.h"
#include "platform/HostLookup.h"
#include "platform/HttpClient.h"

namespace {

// Lines kept for the game loop until it takes them.
constexpr std::size_t kMostLogLines = 64;
// A master's words are shown this long at most, in printable ASCII.
constexpr std::size_t kLongestQuote = 160;

// Why a master refused, as its answer says; empty when it says nothing readable.
std::string RefusalOf(const std::string& body)
{
    const nlohmann::json answer = nlohmann::json::parse(body, nullptr, false);
    if (!answer.is_object() || !answer.contains("error") || !answer["error"].is_string())
        return {};
    return Printable(answer["error"].get<std::string>(), kLongestQuote);
}

} // namespace

MasterLink::MasterLink(platform::HttpUrl url, std::string secret, RegistrationTiming timing)
    : url(std::move(url)), secret(std::move(secret)), timing(timing), cancel(::eventfd(0, EFD_CLOEXEC)), dueAt(Clock::now()),
      lastCallAt(Clock::now() - timing.soonest), worker([this] { Run(); })
{
}

MasterLink::~MasterLink()
{
    {
        const std::lock_guard lock(mutex);
        stopping = true;
    }
    changed.notify_all();
    const std::uint64_t one = 1;
    if (cancel >= 0)
        (void)!::write(cancel, &one, sizeof one);
    worker.join();
    if (cancel >= 0)
        ::close(cancel);
}

void MasterLink::Describe(ServerListing listing, bool news)
{
    {
        const std::lock_guard lock(mutex);
        const Clock::time_point now = Clock::now();
        if (!description)
            dueAt = now;
        else if (news)
            dueAt = std::min(dueAt, std::max(now, lastCallAt + timing.soonest));
        description = std::move(listing);
    }
    changed.notify_all();
}

bool MasterLink::Challenged(std::uint32_t from, const std::string& challenge, bool anyAddress)
{
    {
        const std::lock_guard lock(mutex);
        const int taken = answers + static_cast<int>(tokens.size());
        if (!owed || ending || taken >= timing.answersPerRound || (!anyAddress && from != masterAddress) ||
            std::find(tokens.begin(), tokens.end(), challenge) != tokens.end())
            return false;
        tokens.push_back(challenge);
        challengedAt.reset();
    }
    changed.notify_all();
    return true;
}

void MasterLink::End()
{
    {
        const std::lock_guard lock(mutex);
        ending = true;
    }
    changed.notify_all();
}

void MasterLink::EndBy(Clock::time_point deadline)
{
    std::unique_lock lock(mutex);
    if (changed.wait_until(lock, deadline, [this] { return ended; }))
        return;
    Say("the master at " + url.text + " was not told that the server ends");
}

std::vector<std::string> MasterLink::TakeLogLines()
{
    const std::lock_guard lock(mutex);
    return std::exchange(logLines, {});
}

void MasterLink::Run()
{
    std::unique_lock lock(mutex);
    while (!stopping) {
        const Clock::time_point now = Clock::now();
        if (ending && !ended) {
            Unregister(lock);
            continue;
        }
        if (challengedAt && !warned && now >= *challengedAt + timing.challengeWait) {
            warned = true;
            Say("the master at " + url.text + " cannot reach UDP port " + Port() + ": open it in the firewall");
        }
        if (!ending && description && (!tokens.empty() || now >= dueAt)) {
            Register(lock);
            continue;
        }
        const Clock::time_point wake = NextWake();
        if (wake == Clock::time_point::max())
            changed.wait(lock);
        else
            changed.wait_until(lock, wake);
    }
}

MasterLink::Clock::time_point MasterLink::NextWake() const
{
    if (ending || !description)
        return Clock::time_point::max();
    return challengedAt && !warned ? std::min(dueAt, *challengedAt + timing.challengeWait) : dueAt;
}

void MasterLink::Register(std::unique_lock<std::mutex>& lock)
{
    nlohmann::json body = description->Json(secret);
    const bool answering = !tokens.empty();
    if (answering) {
        body["token"] = tokens.front();
        tokens.pop_front();
        ++answers;
    } else {
        answers = 0;
        owed = true;
        dueAt = Clock::now() + timing.every;
    }
    lastCallAt = Clock::now();
    std::string answer, error;
    const int status = Call(lock, "/register", body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace),
                            static_cast<int>(timing.callTimeout.count()), answer, error);
    Heard(status, answer, error);
}

void MasterLink::Heard(int status, const std::string& body, const std::string& error)
{
    const std::string master = "the master at " + url.text;
    known = known || status == 200 || status == 202;
    if (status == 202) {
        // Its challenge may be here already; if not, it is waited for.
        owed = true;
        if (!challengedAt && tokens.empty())
            challengedAt = Clock::now();
        return;
    }
    owed = false;
    tokens.clear();
    challengedAt.reset();
    warned = false;
    if (status == 200) {
        Say("listed by " + master);
    } else if (status != 0) {
        const std::string why = RefusalOf(body);
        Say(master + " refuses the registration (HTTP " + std::to_string(status) + (why.empty() ? "" : ": " + why) +
            ")");
    } else {
        Say(master + " does not answer (" + error + ")");
    }
}

void MasterLink::Unregister(std::unique_lock<std::mutex>& lock)
{
    if (known && description) {
        const nlohmann::json body = {{"port", description->port}, {"secret", secret}};
        std::string answer, error;
        const int status = Call(lock, "/unregister", body.dump(), static_cast<int>(timing.callTimeout.count()),
                                answer, error);
        if (status == 200)
            Say("unregistered from the master at " + url.text);
        else
            Say("the master at " + url.text + " was not told that the server ends (" +
                (status ? "HTTP " + std::to_string(status) : error) + ")");
    }
    ended = true;
    changed.notify_all();
}

int MasterLink::Call(std::unique_lock<std::mutex>& lock, const char* path, const std::string& body, int timeoutMs,
                     std::string& answer, std::string& error)
{
    lock.unlock();
    std::uint32_t address = 0;
    platform::HttpReply reply;
    const bool found = platform::LookUpHost(url.host, static_cast<std::uint32_t>(timeoutMs), address, reply.error);
    lock.lock();
    // Known before the call: the challenge may come before its answer.
    if (found)
        masterAddress = ntohl(address);
    lock.unlock();
    if (found) {
        char dotted[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &address, dotted, sizeof dotted);
        reply = platform::HttpCall(dotted, url.port, "POST", url.path + path, body, timeoutMs, cancel,
                                   url.HostHeader());
    }
    lock.lock();
    answer = std::move(reply.body);
    error = std::move(reply.error);
    return reply.status;
}

void MasterLink::Say(std::string line)
{
    if (line == said || logLines.size() >= kMostLogLines)
        return;
    said = line;
    logLines.push_back(std::move(line));
}

std::string MasterLink::Port() const
{
    return std::to_string(description ? description->port : 0);
}
