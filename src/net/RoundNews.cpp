#include "net/RoundNews.h"

#include <algorithm>
#include <cstdio>

#include "world/DeathCause.h"
#include "world/ShownName.h"

namespace {

constexpr int kLongestRoundMs = 24 * 60 * 60 * 1000;

} // namespace

void RoundNews::OwnShipKilled(std::uint32_t now, int respawn)
{
    dead = true;
    how.clear();
    diedAt = now;
    respawnMs = respawn;
}

void RoundNews::KilledBy(std::uint8_t cause, const std::string& killer)
{
    if (!dead)
        return;
    switch (static_cast<DeathCause>(cause)) {
    case DeathCause::Weapon:
    case DeathCause::Rammed: how = killer.empty() ? "" : "Killed by " + killer.substr(0, kShownNameLength); break;
    case DeathCause::OwnWeapon: how = "Killed by your own shot"; break;
    case DeathCause::Crashed: how = "Killed by the wall"; break;
    case DeathCause::Collision: how = "Killed in a collision"; break;
    case DeathCause::Turret: how = "Killed by a gun"; break;
    case DeathCause::Switched: how = "Changed sides"; break;
    default: how.clear(); break;
    }
}

void RoundNews::Clock(int left, int limit, std::uint32_t now)
{
    clockKnown = true;
    // A day at most, as the server's longest round: no sum here can overflow.
    msLeft = std::clamp(left, -1, kLongestRoundMs);
    scoreLimit = limit;
    clockAt = now;
}

void RoundNews::NewRound()
{
    dead = false;
    clockKnown = false;
}

std::string RoundNews::DeathLine(std::uint32_t now) const
{
    if (!dead)
        return "";
    // Whole seconds, rounded up; the spawn itself takes a moment to arrive.
    const int left = respawnMs - static_cast<int>(now - diedAt);
    const int seconds = std::max(1, (left + 999) / 1000);
    return (how.empty() ? "Killed" : how) + " - back in " + std::to_string(seconds);
}

std::string RoundNews::ClockLine(std::uint32_t now) const
{
    if (!clockKnown)
        return "";
    const std::string limit = std::to_string(scoreLimit);
    if (msLeft < 0)
        return "First to " + limit;
    const int left = std::max(0, msLeft - static_cast<int>(now - clockAt));
    const int seconds = (left + 999) / 1000;
    char time[32] = {};
    std::snprintf(time, sizeof time, "%d:%02d", seconds / 60, seconds % 60);
    return std::string(time) + " left, first to " + limit;
}
