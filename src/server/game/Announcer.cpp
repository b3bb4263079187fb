#include "server/game/Announcer.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string>

#include "base/TextCopy.h"
#include "server/game/EventLog.h"
#include "server/game/Player.h"
#include "server/game/Reporter.h"
#include "world/Map.h"
#include "world/Ship.h"
#include "world/Turret.h"

void Announcer::Notice(const char* format, ...)
{
    char text[kTextBufferSize] = {};
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    reporter.ToAll().SetText(text);
    log.Line("%s", text);
}

void Announcer::OnRoundStarted(const std::string& mapName, const Map& map, int msLeft, int scoreLimit,
                               const char* mode)
{
    reporter.NewRound(map.WorldWidth(), map.WorldHeight());
    reporter.ToAll().SetMapName(mapName.c_str());
    reporter.ToAll().SetRoundClock(msLeft, scoreLimit);
    flagNews.Reset();
    log.Line("round started on map %s (%d x %d cells), %s", mapName.c_str(), map.Columns(), map.Rows(), mode);
}

void Announcer::OnRoundOver(const Player* winner)
{
    // Flag news held back is told before the round's last line, never after.
    for (const Team team : {Team::Red, Team::Blue}) {
        if (const auto line = flagNews.Flush(team))
            Tell(*line, team, false);
    }
    flagNews.Reset();
    reporter.ToAll().SetRoundOver();
    // In teams the side has won already; its best pilot is named as such.
    if (winner && winner->GetTeam() != Team::None)
        Notice("Round over: %s led %s with %d", winner->Name(), TeamName(winner->GetTeam()),
               winner->GetShip().GetScore());
    else if (winner)
        Notice("Round over: %s wins with %d", winner->Name(), winner->GetShip().GetScore());
    else
        Notice("Round over");
}

void Announcer::OnTeamChanged(const Player& player)
{
    reporter.ToAll().SetTeam(player.ShipId(), static_cast<std::uint8_t>(player.GetTeam()));
    if (player.GetTeam() == Team::None)
        log.Line("%s plays for no side", player.Name());
    else
        log.Line("%s plays for %s", player.Name(), TeamName(player.GetTeam()));
}

void Announcer::TellSide(const Player& player)
{
    if (player.GetTeam() == Team::None)
        return;
    const std::string side = std::string("You play for ") + TeamName(player.GetTeam()) + ".";
    reporter.To(player.Slot()).SetText(side.c_str());
}

void Announcer::OnTeamScores(int red, int blue)
{
    reporter.ToAll().SetTeamScores(red, blue);
}

void Announcer::OnTeamsFinished(Team ahead, int red, int blue)
{
    if (ahead == Team::None)
        Notice("Red and Blue draw at %d", red);
    else
        Notice("%s wins the round, %d to %d", TeamName(ahead), std::max(red, blue), std::min(red, blue));
}

void Announcer::OnFlag(FlagEvent event, const Flag& flag, const Player* by)
{
    reporter.ToAll().SetFlag(flag);
    if (event == FlagEvent::Placed) {
        log.Line("the %s flag stands at %d, %d", TeamName(flag.team), static_cast<int>(flag.home.x),
                 static_cast<int>(flag.home.y));
        return;
    }
    reporter.ToAll().SetFlagEvent(static_cast<std::uint8_t>(event), static_cast<std::uint8_t>(flag.team),
                                  by ? by->ShipId() : 0);
    // The log tells each event as it happens, with its pilot; only the
    // consoles' lines are paced.
    static constexpr const char* kDone[] = {"placed", "taken", "dropped", "returned", "captured"};
    if (by)
        log.Line("the %s flag %s by %s, ship %d", TeamName(flag.team), kDone[static_cast<int>(event)], by->Name(),
                 by->ShipId());
    else
        log.Line("the %s flag %s", TeamName(flag.team), kDone[static_cast<int>(event)]);
    for (const FlagNews::Line& line : flagNews.Happened(event, flag.team, clock()))
        Tell(line, flag.team, by != nullptr);
}

void Announcer::Tick()
{
    for (const Team team : {Team::Red, Team::Blue}) {
        if (const auto line = flagNews.Due(team, clock()))
            Tell(*line, team, false);
    }
}

namespace {

std::string Times(int count)
{
    if (count == 1)
        return "once";
    if (count == 2)
        return "twice";
    return std::to_string(count) + " times";
}

} // namespace

