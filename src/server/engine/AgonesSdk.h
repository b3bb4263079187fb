#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// How patient the Agones client is; tests make it quick.
struct AgonesTiming {
    std::chrono::milliseconds callTimeout{1000};
    std::chrono::milliseconds firstRetry{250}; // doubled after each failure without an answer
    std::chrono::milliseconds longestRetry{8000};
    std::chrono::milliseconds stillFailingEvery{60000}; // a reminder in the log
    int refusalsToGiveUp = 3; // refused by a sidecar that answers, a call is dropped
    std::size_t mostQueued = 4096;
};

// The game server's words to the Agones SDK sidecar, over its HTTP gateway
// on this machine, when it runs in an Agones fleet: ready, healthy, who
// plays, and the end. A thread of its own delivers them in the order they
// were said, but for health, which goes before waiting player events, so
// the game loop never waits on the sidecar and never looks dead for a slow
// list of players. The sidecar may start after the server or go away for a
// while: a call without an answer (or a gateway's 502, 503, 504) is tried
// again, later and later. Any other call the sidecar answers with an error
// is tried a few times and then left out, Ready and Shutdown excepted; once
// player events are so refused (player tracking switched off), no more are
// made. While mostQueued calls wait, the oldest player event makes room.
class AgonesSdk {
public:
    static constexpr std::chrono::seconds kHealthEvery{2};
    static constexpr std::uint16_t kDefaultPort = 9358;

    // The sidecar's port from AGONES_SDK_HTTP_PORT's value: the default
    // when unset or empty, nothing with the reason when it is no port.
    static std::optional<std::uint16_t> PortFromEnvironment(const char* value, std::string& error);

    explicit AgonesSdk(std::uint16_t port, AgonesTiming timing = {});
    // Stops at once, cutting short a call under way: what is not delivered
    // yet is dropped.
    ~AgonesSdk();
    AgonesSdk(const AgonesSdk&) = delete;
    AgonesSdk& operator=(const AgonesSdk&) = delete;

    // The seats players can take; said once, before Ready.
    void SetCapacity(int seats);
    void Ready();
    // Every kHealthEvery while the game runs. While one is waiting to be
    // delivered, more are not added.
    void Health();
    void PlayerConnected(const std::string& id);
    void PlayerDisconnected(const std::string& id);
    // Queues the shutdown and waits at most `wait` for everything queued
    // to be delivered or given up; what is left then is dropped. Calls
    // after it are ignored.
    void Shutdown(std::chrono::milliseconds wait);
    // Lines for the operator's log since the last call: when the sidecar
    // starts failing, now and then while it does, and when it answers again.
    std::vector<std::string> TakeLogLines();

private:
    using Clock = std::chrono::steady_clock;
    enum class Kind { Capacity, Ready, Health, PlayerConnect, PlayerDisconnect, Shutdown };
    struct Call {
        Kind kind;
        const char* method;
        const char* path;
        std::string body;
    };

    static bool IsPlayerEvent(Kind kind) { return kind == Kind::PlayerConnect || kind == Kind::PlayerDisconnect; }
    static bool TracksPlayers(Kind kind) { return kind == Kind::Capacity || IsPlayerEvent(kind); }
    void Queue(Kind kind, const char* method, const char* path, std::string body);
    bool MakeRoom();
    void Run();
    bool WaitForCall(std::unique_lock<std::mutex>& lock);
    void Deliver(std::unique_lock<std::mutex>& lock);
    void Delivered();
    void Failed(const std::string& why, bool answered);
    void GiveUp(const std::string& call, const std::string& why, Clock::time_point now);
    std::string Sidecar() const;
    void Finish();
    void CancelCalls();
    void Log(std::string line);

    const std::uint16_t port;
    const AgonesTiming timing;
    const int cancel; // an eventfd: readable once calls are to end at once
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Call> queue;
    std::optional<Call> current; // the call being delivered, taken off the queue
    bool healthPending = false;  // one is queued or current
    bool shutdownSaid = false;
    bool stopping = false;
    std::optional<Clock::time_point> giveUpAt; // Shutdown's wait ends
    Clock::time_point retryAt;                 // no call is made before
    std::chrono::milliseconds backOff;         // the wait after the next failure
    int refusals = 0;                          // of the current call
    bool failing = false;                      // since the sidecar last took a call
    bool silent = false;                       // the last failure had no answer
    Clock::time_point lastFailingLine;
    long long droppedEvents = 0; // player events left out since the sidecar last answered
    bool noPlayerTracking = false; // the sidecar refused the player calls for good
    std::optional<Clock::time_point> gaveUpAt; // the last line about a call left out
    std::vector<std::string> logLines;
    std::thread worker; // last: it starts once the rest is made
};
