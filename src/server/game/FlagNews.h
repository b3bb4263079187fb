#pragma once

#include <array>
#include <climits>

#include "world/Flag.h"
#include "world/Team.h"

// Which flag events the players' consoles read. Every capture and every
// return shows; a take or a drop shows when the flag's last line is a
// while old, so that ships fighting over a flag make one line rather than
// one a second, and chat stays readable.
class FlagNews {
public:
    static constexpr int kQuietMs = 5000;

    // Whether the event's line shows, at the round's time now.
    bool Shows(FlagEvent event, Team team, int nowMs);
    // A new round: every flag's next line shows.
    void Reset() { lastShown.fill(kNever); }

private:
    static constexpr int kNever = INT_MIN / 2;
    std::array<int, kTeams> lastShown {kNever, kNever};
};
