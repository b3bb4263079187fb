#pragma once

#include <cstddef>
#include <cstdint>

// The side a ship plays for in a team game; None in a game of everyone
// against everyone. The numbers are the wire's.
enum class Team : std::uint8_t { None = 0, Red = 1, Blue = 2 };

constexpr int kTeams = 2;

constexpr const char* TeamName(Team team)
{
    switch (team) {
    case Team::Red: return "Red";
    case Team::Blue: return "Blue";
    case Team::None: break;
    }
    return "";
}

constexpr Team OtherTeam(Team team)
{
    return team == Team::Red ? Team::Blue : team == Team::Blue ? Team::Red : Team::None;
}

// Red's and Blue's place in a pair of anything kept by side; not for None.
constexpr std::size_t TeamIndex(Team team)
{
    return static_cast<std::size_t>(team) - 1;
}

// A team by its wire number; None for one no game has.
constexpr Team TeamFromWire(int number)
{
    return number == 1 ? Team::Red : number == 2 ? Team::Blue : Team::None;
}
