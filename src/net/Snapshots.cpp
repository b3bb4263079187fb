#include "net/Snapshots.h"

#include <algorithm>
#include <optional>

#include "net/NetMessage.h"
#include "net/PackedBatch.h"
#include "net/ShipDelta.h"

namespace {

bool Newer(std::uint16_t a, std::uint16_t b)
{
    return static_cast<std::uint16_t>(a - b) - 1u < 0x7FFFu;
}

} // namespace

const Snapshots::Snapshot* Snapshots::Find(std::uint16_t number) const
{
    const Snapshot& kept = ring[number % kKept];
    return number && kept.number == number ? &kept : nullptr;
}

const Snapshots::Held* Snapshots::Holding(int id) const
{
    const auto at = std::lower_bound(current.ships.begin(), current.ships.end(), id,
                                     [](const Held& held, int wanted) { return held.state.id < wanted; });
    return at != current.ships.end() && at->state.id == id ? &*at : nullptr;
}

void Snapshots::Hold(const ShipGrid& state)
{
    auto& ships = current.ships;
    const auto at = std::lower_bound(ships.begin(), ships.end(), state.id,
                                     [](const Held& held, int wanted) { return held.state.id < wanted; });
    if (at != ships.end() && at->state.id == state.id)
        *at = {state, current.ms};
    else if (ships.size() < kMostShips)
        ships.insert(at, {state, current.ms});
}

void Snapshots::Forget(int id)
{
    std::erase_if(current.ships, [id](const Held& held) { return held.state.id == id; });
}

void Snapshots::Open(std::uint16_t number, std::uint8_t back, std::uint16_t ms)
{
    const Snapshot* base = back ? Find(static_cast<std::uint16_t>(number - back)) : nullptr;
    open = number != 0;
    based = !back || base;
    current.number = number;
    current.ms = ms;
    current.ships.clear();
    if (base)
        current.ships = base->ships;
}

void Snapshots::Heard(const NetMessage& state, bool compact)
{
    if (!open)
        return;
    int id = 0;
    state.GetId(id);
    const auto grid = compact ? ShipGrid::Of(state) : std::nullopt;
    if (grid)
        Hold(*grid);
    else
        Forget(id);
}

bool Snapshots::HeldAt(const std::vector<std::size_t>& places, std::vector<std::int32_t>& ids) const
{
    if (!open || !based)
        return false;
    ids.clear();
    for (const std::size_t place : places) {
        if (place >= current.ships.size())
            return false;
        ids.push_back(current.ships[place].state.id);
    }
    return true;
}

bool Snapshots::Apply(const ShipDelta& delta, NetMessage& state)
{
    const Held* held = open && based ? Holding(delta.id) : nullptr;
    const auto made = held ? delta.Applied(held->state, static_cast<std::uint16_t>(current.ms - held->ms))
                           : std::nullopt;
    if (!made)
        return false;
    state.Clear();
    made->Into(state);
    Hold(*made);
    return true;
}

void Snapshots::Close()
{
    if (!open || !based)
        return;
    open = false;
    newest = current.number;
    std::swap(ring[current.number % kKept], current);
}

void Snapshots::Forget()
{
    const std::uint16_t last = next;
    *this = Snapshots();
    next = last;
}

void Snapshots::Acknowledge(std::uint16_t number)
{
    if (Find(number) && (!acked || Newer(number, acked)))
        acked = number;
}

std::size_t Snapshots::Cost(const NetMessage& state, Form form) const
{
    const Snapshot* base = Find(acked);
    const auto grid = base ? ShipGrid::Of(state) : std::nullopt;
    if (!grid)
        return PackedBatch::PackedSize(state);
    const auto at = std::find_if(base->ships.begin(), base->ships.end(),
                                 [&](const Held& held) { return held.state.id == grid->id; });
    const bool coarse = form == Form::kFolded;
    const auto delta = at != base->ships.end() ? ShipDelta::Between(at->state, *grid, 0, coarse) : std::nullopt;
    // A folded run has no room for a change of shape: such a ship goes whole.
    if (!delta || (coarse && delta->mask & ShipDelta::kShape))
        return PackedBatch::PackedSize(state);
    const std::size_t size =
        form == Form::kRecords ? PackedBatch::PackedSize(*delta) : PackedBatch::RunEntrySize(*delta, coarse);
    return std::min(size, PackedBatch::PackedSize(state));
}

