#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/HttpUrl.h"
#include "server/engine/ServerListing.h"

// How often and how patiently the server registers; tests make it quick.
struct RegistrationTiming {
    std::chrono::milliseconds every{15000};
    // Between a registration and one made for news, at least: news goes
    // at once after a quiet spell, while robots coming and going every
    // second cost a master no more than 30 registrations a minute.
    std::chrono::milliseconds soonest{2000};
    std::chrono::milliseconds callTimeout{4000};
    // A challenge not here this long after the master said it sent one
    // did not get through.
    std::chrono::milliseconds challengeWait{5000};
    // Challenges answered between two regular registrations, at most: a
    // forger's datagrams cannot make the server flood its master.
    int answersPerRound = 3;
};

// The server's registration with one master, on a thread of its own that
// owns its sockets, so that a master slow, wrong or gone never holds up the
// game: the description is registered now and then and at once when it has
// news, a challenge is answered with its token, and the end unregisters.
// What happens is said in log lines the game loop takes.
class MasterLink {
public:
    // The secret goes with every registration, and ends the entry.
    MasterLink(platform::HttpUrl url, std::string secret, RegistrationTiming timing);
    // Stops at once, cutting short a call under way.
    ~MasterLink();
    MasterLink(const MasterLink&) = delete;
    MasterLink& operator=(const MasterLink&) = delete;

    // The listing to register; with news, it goes as soon as allowed rather
    // than at the next regular time. Its body is made on the link's thread.
    void Describe(ServerListing listing, bool news);
    // A challenge's token that came from an address (host order). Taken
    // only while the master may send one (from the registration on, as the
    // datagram may come before the answer) and until it lists the server,
    // from the master's own address unless anyAddress; false when not taken.
    // Masters that send from one address get each other's tokens too: each
    // is brought back in turn, and the wrong ones cost a registration.
    bool Challenged(std::uint32_t from, const std::string& token, bool anyAddress);
    // Unregisters from the master, if it ever heard of the server; no
    // registration follows. EndBy waits for it until the deadline, then
    // gives up.
    void End();
    void EndBy(std::chrono::steady_clock::time_point deadline);
    std::vector<std::string> TakeLogLines();

private:
    using Clock = std::chrono::steady_clock;

    void Run();
    Clock::time_point NextWake() const;
    void Register(std::unique_lock<std::mutex>& lock);
    void Heard(int status, const std::string& body, const std::string& error);
    void Unregister(std::unique_lock<std::mutex>& lock);
    // One call to the master, the lock let go meanwhile; status 0 with the
    // reason when there was no answer.
    int Call(std::unique_lock<std::mutex>& lock, const char* path, const std::string& body, int timeoutMs,
             std::string& answer, std::string& error);
    void Say(std::string line);
    std::string Port() const;

    const platform::HttpUrl url;
    const std::string secret;
    const RegistrationTiming timing;
    const int cancel; // an eventfd: readable once calls are to end at once
    std::mutex mutex;
    std::condition_variable changed;
    std::optional<ServerListing> description;
    Clock::time_point dueAt;     // the next regular registration
    Clock::time_point lastCallAt;
    std::deque<std::string> tokens; // to bring back at once, in turn
    int answers = 0;                // tokens brought since the last regular registration
    bool owed = false;              // the master may send a challenge
    std::optional<Clock::time_point> challengedAt; // when it said it sent one not yet come
    bool warned = false;                           // that it did not come
    std::uint32_t masterAddress = 0;  // host order, as last looked up
    bool known = false;               // the master heard of the server
    bool ending = false;
    bool ended = false;
    bool stopping = false;
    std::string said; // the last line, not said twice in a row
    std::vector<std::string> logLines;
    std::thread worker; // last: it starts once the rest is made
};
