#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/SessionServer.h"
#include "server/game/HostedGame.h"

// Lines a player may send now: a burst, then one every interval.
struct Allowance {
    static constexpr double kBurst = 4.0;
    static constexpr std::uint32_t kIntervalMs = 1000;

    double left = kBurst;
    std::uint64_t at = 0;
    bool told = false; // that it waits; once until it may go on

    // Whether one more line may go now.
    bool Take(std::uint64_t now);
};

// One player's connection, from its connect to its leave.
struct Connection {
    std::uint32_t address = 0;
    std::uint64_t connectedAt = 0;
    int slot = HostedGame::kNobody; // its player's, once it joined
    std::string name;               // its player's, once it joined
    std::uint64_t keysHeardAt = 0;
    Allowance chat;
    Allowance commands;
    bool admin = false; // logged in
    bool watching = false; // without a ship, or came to watch and not in yet
    int shipType = 0;      // as asked for, for a seat taken later
    int reads = 0; // what its program reads: PackedBatch::kReads... bits
    std::uint64_t countingSince = 0;
    int payloads = 0;

    bool Joined() const { return slot != HostedGame::kNobody; }
};

// The open connections, by the session's id and, once joined, by the
// game's slot.
class Connections {
public:
    using Map = std::map<platform::PlayerId, Connection>;

    Connection& Open(platform::PlayerId id, std::uint32_t address, std::uint64_t now);
    // The player took a seat in the game.
    void Seat(platform::PlayerId id, int slot, const std::string& name);
    // The player leaves its seat or watcher's slot, to take another.
    void Unseat(platform::PlayerId id);
    // The connection is gone; its slot, kNobody when it never joined.
    int Close(platform::PlayerId id);

    Connection* Find(platform::PlayerId id);
    const Connection* Find(platform::PlayerId id) const;
    // The id of the connection seated at slot; false for a robot's.
    bool AtSlot(int slot, platform::PlayerId& id) const;
    // Connections from the address that have not joined yet.
    int WaitingFrom(std::uint32_t address) const;
    std::size_t Count() const { return open.size(); }
    bool Empty() const { return open.empty(); }
    const Map& All() const { return open; }

    // How the log names a connection: its player's name, number and address.
    std::string Describe(platform::PlayerId id) const;

private:
    Map open;
    std::map<int, platform::PlayerId> bySlot;
};
