#pragma once

#include <array>
#include <climits>
#include <optional>
#include <vector>

#include "world/Flag.h"
#include "world/Team.h"

// Which flag lines the players' consoles read. Every capture and every
// return shows at once; a take or a drop shows at once when the flag's last
// line is a while old, so that ships fighting over a flag make one line
// rather than one a second, and chat stays readable. What is held back
// meanwhile is never lost: it is told as one line once the quiet time is
// over, or before the flag's next capture or return.
class FlagNews {
public:
    static constexpr int kQuietMs = 5000;

    // One console line: an event, or a run of takes and drops of one flag
    // (which always follow each other in turn) told together.
    struct Line {
        FlagEvent first = FlagEvent::Taken;
        int events = 1; // in the run, from first; 1 for a capture or return
        bool operator==(const Line&) const = default;
        // The run's takes, and its drops.
        int Takes() const;
        int Drops() const { return events - Takes(); }
        // What the run leaves the flag: taken or dropped.
        FlagEvent Last() const;
    };

    // The lines the event makes show now, at the round's time: none while
    // the flag is quiet, else at most two, what was held back first.
    std::vector<Line> Happened(FlagEvent event, Team team, int nowMs);
    // The line held back for the flag that is due now, if any.
    std::optional<Line> Due(Team team, int nowMs);
    // The round is over: the flag's line held back, at once, if any.
    std::optional<Line> Flush(Team team);
    // A new round: every flag's next line shows.
    void Reset() { news.fill({}); }

private:
    static constexpr int kNever = INT_MIN / 2;
    struct Told {
        int lastShown = kNever;
        std::optional<Line> held; // takes and drops since the last line shown
    };
    std::array<Told, kTeams> news {};
};
