#include "server/game/CaptureTheFlag.h"

#include <algorithm>

#include "server/game/FlagBases.h"
#include "server/game/Navigator.h"
#include "server/game/Player.h"
#include "world/Map.h"
#include "world/Ship.h"

void CaptureTheFlag::RoundStarted()
{
    TeamDeathmatch::RoundStarted();
    flags.clear();
    returnLeft = {};
}

void CaptureTheFlag::Plan(const Field& field)
{
    marksRefused = !field.map.Bases().empty() && !FlagBases::Marked(field.map, field.shape);
    const std::vector<Vector3> bases = FlagBases::Find(field.map, field.shape, field.random);
    for (std::size_t i = 0; i < bases.size(); ++i) {
        Flag flag;
        flag.team = i == 0 ? Team::Red : Team::Blue;
        flag.home = bases[i];
        flag.at = bases[i];
        flags.push_back(flag);
    }
    captureLimit = kFewestCaptures;
    if (flags.size() == 2) {
        const Navigator::Cell red = field.shape.CellOf(flags[0].home);
        const Navigator::Cell blue = field.shape.CellOf(flags[1].home);
        const int flight =
            field.shape.Steps(red)[static_cast<std::size_t>(blue.row * field.shape.Columns() + blue.column)];
        if (flight > 0)
            captureLimit = std::clamp((kFewestCaptures * kFarFlight + flight / 2) / flight, kFewestCaptures,
                                      kMostCaptures);
    }
}

void CaptureTheFlag::Placed(const Field& field)
{
    if (marksRefused)
        field.listener.OnBasesRefused();
    if (flags.empty())
        field.listener.OnNoRoomForFlags();
    for (const Flag& flag : flags)
        field.listener.OnFlag(FlagEvent::Placed, flag, nullptr);
}

void CaptureTheFlag::Award(Player& player, int points)
{
    // Without flags nothing else would ever score for a side.
    if (flags.empty())
        TeamDeathmatch::Award(player, points);
    else
        AddScore(player, points);
}

int CaptureTheFlag::ReturnsIn(Team team) const
{
    for (const Flag& flag : flags) {
        if (flag.team == team && flag.place == FlagPlace::Dropped)
            return returnLeft[TeamIndex(team)];
    }
    return 0;
}

bool CaptureTheFlag::SpawnsAt(const Vector3& at, Team team, const Navigator& shape) const
{
    const Flag* own = nullptr;
    const Flag* enemy = nullptr;
    for (const Flag& flag : flags)
        (flag.team == team ? own : enemy) = &flag;
    if (!own || !enemy)
        return true;
    const double toEnemy = shape.Offset(at, enemy->home).Length();
    return shape.Offset(at, own->home).Length() < toEnemy && toEnemy > kSpawnClearance;
}

Flag* CaptureTheFlag::FlagOf(Team team)
{
    for (Flag& flag : flags) {
        if (flag.team == team)
            return &flag;
    }
    return nullptr;
}

void CaptureTheFlag::Step(const Field& field, int ms)
{
    for (Flag& flag : flags) {
        switch (flag.place) {
        case FlagPlace::Carried: Carry(field, flag); break;
        case FlagPlace::Dropped: Lie(field, flag, ms); break;
        case FlagPlace::Home: Stand(field, flag); break;
        }
    }
}

Player* CaptureTheFlag::Toucher(const Field& field, const Vector3& at, Team team, bool ofTeam)
{
    for (const auto& pilot : field.pilots) {
        const Ship& ship = pilot->GetShip();
        if (!ship.IsAlive() || pilot->GetTeam() == Team::None || (pilot->GetTeam() == team) != ofTeam)
            continue;
        if (field.shape.Offset(ship.Position(), at).Length() < kTouch)
            return pilot.get();
    }
    return nullptr;
}

void CaptureTheFlag::Stand(const Field& field, Flag& flag)
{
    if (Player* enemy = Toucher(field, flag.home, flag.team, false))
        Take(field, flag, *enemy);
}

void CaptureTheFlag::Lie(const Field& field, Flag& flag, int ms)
{
    int& left = returnLeft[TeamIndex(flag.team)];
    left -= ms;
    if (left <= 0)
        GoHome(field, flag, FlagEvent::Returned, nullptr);
    else if (Player* mate = Toucher(field, flag.at, flag.team, true))
        GoHome(field, flag, FlagEvent::Returned, mate);
    else if (Player* enemy = Toucher(field, flag.at, flag.team, false))
        Take(field, flag, *enemy);
}

void CaptureTheFlag::Carry(const Field& field, Flag& flag)
{
    Player* carrier = nullptr;
    for (const auto& pilot : field.pilots) {
        if (pilot->ShipId() == flag.carrier)
            carrier = pilot.get();
    }
    // Gone, dead or gone over to the flag's side: it falls where the ship was.
    if (!carrier || !carrier->GetShip().IsAlive() || carrier->GetTeam() != OtherTeam(flag.team)) {
        Drop(field, flag, carrier);
        return;
    }
    flag.at = carrier->GetShip().Position();
    const Flag* own = FlagOf(carrier->GetTeam());
    if (!own || own->place != FlagPlace::Home || field.shape.Offset(flag.at, own->home).Length() >= kTouch)
        return;
    AddToTeam(carrier->GetTeam(), 1);
    AddScore(*carrier, kCapturePoints);
    GoHome(field, flag, FlagEvent::Captured, carrier);
    field.listener.OnShipChanged(*carrier);
    field.listener.OnTeamScores(TeamScore(Team::Red), TeamScore(Team::Blue));
}

void CaptureTheFlag::Take(const Field& field, Flag& flag, Player& by)
{
    flag.place = FlagPlace::Carried;
    flag.carrier = by.ShipId();
    flag.at = by.GetShip().Position();
    field.listener.OnFlag(FlagEvent::Taken, flag, &by);
}

void CaptureTheFlag::Drop(const Field& field, Flag& flag, Player* by)
{
    if (by)
        flag.at = by->GetShip().Position();
    flag.place = FlagPlace::Dropped;
    flag.carrier = 0;
    returnLeft[TeamIndex(flag.team)] = kReturnMs;
    field.listener.OnFlag(FlagEvent::Dropped, flag, by);
}

void CaptureTheFlag::GoHome(const Field& field, Flag& flag, FlagEvent event, Player* by)
{
    flag.place = FlagPlace::Home;
    flag.carrier = 0;
    flag.at = flag.home;
    returnLeft[TeamIndex(flag.team)] = 0;
    if (event == FlagEvent::Returned && by) {
        AddScore(*by, kReturnPoints);
        field.listener.OnShipChanged(*by);
    }
    field.listener.OnFlag(event, flag, by);
}