void Announcer::Tell(const FlagNews::Line& line, Team team, bool byPilot)
{
    const char* ours = TeamName(team);
    const char* theirs = TeamName(OtherTeam(team));
    const bool takenFirst = line.first == FlagEvent::Taken;
    if (line.events == 2) {
        if (takenFirst)
            Notice("%s took the %s flag and dropped it", theirs, ours);
        else
            Notice("%s dropped the %s flag and took it again", theirs, ours);
        return;
    }
    if (line.events > 2) {
        // What came first reads first.
        const std::string took = Times(line.Takes());
        const std::string dropped = Times(line.Drops());
        const std::string now = line.Last() == FlagEvent::Taken ? std::string(theirs) + " carries it" : "it lies dropped";
        Notice("%s %s the %s flag %s and %s it %s: %s", theirs, takenFirst ? "took" : "dropped", ours,
               (takenFirst ? took : dropped).c_str(), takenFirst ? "dropped" : "took",
               (takenFirst ? dropped : took).c_str(), now.c_str());
        return;
    }
    switch (line.first) {
    case FlagEvent::Taken: Notice("%s took the %s flag", theirs, ours); break;
    case FlagEvent::Dropped: Notice("%s dropped the %s flag", theirs, ours); break;
    case FlagEvent::Captured: Notice("%s captured the %s flag", theirs, ours); break;
    case FlagEvent::Returned:
        if (byPilot)
            Notice("%s returned the %s flag", ours, ours);
        else
            Notice("The %s flag went home", ours);
        break;
    case FlagEvent::Placed: break;
    }
}

void Announcer::OnNoRoomForFlags()
{
    reporter.ToAll().SetText("No room for flags on this map: this round is team deathmatch");
    log.Line("no room for flags on this map (no bases, and no two open places far apart): "
             "the round plays as team deathmatch, a kill scoring for the killer's side");
}

void Announcer::OnBasesRefused()
{
    log.Line("this map's bases are not two open cells a ship flies between: "
             "the flags stand at two open places found instead");
}

void Announcer::OnMapSkipped(const std::string& mapName, const std::string& reason)
{
    log.Line("skipping map %s: %s", mapName.c_str(), reason.c_str());
}

void Announcer::OnShipSpawned(const Player& player)
{
    const Ship& ship = player.GetShip();
    reporter.ToAll().SetPlayerSpawn(ship.GetId(), static_cast<int>(ship.Position().x),
                                    static_cast<int>(ship.Position().y), ship.GetShipType(), player.Name());
    reporter.ShipNow(player.Slot());
}

void Announcer::OnShipChanged(const Player& player)
{
    reporter.ShipNow(player.Slot());
}

void Announcer::OnShipKilled(const Player& victim, const Player* killer, DeathCause cause)
{
    reporter.ToAll().SetShipKilled(victim.ShipId());
    reporter.ToAll().SetKilledBy(victim.ShipId(), killer ? killer->ShipId() : 0, static_cast<std::uint8_t>(cause));
    reporter.ShipNow(victim.Slot());
    if (killer)
        reporter.ShipNow(killer->Slot());
    switch (cause) {
    case DeathCause::Weapon:
    case DeathCause::Rammed:
        if (killer)
            Notice("%s destroyed %s", killer->Name(), victim.Name());
        else
            Notice("%s was destroyed", victim.Name());
        break;
    case DeathCause::OwnWeapon: Notice("%s destroyed themselves", victim.Name()); break;
    case DeathCause::Crashed: Notice("%s crashed", victim.Name()); break;
    case DeathCause::Collision: Notice("%s was destroyed in a collision", victim.Name()); break;
    case DeathCause::Turret: Notice("A turret destroyed %s", victim.Name()); break;
    case DeathCause::Switched: break; // the side it changed to is news enough
    }
    for (const KillWatch& watch : killWatches)
        watch(victim, killer, cause);
}

void Announcer::OnEntityAppeared(const GameObject& entity, int firedBy)
{
    reporter.EntityAppeared(entity, firedBy);
}

void Announcer::OnEntityMoved(const GameObject& entity)
{
    reporter.EntityMoved(entity);
}

void Announcer::OnEntityKilled(const GameObject& entity)
{
    reporter.EntityKilled(entity);
}

void Announcer::OnTurretChanged(const Turret& turret)
{
    reporter.ToAll().SetTurretState(turret.GetId(), turret.GetDirection(), turret.IsAlive(), turret.Position());
}

void Announcer::OnTileChanged(int column, int row, std::uint8_t value)
{
    reporter.ToAll().SetTileChange(column, row, value);
}
