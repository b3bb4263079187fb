#include "server/game/FlagNews.h"

bool FlagNews::Shows(FlagEvent event, Team team, int nowMs)
{
    int& last = lastShown[TeamIndex(team)];
    switch (event) {
    case FlagEvent::Captured:
    case FlagEvent::Returned:
        // The flag is home: its next take is news again.
        last = kNever;
        return true;
    case FlagEvent::Taken:
    case FlagEvent::Dropped:
        if (nowMs - last < kQuietMs)
            return false;
        last = nowMs;
        return true;
    case FlagEvent::Placed: return false;
    }
    return false;
}
