#include "server/engine/AgonesSdk.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "platform/HttpClient.h"
#include "server/game/PlayerText.h"

namespace {

constexpr const char* kHost = "127.0.0.1";
// Lines kept for the game loop until it takes them.
constexpr std::size_t kMostLogLines = 64;

// A JSON string. Bytes past ASCII are taken as Latin-1, so that any name
// gives valid JSON and different names stay different.
std::string JsonString(const std::string& text)
{
    std::string json = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (byte < 0x20 || byte >= 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            json += escaped;
        } else {
            json += c;
        }
    }
    return json + "\"";
}

std::string PlayerBody(const std::string& id)
{
    return "{\"playerID\":" + JsonString(id) + "}";
}

std::string Spoken(std::chrono::milliseconds wait)
{
    if (wait < std::chrono::seconds(1))
        return std::to_string(wait.count()) + " ms";
    return std::to_string(std::chrono::duration_cast<std::chrono::seconds>(wait).count()) + " s";
}

} // namespace

std::optional<std::uint16_t> AgonesSdk::PortFromEnvironment(const char* value, std::string& error)
{
    if (!value || !*value)
        return kDefaultPort;
    unsigned long port = 0;
    const char* at = value;
    for (; *at >= '0' && *at <= '9' && port <= 65535; ++at)
        port = port * 10 + static_cast<unsigned long>(*at - '0');
    if (*at || port == 0 || port > 65535) {
        error = std::string("AGONES_SDK_HTTP_PORT is \"") + value + "\", not a port from 1 to 65535";
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(port);
}

AgonesSdk::AgonesSdk(std::uint16_t port, AgonesTiming timing)
    : port(port), timing(timing), cancel(::eventfd(0, EFD_CLOEXEC)), retryAt(Clock::now()), backOff(timing.firstRetry),
      worker([this] { Run(); })
{
}

AgonesSdk::~AgonesSdk()
{
    {
        const std::lock_guard lock(mutex);
        stopping = true;
    }
    changed.notify_all();
    CancelCalls();
    worker.join();
    if (cancel >= 0)
        ::close(cancel);
}

void AgonesSdk::SetCapacity(int seats)
{
    Queue(Kind::Capacity, "PUT", "/alpha/player/capacity", "{\"count\":\"" + std::to_string(seats) + "\"}");
}

void AgonesSdk::Ready()
{
    Queue(Kind::Ready, "POST", "/ready", "{}");
}

void AgonesSdk::Health()
{
    Queue(Kind::Health, "POST", "/health", "{}");
}

void AgonesSdk::PlayerConnected(const std::string& id)
{
    Queue(Kind::PlayerConnect, "POST", "/alpha/player/connect", PlayerBody(id));
}

void AgonesSdk::PlayerDisconnected(const std::string& id)
{
    Queue(Kind::PlayerDisconnect, "POST", "/alpha/player/disconnect", PlayerBody(id));
}

void AgonesSdk::Shutdown(std::chrono::milliseconds wait)
{
    Queue(Kind::Shutdown, "POST", "/shutdown", "{}");
    std::unique_lock lock(mutex);
    if (giveUpAt)
        return;
    giveUpAt = Clock::now() + wait;
    changed.notify_all();
    if (changed.wait_until(lock, *giveUpAt, [this] { return queue.empty() && !current; }))
        return;
    Finish();
    CancelCalls();
}

std::vector<std::string> AgonesSdk::TakeLogLines()
{
    const std::lock_guard lock(mutex);
    return std::exchange(logLines, {});
}

void AgonesSdk::Queue(Kind kind, const char* method, const char* path, std::string body)
{
    {
        const std::lock_guard lock(mutex);
        if (shutdownSaid || (kind == Kind::Health && healthPending) || (noPlayerTracking && TracksPlayers(kind)))
            return;
        const bool playerEvent = IsPlayerEvent(kind);
        if (queue.size() >= timing.mostQueued && !MakeRoom() && playerEvent) {
            ++droppedEvents;
            return;
        }
        // Health goes before the player events that wait, so that a slow
        // list of players never makes the server look dead.
        const auto firstEvent =
            std::find_if(queue.begin(), queue.end(), [](const Call& call) { return IsPlayerEvent(call.kind); });
        const auto at = kind == Kind::Health ? firstEvent : queue.end();
        queue.insert(at, Call{kind, method, path, std::move(body)});
        healthPending = healthPending || kind == Kind::Health;
        if (kind == Kind::Shutdown)
            shutdownSaid = true;
    }
    changed.notify_all();
}

// Leaves out the oldest player event waiting; false when none waits.
bool AgonesSdk::MakeRoom()
{
    const auto oldest = std::find_if(queue.begin(), queue.end(), [](const Call& call) { return IsPlayerEvent(call.kind); });
    if (droppedEvents == 0)
        Log("agones: " + std::to_string(queue.size()) +
            " calls wait for the SDK sidecar; the oldest player events are left out");
    if (oldest == queue.end())
        return false;
    queue.erase(oldest);
    ++droppedEvents;
    return true;
}

void AgonesSdk::Run()
{
    std::unique_lock lock(mutex);
    while (WaitForCall(lock))
        Deliver(lock);
}

// Until a call is due: false when stopping.
bool AgonesSdk::WaitForCall(std::unique_lock<std::mutex>& lock)
{
    for (;;) {
        if (stopping)
            return false;
        const Clock::time_point now = Clock::now();
        if (giveUpAt && now >= *giveUpAt) {
            Finish();
            changed.wait(lock);
            continue;
        }
        if (!current && !queue.empty()) {
            current = std::move(queue.front());
            queue.pop_front();
            refusals = 0;
        }
        if (!current) {
            changed.wait(lock);
            continue;
        }
        if (now >= retryAt)
            return true;
        changed.wait_until(lock, giveUpAt ? std::min(retryAt, *giveUpAt) : retryAt);
    }
}

void AgonesSdk::Deliver(std::unique_lock<std::mutex>& lock)
{
    const Call call = *current;
    lock.unlock();
    const platform::HttpReply reply = platform::HttpCall(kHost, port, call.method, call.path, call.body,
                                                         static_cast<int>(timing.callTimeout.count()), cancel);
    lock.lock();
    // Shutdown's wait may have ended meanwhile, dropping it.
    if (!current)
        return;
    if (reply.status >= 200 && reply.status < 300)
        Delivered();
    else if (reply.status == 502 || reply.status == 503 || reply.status == 504)
        Failed("HTTP " + std::to_string(reply.status) + ": not ready", false); // a gateway still starting
    else if (reply.status != 0)
        Failed("HTTP " + std::to_string(reply.status), true);
    else
        Failed(reply.error, false);
}

void AgonesSdk::Delivered()
{
    if (current->kind == Kind::Health)
        healthPending = false;
    current.reset();
    backOff = timing.firstRetry;
    if (failing) {
        std::string line = silent ? "agones: the SDK sidecar answers again" : "agones: the SDK sidecar takes calls again";
        if (droppedEvents > 0)
            line += "; " + Counted(droppedEvents, "player event was", "player events were") + " left out meanwhile";
        Log(std::move(line));
    }
    failing = false;
    gaveUpAt.reset();
    droppedEvents = 0;
    changed.notify_all();
}

void AgonesSdk::Failed(const std::string& why, bool answered)
{
    // A call that may be left out is tried again soon while the sidecar
    // answers, so that it is soon out of the way; the rest wait longer and
    // longer, and Ready and Shutdown are never given up.
    const Clock::time_point now = Clock::now();
    const bool mayLeaveOut = current->kind != Kind::Ready && current->kind != Kind::Shutdown;
    const bool soon = answered && mayLeaveOut;
    const std::chrono::milliseconds wait = soon ? timing.firstRetry : backOff;
    if (!soon)
        backOff = std::min(backOff * 2, timing.longestRetry);
    retryAt = now + wait;
    const std::string call = std::string(current->method) + " " + current->path;
    const std::string what = answered ? "refuses " + call + " (" + why + ")" : "does not answer (" + why + ")";
    const bool started = !failing;
    failing = true;
    silent = !answered;
    if (soon && ++refusals >= timing.refusalsToGiveUp) {
        GiveUp(call, why, now);
        retryAt = now;
    } else if (started) {
        Log("agones: the SDK sidecar at " + Sidecar() + " " + what + "; trying again in " + Spoken(wait));
    } else if (now - lastFailingLine >= timing.stillFailingEvery) {
        Log("agones: the SDK sidecar at " + Sidecar() + " still " + what + "; " +
            Counted(static_cast<long long>(queue.size() + 1), "call waits", "calls wait"));
    } else {
        return;
    }
    lastFailingLine = now;
}

// A call refused again and again is left out; refused player calls mean
// the fleet does not track players, and no more are made.
void AgonesSdk::GiveUp(const std::string& call, const std::string& why, Clock::time_point now)
{
    const bool players = IsPlayerEvent(current->kind);
    // One line for the first, then a reminder now and then, however often
    // the health reports are refused.
    if (!gaveUpAt || now - *gaveUpAt >= timing.stillFailingEvery) {
        Log("agones: the SDK sidecar at " + Sidecar() + " refused " + call + " " + std::to_string(refusals) +
            " times (" + why + "); " +
            (players ? "players are no longer told to it (is PlayerTracking off?)" : "it is left out"));
        gaveUpAt = now;
    }
    if (players) {
        noPlayerTracking = true;
        std::erase_if(queue, [](const Call& waiting) { return TracksPlayers(waiting.kind); });
    }
    if (current->kind == Kind::Health)
        healthPending = false;
    current.reset();
    changed.notify_all();
}

// What is still to deliver when Shutdown's wait ends is dropped.
void AgonesSdk::Finish()
{
    const std::size_t left = queue.size() + (current ? 1 : 0);
    if (left == 0)
        return;
    Log("agones: the SDK sidecar was not told " + Counted(static_cast<long long>(left), "last call", "last calls") +
        " before the end");
    queue.clear();
    current.reset();
    healthPending = false;
    changed.notify_all();
}

// Ends the call under way and any made after.
void AgonesSdk::CancelCalls()
{
    const std::uint64_t one = 1;
    if (cancel >= 0)
        (void)!::write(cancel, &one, sizeof one);
}

std::string AgonesSdk::Sidecar() const
{
    return std::string(kHost) + ":" + std::to_string(port);
}

void AgonesSdk::Log(std::string line)
{
    if (logLines.size() < kMostLogLines)
        logLines.push_back(std::move(line));
}
