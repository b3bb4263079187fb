#pragma once

#include <array>
#include <climits>
#include <optional>

#include "world/Flag.h"
#include "world/Team.h"

// Which flag events the players' consoles read. Every capture and every
// return shows; a take or a drop shows when the flag's last line is a
// while old, so that ships fighting over a flag make one line rather than
// one a second, and chat stays readable. A line held back that leaves the
// consoles wrong (a drop unseen after a take shown) is due once the flag's
// quiet time is over.
class FlagNews {
public:
    static constexpr int kQuietMs = 5000;

    // Whether the event's line shows, at the round's time now.
    bool Shows(FlagEvent event, Team team, int nowMs);
    // The line held back for the flag that shows now, if any.
    std::optional<FlagEvent> Due(Team team, int nowMs);
    // A new round: every flag's next line shows.
    void Reset() { news.fill({}); }

private:
    static constexpr int kNever = INT_MIN / 2;
    struct Told {
        int lastShown = kNever;
        FlagEvent shown = FlagEvent::Placed;  // the flag's last line shown
        std::optional<FlagEvent> held;        // what happened since, unless the same
    };
    std::array<Told, kTeams> news {};
};
