#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/MessageBatch.h"
#include "server/game/Announcer.h"
#include "server/game/EventLog.h"
#include "server/game/FlagNews.h"
#include "server/game/Player.h"
#include "server/game/Reporter.h"
#include "world/Ship.h"

namespace {

// The texts a watcher's console shows after the announcer told them.
std::vector<std::string> TextsShown(Reporter& reporter)
{
    std::vector<std::string> texts;
    reporter.Tick(50);
    reporter.Flush([&](int, const std::vector<std::uint8_t>& bytes, bool) {
        MessageBatch batch;
        batch.ParsePacked(bytes.data(), bytes.size());
        for (NetMessage* message = batch.Begin(); message; message = batch.Next()) {
            char text[1024] = {};
            if (message->Kind() != kMsgText)
                continue;
            message->GetText(text, sizeof text);
            texts.emplace_back(text);
        }
    });
    return texts;
}

// A round's last lines never name two winners: in teams the side wins and
// its best pilot led it.
TEST(RoundOverLines, NameOneWinner)
{
    Ship ship;
    ship.SetName("Ann");
    ship.SetScore(7);
    Player ann(0, &ship);
    struct Case {
        Team side;
        Team ahead;
        bool winner;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {Team::None, Team::None, true, {"Round over: Ann wins with 7"}},
        {Team::None, Team::None, false, {"Round over"}},
        {Team::Red, Team::Red, true, {"Red wins the round, 12 to 9", "Round over: Ann led Red with 7"}},
        {Team::Red, Team::None, false, {"Red and Blue draw at 12", "Round over"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines.back());
        Reporter reporter;
        EventLog log;
        Announcer announcer(reporter, log);
        reporter.AddWatcher(0);
        ann.SetTeam(c.side);
        if (c.side != Team::None)
            announcer.OnTeamsFinished(c.ahead, 12, c.ahead == Team::None ? 12 : 9);
        announcer.OnRoundOver(c.winner ? &ann : nullptr);
        EXPECT_EQ(TextsShown(reporter), c.lines);
    }
}

// What a flag's news held back tells, as the consoles read it: a run of
// takes and drops in the order it began and where it left the flag, before
// a capture and before the round's last line.
TEST(FlagLines, ARunHeldBackReadsAsWhatHappened)
{
    Reporter reporter;
    EventLog log;
    Announcer announcer(reporter, log);
    int now = 0;
    announcer.KeepTime([&] { return now; });
    reporter.AddWatcher(0);
    Flag flag;
    flag.team = Team::Blue;
    const auto happen = [&](FlagEvent event, int at) {
        now = at;
        if (event != FlagEvent::Placed)
            announcer.OnFlag(event, flag, nullptr);
        announcer.Tick();
    };
    const int quiet = FlagNews::kQuietMs;
    const std::pair<FlagEvent, int> events[] = {{FlagEvent::Taken, 0}, {FlagEvent::Dropped, 100},
        {FlagEvent::Taken, 200}, {FlagEvent::Dropped, 300}, {FlagEvent::Taken, 400}, {FlagEvent::Placed, quiet},
        {FlagEvent::Dropped, quiet + 100}, {FlagEvent::Taken, quiet + 200}, {FlagEvent::Captured, quiet + 300},
        {FlagEvent::Taken, quiet + 400}, {FlagEvent::Dropped, quiet + 500}, {FlagEvent::Taken, quiet + 600}};
    for (const auto& [event, at] : events)
        happen(event, at);
    announcer.OnRoundOver(nullptr);
    EXPECT_EQ(TextsShown(reporter),
        (std::vector<std::string>{"Red took the Blue flag",
            "Red dropped the Blue flag twice and took it twice: Red carries it",
            "Red dropped the Blue flag and took it again", "Red captured the Blue flag", "Red took the Blue flag",
            "Red dropped the Blue flag and took it again", "Round over"}));
}

} // namespace
