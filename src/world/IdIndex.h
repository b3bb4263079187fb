#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

// Finds objects by id without a walk: an open-addressed table, at most half
// full, probed in a line from a multiplicative hash. Entries are filed under
// the id an object had when it was added; a look-up checks the id the
// object has now, so an id changed later can never reach a freed object.
// Two objects may share an id: the first added is found.
template <typename T>
class IdIndex {
public:
    void Add(T* object)
    {
        if ((used + 1) * 2 > slots.size())
            Grow();
        Place({object->GetId(), object});
        ++used;
    }

    // The object leaves, wherever it was filed.
    void Remove(const T* object)
    {
        if (slots.empty())
            return;
        for (std::size_t at = Home(object->GetId()); slots[at].object; at = Next(at)) {
            if (slots[at].object == object)
                return Erase(at);
        }
        for (std::size_t at = 0; at < slots.size(); ++at) {
            if (slots[at].object == object)
                return Erase(at);
        }
    }

    T* Find(int id) const
    {
        if (slots.empty())
            return nullptr;
        for (std::size_t at = Home(id); slots[at].object; at = Next(at)) {
            if (slots[at].id == id && slots[at].object->GetId() == id)
                return slots[at].object;
        }
        return nullptr;
    }

    void Clear()
    {
        slots.clear();
        used = 0;
        bits = 0;
    }

private:
    struct Slot {
        int id = 0;
        T* object = nullptr;
    };

    std::size_t Home(int id) const
    {
        return static_cast<std::size_t>((static_cast<std::uint32_t>(id) * 2654435769u) >> (32 - bits));
    }
    std::size_t Next(std::size_t at) const { return (at + 1) & (slots.size() - 1); }

    void Place(const Slot& slot)
    {
        std::size_t at = Home(slot.id);
        while (slots[at].object)
            at = Next(at);
        slots[at] = slot;
    }

    void Grow()
    {
        std::vector<Slot> old = std::move(slots);
        bits = bits ? bits + 1 : 4;
        slots.assign(std::size_t{1} << bits, Slot{});
        // From the start of a run, so entries sharing an id keep their order.
        std::size_t start = 0;
        while (start < old.size() && old[start].object)
            ++start;
        for (std::size_t i = 0; i < old.size(); ++i) {
            const Slot& slot = old[(start + i) % old.size()];
            if (slot.object)
                Place(slot);
        }
    }

    // Closes the gap so that every entry stays reachable from its home.
    void Erase(std::size_t hole)
    {
        for (std::size_t at = Next(hole); slots[at].object; at = Next(at)) {
            const std::size_t mask = slots.size() - 1;
            const std::size_t home = Home(slots[at].id);
            if (((at - home) & mask) >= ((at - hole) & mask)) {
                slots[hole] = slots[at];
                hole = at;
            }
        }
        slots[hole] = Slot{};
        --used;
    }

    std::vector<Slot> slots;
    std::size_t used = 0;
    int bits = 0;
};
