#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Delivery.h"
#include "platform/Discovery.h"

namespace platform {

// Where a host was found: an IPv4 address and port as the network has them.
struct SessionAddress {
    std::uint32_t host = 0;
    std::uint16_t port = 0;
};

// How a connect ended: taken in, or refused by a full host or one that
// did not answer (the same to the player), or refused as banned.
enum class ConnectOutcome { Joined, Refused, Banned };

// What the player's side of a session hears. Calls come only from inside
// SessionClient's own calls (Search, Connect, DoWork), on the caller's thread.
class SessionClientListener {
public:
    virtual ~SessionClientListener() = default;
    virtual void OnHostFound(const discovery::Answer& answer, const SessionAddress& from) = 0;
    virtual void OnConnectComplete(ConnectOutcome outcome) = 0;
    virtual void OnReceive(const std::uint8_t* data, std::size_t size) = 0;
    virtual void OnTerminate() = 0;
};

// The player's end of a game session over UDP: finds hosts, connects to
// one and exchanges payloads with it. It has no threads: work is done in
// its calls, DoWork within a time budget.
class SessionClient {
public:
    static constexpr std::uint32_t kSearchTime = 500;   // ms a search listens when nobody answers
    static constexpr std::uint32_t kConnectTime = 3000; // ms a connect waits for the host
    // Answers are taken this long after a search starts, and no later.
    static constexpr std::uint32_t kAnswerWindow = 3000;
    // A host heard from neither by payload nor by acknowledgement for this
    // long is gone: its link ends as if it had closed it. A live host's
    // link answers every ping even when the game is quiet; over the
    // internet a link may lose a few seconds outright and come back.
    static constexpr std::uint32_t kSilenceLimit = 4000;
    // How often the link pings a host that has acknowledged nothing since:
    // four of them fit in the silence limit.
    static constexpr std::uint32_t kPingInterval = 1000;
    // No payload of a game comes near this; a host cannot make us hold more.
    static constexpr std::size_t kLargestPayload = 256 * 1024;

    explicit SessionClient(SessionClientListener* listener);
    ~SessionClient();
    SessionClient(const SessionClient&) = delete;
    SessionClient& operator=(const SessionClient&) = delete;

    // Asks for hosts of the application on the port: at the named host, or,
    // without a name, on loopback and every local broadcast address. Returns
    // once the answers came in (or nobody answered in time); answers to this
    // search that come later, within the answer window, arrive through
    // DoWork. False, with the reason, when it could not ask.
    bool Search(const Guid& application, const char* hostName, std::uint16_t port, std::string& error);
    // Joins the session at the address, to fly or to watch, as the connect
    // itself says; OnConnectComplete tells the outcome.
    bool Connect(const SessionAddress& address, bool watching = false);
    bool IsConnected() const;
    // Whether the host a search named has answered it.
    bool TargetAnswered() const;
    // Sends a payload to the host at once.
    void Send(const std::uint8_t* data, std::size_t size, Delivery delivery);
    // Handles what arrived, for at most budgetMs, returning as soon as
    // nothing is pending.
    void DoWork(std::uint32_t budgetMs);
    void Close();

    // The search goes to loopback only when QUILLROCK_LOOPBACK_ONLY is set.
    static bool LoopbackOnly();
    // "a.b.c.d:port", for a host that gave no name.
    static std::string AddressText(const SessionAddress& address);

private:
    struct State;
    std::unique_ptr<State> state;
};

} // namespace platform
