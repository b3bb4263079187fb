#pragma once

#include <enet/enet.h>

#include <cstddef>
#include <cstdint>
#include <vector>

// A player's connection to a game server that sends whatever bytes it is
// given and can vanish without a word, as a crashed program does. It speaks
// ENet directly: the session classes would not send half of this.
class RawLink {
public:
    RawLink() = default;
    ~RawLink();
    RawLink(const RawLink&) = delete;
    RawLink& operator=(const RawLink&) = delete;

    // Connects to the server on this machine and waits for its word that it
    // took the player; false when it turned us away or did not answer.
    bool Connect(std::uint16_t port, std::uint32_t waitMs = 3000);
    // Queued; the next Pump sends it.
    void Send(const std::vector<std::uint8_t>& bytes, bool reliable);
    // Sends what is queued and handles what arrived, for about ms.
    void Pump(std::uint32_t ms = 0);
    // Pumps until the server closes the link or ms pass; true if it closed.
    bool AwaitClose(std::uint32_t ms);

    bool Connected() const { return peer != nullptr; }
    // The server ended the link (dropped or turned us away).
    bool ClosedByServer() const { return closedByServer; }
    std::size_t PayloadsReceived() const { return received; }

    // Says goodbye at once, as a program that quits does.
    void Leave();
    // Goes without a word: the server hears nothing more from this peer.
    void Vanish();

private:
    void Handle(const ENetEvent& event);

    ENetHost* host = nullptr;
    ENetPeer* peer = nullptr;
    bool closedByServer = false;
    std::size_t received = 0;
};
