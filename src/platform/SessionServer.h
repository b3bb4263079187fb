#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Delivery.h"
#include "platform/Discovery.h"

namespace platform {

using PlayerId = std::uint32_t;

// What the host side of a session hears, from inside SessionServer's calls.
class SessionServerListener {
public:
    virtual ~SessionServerListener() = default;
    // Asked before a connection is taken (IPv4 address in host order); one
    // refused is closed with the word that its address is banned.
    virtual bool Admits(std::uint32_t /*address*/) { return true; }
    // Asked next: whether a place is free for what the connect from the
    // address comes for, a ship or watching; one without is closed with the
    // word that the session is full.
    virtual bool HasRoom(std::uint32_t /*address*/, bool /*watching*/) { return true; }
    // A raw datagram on the session's port that is none of the session's
    // own (address in host order): true when the listener took it.
    virtual bool TakeDatagram(std::uint32_t /*address*/, std::uint16_t /*port*/, const std::uint8_t* /*data*/,
                              std::size_t /*size*/)
    {
        return false;
    }
    virtual void OnPlayerJoined(PlayerId player, bool watching) = 0;
    virtual void OnPlayerLeft(PlayerId player) = 0;
    virtual void OnReceive(PlayerId player, const std::uint8_t* data, std::size_t size) = 0;
};

// The host of a game session: answers searches for its application with
// its name and player counts, takes players up to its limit and turns the
// rest away, and exchanges payloads with each. One address may have only
// a few connections under way at once; the next are not answered.
class SessionServer {
public:
    // Connections from one address that may be under way at once: a peer
    // that never finishes the handshake holds a slot until it times out.
    static constexpr int kHandshakesPerAddress = 4;

    explicit SessionServer(SessionServerListener* listener);
    ~SessionServer();
    SessionServer(const SessionServer&) = delete;
    SessionServer& operator=(const SessionServer&) = delete;

    // Opens the session on the port; false with the reason when it cannot.
    bool Host(const Guid& application, const std::string& name, std::uint32_t maxPlayers, std::uint16_t port,
              std::string& error);
    // The counts a search is answered with, the host itself included, as
    // a Windows-era session reports them; by default players + 1 and max + 1.
    void SetAnnouncedCounts(std::uint32_t current, std::uint32_t maximum);
    void DoWork(std::uint32_t budgetMs);
    // Sends a payload at once.
    void SendTo(PlayerId player, const std::uint8_t* data, std::size_t size, Delivery delivery);
    // Queues a payload to go with the others queued before the next Flush,
    // in one datagram where they fit.
    void QueueTo(PlayerId player, const std::uint8_t* data, std::size_t size, Delivery delivery);
    void Flush();
    void Drop(PlayerId player);
    // Lets what is queued for the player go first, then parts from it, so
    // that a last word reaches it; it is no player from now on, and its
    // peer holds a spare slot for 2 s at most.
    void DropAfterQueued(PlayerId player);
    // How many times reliable payloads to the player were sent again, since
    // the last time this was asked.
    std::uint32_t TakeResent(PlayerId player);
    // Reliable bytes queued to the player and not yet acknowledged.
    std::size_t ReliableBytesQueued(PlayerId player) const;
    // How the player's link is doing, as its peer measures it.
    struct Link {
        std::uint32_t roundTripMs = 0;
        double loss = 0.0;     // 0 to 1
        double throttle = 1.0; // the part of unreliable payloads let out, 0 to 1
    };
    Link LinkOf(PlayerId player) const;
    // The IPv4 address a player joined from, in host order; 0 for no player.
    std::uint32_t AddressOf(PlayerId player) const;
    // Ends the session: every player is told, then the port is closed.
    void End();
    std::uint32_t PlayerCount() const;

    // What went through the session since it opened, ENet's own datagrams
    // included in the bytes.
    struct Traffic {
        std::uint64_t bytesIn = 0;
        std::uint64_t bytesOut = 0;
        std::uint64_t payloadsIn = 0;
        std::uint64_t payloadsOut = 0;
        std::uint64_t unprovenConnects = 0; // without their address's cookie: dropped
    };
    Traffic Counted() const;

private:
    struct State;
    std::unique_ptr<State> state;
};

} // namespace platform
