#include "server/game/FlagNews.h"

bool FlagNews::Shows(FlagEvent event, Team team, int nowMs)
{
    Told& told = news[TeamIndex(team)];
    switch (event) {
    case FlagEvent::Captured:
    case FlagEvent::Returned:
        // The flag is home: its next take is news again.
        told = {};
        return true;
    case FlagEvent::Taken:
    case FlagEvent::Dropped:
        if (nowMs - told.lastShown < kQuietMs) {
            told.held = event == told.shown ? std::nullopt : std::optional(event);
            return false;
        }
        told = {nowMs, event, std::nullopt};
        return true;
    case FlagEvent::Placed: return false;
    }
    return false;
}

std::optional<FlagEvent> FlagNews::Due(Team team, int nowMs)
{
    Told& told = news[TeamIndex(team)];
    if (!told.held || nowMs - told.lastShown < kQuietMs)
        return std::nullopt;
    const FlagEvent event = *told.held;
    told = {nowMs, event, std::nullopt};
    return event;
}
