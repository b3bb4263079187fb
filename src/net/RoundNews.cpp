#include "net/RoundNews.h"

#include <algorithm>
#include <cstdio>

#include "world/ShownName.h"

namespace {

constexpr int kLongestRoundMs = 24 * 60 * 60 * 1000;

// The server's death notices about a ship, its name between before and
// after, and how the line says it died.
struct DeathNotice {
    const char* before;
    const char* after;
    const char* how;
};

// Tried in order: the player named last is the rest of "X destroyed NAME".
constexpr DeathNotice kNotices[] = {
    {"A turret destroyed ", "", "by a gun"},
    {"", " destroyed themselves", "by your own shot"},
    {"", " crashed", "by the wall"},
    {"", " was destroyed in a collision", "in a collision"},
    {"", " was destroyed", ""},
};

bool IsAbout(const std::string& notice, const DeathNotice& form, const std::string& name)
{
    return notice == form.before + name + form.after;
}

} // namespace

void RoundNews::OwnShipKilled(std::uint32_t now, int respawn)
{
    dead = true;
    how.clear();
    diedAt = now;
    respawnMs = respawn;
}

void RoundNews::Heard(const std::string& notice)
{
    if (!dead || ownName.empty())
        return;
    for (const DeathNotice& form : kNotices) {
        if (IsAbout(notice, form, ownName)) {
            how = form.how;
            return;
        }
    }
    const std::string tail = " destroyed " + ownName;
    if (notice.size() > tail.size() && notice.ends_with(tail))
        how = "by " + notice.substr(0, std::min(notice.size() - tail.size(), kShownNameLength));
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
    return (how.empty() ? "Killed" : "Killed " + how) + " - back in " + std::to_string(seconds);
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
