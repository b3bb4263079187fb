#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The counters of what a ship carries to fire, in the order the ship state
// sends them; None for weapons that need no rounds.
enum class Ammunition : std::uint8_t { Missiles, Mines, PlasmaMines, Repulsors, None };

inline constexpr std::size_t kAmmunitionKinds = static_cast<std::size_t>(Ammunition::None);

// One count per kind, indexed by Ammunition.
template <typename Count>
using AmmunitionCounts = std::array<Count, kAmmunitionKinds>;

constexpr Ammunition AmmunitionAt(std::size_t index)
{
    return static_cast<Ammunition>(index);
}
