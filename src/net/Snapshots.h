#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "net/ShipDelta.h"
#include "net/ShipGrid.h"

class NetMessage;
struct ShipDelta;

// The ship states one player holds as of each of its last few snapshots,
// kept alike on both ends: the server packs a payload's ship states as a
// snapshot, each as a delta from the base snapshot the player last
// acknowledged where that is cheaper, and the player's program reads them
// back. A snapshot holds its base's states with its own laid over them, so
// a ship it does not mention keeps the state of its base.
class Snapshots {
public:
    static constexpr std::size_t kKept = 32; // a second of reports, a round trip and more
    static constexpr std::size_t kMostShips = 256;

    // How a player's program reads deltas: a record each, a run after the
    // header, or a run of coarse ones folded into the header.
    enum class Form { kRecords, kRuns, kFolded };

    // The server's side: the payload of states as the next snapshot, made
    // at ms on the server's clock, from the newest snapshot acknowledged;
    // its deltas in the form the player reads.
    std::vector<std::uint8_t> Pack(const std::vector<const NetMessage*>& states, std::uint32_t ms,
                                   Form form = Form::kRecords);
    // The bytes the state would take in the next snapshot, about.
    std::size_t Cost(const NetMessage& state, Form form = Form::kRecords) const;
    // The player applied a snapshot. One never sent, or older than the
    // newest acknowledged, or no longer kept, changes nothing.
    void Acknowledge(std::uint16_t number);
    // A new player, or the same one anew: nothing it acknowledged stands.
    // The numbers go on, so that an acknowledgement on its way names none
    // of those to come.
    void Forget();

    // The player's side, record by record as a payload is read: Open at its
    // header, then each state; a payload read whole is kept by Close.
    void Open(std::uint16_t number, std::uint8_t back, std::uint16_t ms);
    // A whole state read; compact: it came on the grid.
    void Heard(const NetMessage& state, bool compact);
    // The state a delta makes of the open snapshot's; false without one.
    bool Apply(const ShipDelta& delta, NetMessage& state);
    // The ids of the ships held at those places, in id order; false
    // without a snapshot open on its base, or for a place beyond them.
    bool HeldAt(const std::vector<std::size_t>& places, std::vector<std::int32_t>& ids) const;
    void Close();
    void Abandon() { open = false; }
    // The newest snapshot kept, for the acknowledgement; 0 for none.
    std::uint16_t Newest() const { return newest; }

private:
    struct Held {
        ShipGrid state;
        std::uint16_t ms = 0; // the clock of the snapshot that told it
    };
    struct Snapshot {
        std::uint16_t number = 0; // 0: none
        std::uint16_t ms = 0;
        std::vector<Held> ships;  // by id
    };

    const Snapshot* Find(std::uint16_t number) const;
    const Held* Holding(int id) const;
    // The state as a delta against what the open snapshot holds of its
    // ship, with where that is held; none for a ship not held.
    std::optional<ShipDelta> AgainstHeld(const ShipGrid& state, const Held*& held, bool coarse = false) const;
    // Lays a state over the open snapshot's.
    void Hold(const ShipGrid& state);
    // The states that go as deltas, in one run right after the snapshot
    // header where that is shorter than a record each, or folded into the
    // header; the others are left.
    std::vector<const NetMessage*> AppendRun(const std::vector<const NetMessage*>& states, const NetMessage& header,
                                             bool folded, std::vector<std::uint8_t>& payload);
    void Forget(int id);

    std::array<Snapshot, kKept> ring;
    Snapshot current;
    bool open = false;
    bool based = false; // the open snapshot's base was found, or it has none
    std::uint16_t newest = 0;
    std::uint16_t next = 0;  // the server's last number
    std::uint16_t acked = 0; // the newest the player acknowledged
};
