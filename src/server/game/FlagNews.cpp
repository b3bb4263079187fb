#include "server/game/FlagNews.h"

#include <utility>

int FlagNews::Line::Takes() const
{
    if (first != FlagEvent::Taken && first != FlagEvent::Dropped)
        return 0;
    return (events + (first == FlagEvent::Taken ? 1 : 0)) / 2;
}

FlagEvent FlagNews::Line::Last() const
{
    if (events % 2 == 1)
        return first;
    return first == FlagEvent::Taken ? FlagEvent::Dropped : FlagEvent::Taken;
}

std::vector<FlagNews::Line> FlagNews::Happened(FlagEvent event, Team team, int nowMs)
{
    Told& told = news[TeamIndex(team)];
    std::vector<Line> lines;
    switch (event) {
    case FlagEvent::Captured:
    case FlagEvent::Returned:
        if (told.held)
            lines.push_back(*told.held);
        lines.push_back({event, 1});
        // The flag is home: its next take is news again.
        told = {};
        return lines;
    case FlagEvent::Taken:
    case FlagEvent::Dropped: {
        Line run = told.held ? *told.held : Line{event, 0};
        ++run.events;
        if (nowMs - told.lastShown < kQuietMs) {
            told.held = run;
            return lines;
        }
        told = {nowMs, std::nullopt};
        lines.push_back(run);
        return lines;
    }
    case FlagEvent::Placed: return lines;
    }
    return lines;
}

std::optional<FlagNews::Line> FlagNews::Due(Team team, int nowMs)
{
    Told& told = news[TeamIndex(team)];
    if (!told.held || nowMs - told.lastShown < kQuietMs)
        return std::nullopt;
    told.lastShown = nowMs;
    return std::exchange(told.held, std::nullopt);
}

std::optional<FlagNews::Line> FlagNews::Flush(Team team)
{
    return std::exchange(news[TeamIndex(team)].held, std::nullopt);
}