std::optional<ShipDelta> Snapshots::AgainstHeld(const ShipGrid& state, const Held*& held, bool coarse) const
{
    held = Holding(state.id);
    return held ? ShipDelta::Between(held->state, state, static_cast<std::uint16_t>(current.ms - held->ms), coarse)
                : std::nullopt;
}

std::vector<const NetMessage*> Snapshots::AppendRun(const std::vector<const NetMessage*>& states,
                                                    const NetMessage& header, bool folded,
                                                    std::vector<std::uint8_t>& payload)
{
    std::vector<PackedBatch::RunEntry> run;
    std::vector<ShipGrid> told;
    std::vector<const NetMessage*> rest;
    std::size_t apart = 0; // the run's deltas as records of their own
    for (const NetMessage* state : states) {
        const auto grid = ShipGrid::Of(*state);
        const Held* held = nullptr;
        const auto delta = grid ? AgainstHeld(*grid, held, folded) : std::nullopt;
        // A coarse delta is held as the player makes it, not as it was.
        const auto made =
            delta ? delta->Applied(held->state, static_cast<std::uint16_t>(current.ms - held->ms)) : std::nullopt;
        // A coarse delta has no room for a change of shape: such a ship goes whole.
        if (!made || (folded && delta->mask & ShipDelta::kShape) ||
            PackedBatch::RunEntrySize(*delta, folded) >= PackedBatch::PackedSize(*state)) {
            rest.push_back(state);
            continue;
        }
        run.emplace_back(static_cast<std::size_t>(held - current.ships.data()), *delta);
        told.push_back(*made);
        apart += PackedBatch::PackedSize(*delta);
    }
    std::sort(run.begin(), run.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::size_t together = PackedBatch::RunHeaderSize(current.ships.size());
    for (const auto& entry : run)
        together += PackedBatch::RunEntrySize(entry.second, folded);
    if (folded) {
        PackedBatch::AppendFoldedRun(header, run, current.ships.size(), payload);
    } else {
        PackedBatch::Append(header, payload);
        if (together < apart) {
            PackedBatch::AppendRun(run, current.ships.size(), payload);
        } else {
            for (const auto& entry : run)
                PackedBatch::Append(entry.second, payload);
        }
    }
    for (const ShipGrid& grid : told)
        Hold(grid);
    return rest;
}

std::vector<std::uint8_t> Snapshots::Pack(const std::vector<const NetMessage*>& states, std::uint32_t ms, Form form)
{
    // Numbers wrap, skipping 0, which acknowledges nothing.
    next = static_cast<std::uint16_t>(next + 1);
    next += next == 0;
    const Snapshot* base = Find(acked);
    const auto back = base ? static_cast<std::uint8_t>(next - acked) : std::uint8_t{0};
    NetMessage header;
    header.SetSnapshot(next, back, static_cast<std::uint16_t>(ms));
    std::vector<std::uint8_t> payload;
    Open(next, back, static_cast<std::uint16_t>(ms));
    std::vector<const NetMessage*> rest = states;
    if (form == Form::kRecords)
        PackedBatch::Append(header, payload);
    else
        rest = AppendRun(states, header, form == Form::kFolded, payload);
    for (const NetMessage* state : rest) {
        const auto grid = ShipGrid::Of(*state);
        const Held* held = nullptr;
        const auto delta = grid ? AgainstHeld(*grid, held) : std::nullopt;
        if (delta && PackedBatch::PackedSize(*delta) < PackedBatch::PackedSize(*state)) {
            PackedBatch::Append(*delta, payload);
            Hold(*grid);
            continue;
        }
        PackedBatch::Append(*state, payload);
        Heard(*state, grid.has_value());
    }
    Close();
    return payload;
}
