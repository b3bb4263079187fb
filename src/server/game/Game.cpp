#include "server/game/Game.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <utility>

#include "server/game/EventLog.h"
#include "server/game/PlayerText.h"
#include "world/Ship.h"
#include "world/Turret.h"

namespace {

std::vector<std::string> MapsFrom(const GameOptions& options, const std::string& dataDir)
{
    return options.maps.empty() ? MapRotation::AllMaps(dataDir) : options.maps;
}

// The operator's seed, or one of its own; never 0, which would have the
// simulation pick a seed nobody knows.
unsigned GameSeed(unsigned asked)
{
    std::random_device device;
    unsigned seed = asked;
    while (seed == 0)
        seed = device();
    return seed;
}

// The robots draw from a sequence of their own, so that their choices do
// not shift the simulation's.
unsigned CrewSeed(unsigned seed)
{
    std::seed_seq sequence {seed, 1u};
    unsigned out = 0;
    sequence.generate(&out, &out + 1);
    return out;
}

SimulationSettings Seeded(SimulationSettings settings, unsigned seed)
{
    settings.seed = seed;
    return settings;
}

} // namespace

SimulationSettings Game::SettingsFrom(const GameOptions& options)
{
    SimulationSettings settings;
    settings.scoreLimit = options.scoreLimit;
    settings.mode = options.mode;
    settings.friendlyFire = options.friendlyFire;
    settings.roundMs = static_cast<int>(std::lround(options.roundMinutes * 60.0 * 1000.0));
    return settings;
}

Game::Game(const GameOptions& options, const std::string& dataDir, EventLog& log)
    : Game(options, SettingsFrom(options), dataDir, log)
{
}

Game::Game(const GameOptions& options, SimulationSettings settings, const std::string& dataDir, EventLog& log)
    : options(options), log(log), seed(GameSeed(options.seed)), rotation(dataDir, MapsFrom(options, dataDir)),
      announcer(reporter, log), simulation(announcer, rotation, Seeded(settings, seed)),
      crew(options.bots, options.botSkill, CrewSeed(seed))
{
    announcer.KeepTime([this] { return simulation.RoundMs(); });
    announcer.WatchKills([this](const Player& victim, const Player* killer, DeathCause cause) {
        crew.Killed(victim, killer, cause);
    });
}

bool Game::Start(std::string& error)
{
    std::string reason;
    // A map the operator named is there and reads, or the server says so
    // now rather than when its turn comes; the first is loaded to play.
    for (std::size_t i = 1; i < options.maps.size(); ++i) {
        if (!rotation.Load(options.maps[i], reason)) {
            error = "cannot play map " + options.maps[i] + ": " + reason;
            return false;
        }
    }
    if (simulation.Start(reason))
        return true;
    error = "cannot play the first map: " + reason;
    return false;
}

void Game::FillSeats()
{
    while (crew.Count() < crew.Fitting(People(), options.maxPlayers)) {
        Player* robot = crew.Recruit(simulation, [this](const std::string& name) { return Taken(name); });
        if (!robot)
            break;
        reporter.AddShip(robot->Slot(), &robot->GetShip(), false);
        announcer.Notice("%s joined the game", robot->Name());
        if (options.botSkill == kMatchedRobotSkill)
            log.Line("robot \"%s\" flies ship %d (matching each person)", robot->Name(), robot->ShipId());
        else
            log.Line("robot \"%s\" flies ship %d (skill %d)", robot->Name(), robot->ShipId(), options.botSkill);
    }
    BalanceTeams();
}

void Game::Restart()
{
    while (!simulation.Players().empty())
        RemovePilot(simulation.Players().back().get());
    crew = RobotCrew(options.bots, options.botSkill, CrewSeed(seed));
    reporter = Reporter();
    lastRound = false;
    matchBegun = false;
    finished = false;
    watchers = 0;
    std::string reason;
    if (!simulation.Restart(reason))
        log.Always("cannot play the first map: %s", reason.c_str());
    FillSeats();
}

int Game::Join(const char* requestedName, int shipType)
{
    const std::string name =
        UniqueName(CleanName(requestedName), [this](const std::string& candidate) { return Taken(candidate); });
    if (Seated() >= options.maxPlayers && !RetireRobot())
        return kNobody;
    Player* player = simulation.AddPlayer(name, shipType);
    // Watchers may hold every slot that is no robot's.
    if (!player && RetireRobot())
        player = simulation.AddPlayer(name, shipType);
    if (!player)
        return kNobody;
    reporter.AddShip(player->Slot(), &player->GetShip(), true);
    reporter.To(player->Slot()).SetJoin(player->ShipId(), player->GetShip().GetShipType(), player->Name());
    Welcome(player->Slot());
    reporter.ShipNow(player->Slot());
    announcer.Notice("%s joined the game", player->Name());
    BalanceTeams();
    announcer.TellSide(*player);
    return player->Slot();
}

bool Game::Taken(const std::string& name) const
{
    for (const auto& player : simulation.Players()) {
        if (name == player->Name())
            return true;
    }
    return heldElsewhere && heldElsewhere(name);
}

void Game::Leave(int slot)
{
    if (Player* player = Pilot(slot)) {
        RemovePilot(player);
        FillSeats();
    } else if (simulation.ReleaseSlot(slot)) {
        reporter.RemoveShip(slot);
        refill = true;
    }
}

void Game::CountWatchers(int count)
{
    if (count == watchers)
        return;
    watchers = count;
    reporter.ToAll().SetWatchers(count);
}

void Game::RemovePilot(Player* player)
{
    const std::string name = player->Name();
    const int shipId = player->ShipId();
    reporter.RemoveShip(player->Slot());
    crew.Dismiss(player);
    simulation.RemovePlayer(player);
    reporter.ToAll().SetPlayerLeft(shipId);
    announcer.Notice("%s left the game", name.c_str());
}

void Game::BalanceTeams()
{
    const auto& pilots = simulation.Players();
    while (simulation.Mode().HasTeams()) {
        const int red = GameMode::Members(pilots, Team::Red);
        const int blue = GameMode::Members(pilots, Team::Blue);
        if (std::abs(red - blue) < 2)
            return;
        const Team bigger = red > blue ? Team::Red : Team::Blue;
        if (Player* robot = RobotOf(bigger)) {
            log.Line("robot \"%s\" changes sides to keep them even", robot->Name());
            simulation.SwitchTeam(*robot);
            continue;
        }
        // Without a robot to send, the newest person of the bigger side goes.
        const auto newest = std::find_if(pilots.rbegin(), pilots.rend(),
                                         [bigger](const auto& pilot) { return pilot->GetTeam() == bigger; });
        simulation.SwitchTeam(**newest);
        announcer.Notice("%s plays for %s now, to keep the sides even", (*newest)->Name(),
                         TeamName(OtherTeam(bigger)));
    }
}

Player* Game::RobotOf(Team team) const
{
    const auto& pilots = simulation.Players();
    for (auto pilot = pilots.rbegin(); pilot != pilots.rend(); ++pilot) {
        if ((*pilot)->GetTeam() == team && crew.Flies(pilot->get()))
            return pilot->get();
    }
    return nullptr;
}

bool Game::RetireRobot()
{
    Player* robot = crew.Newest();
    if (!robot)
        return false;
    log.Line("robot \"%s\" gives its seat to a person", robot->Name());
    RemovePilot(robot);
    return true;
}

int Game::Watch()
{
    return Observe(nullptr);
}

int Game::WatchAs(const std::string& name)
{
    return Observe(name.c_str());
}

int Game::Observe(const char* name)
{
    int slot = simulation.ReserveSlot();
    if (slot < 0 && RetireRobot())
        slot = simulation.ReserveSlot();
    if (slot < 0)
        return kNobody;
    reporter.AddWatcher(slot);
    if (name)
        reporter.To(slot).SetWatching(0, name);
    Welcome(slot);
    return slot;
}

// The map first (which clears its world), its clock, then every player, the guns, the
// fuel blocks that are not full and what is in sight.
void Game::Welcome(int slot)
{
    reporter.To(slot).SetMapName(simulation.MapName().c_str());
    reporter.To(slot).SetRoundClock(simulation.RoundMsLeft(), simulation.ScoreLimit());
    for (const auto& other : simulation.Players()) {
        const Ship& ship = other->GetShip();
        reporter.To(slot).SetPlayerSpawn(ship.GetId(), static_cast<int>(ship.Position().x),
                                         static_cast<int>(ship.Position().y), ship.GetShipType(), other->Name());
        if (!ship.IsAlive())
            reporter.To(slot).SetShipKilled(ship.GetId());
    }
    if (simulation.Mode().HasTeams()) {
        for (const auto& other : simulation.Players())
            reporter.To(slot).SetTeam(other->ShipId(), static_cast<std::uint8_t>(other->GetTeam()));
        reporter.To(slot).SetTeamScores(simulation.Mode().TeamScore(Team::Red), simulation.Mode().TeamScore(Team::Blue));
    }
    for (const Flag& flag : simulation.Mode().Flags()) {
        // A player's program learns a base from its flag at home: a flag
        // away is told there first, then where it is.
        if (flag.place != FlagPlace::Home) {
            Flag atHome = flag;
            atHome.place = FlagPlace::Home;
            atHome.carrier = 0;
            atHome.at = flag.home;
            reporter.To(slot).SetFlag(atHome);
        }
        reporter.To(slot).SetFlag(flag);
    }
    reporter.ShipsTo(slot);
    for (const Turret* turret : simulation.Turrets())
        reporter.To(slot).SetTurretState(turret->GetId(), turret->GetDirection(), turret->IsAlive(),
                                         turret->Position());
    for (const FuelDepots::Change& block : simulation.Depots().DifferencesFromFile())
        reporter.To(slot).SetTileChange(block.column, block.row, block.value);
    reporter.EntitiesInView(slot);
    if (watchers > 0)
        reporter.To(slot).SetWatchers(watchers);
    if (simulation.IsRoundOver())
        reporter.To(slot).SetRoundOver();
}

void Game::Hold(int slot, const HeldKeys& keys)
{
    if (Player* player = Pilot(slot))
        player->Hold(keys);
}

void Game::Acknowledge(int slot, std::uint16_t snapshot)
{
    reporter.Acknowledge(slot, snapshot);
}

void Game::Chat(int slot, const char* text)
{
    const Player* player = Pilot(slot);
    const std::string line = player ? ChatLine(player->Name(), text) : std::string();
    if (line.empty())
        return;
    reporter.ToAll().SetText(line.c_str());
    log.Line("chat: %s", line.c_str());
}

void Game::Tell(int slot, const char* text)
{
    if (slot == kNobody)
        reporter.ToAll().SetText(text);
    else if (Pilot(slot) || simulation.IsReserved(slot))
        reporter.To(slot).SetText(text);
}

bool Game::ChangeMap(const std::string& name)
{
    std::string reason;
    if (simulation.ChangeMap(name, reason))
        return true;
    const std::string shown = Drawable(name.c_str(), kMaxLineLength);
    log.Always("cannot change to map \"%s\": %s", shown.c_str(), reason.c_str());
    return false;
}

bool Game::NextMap()
{
    return simulation.NextMap();
}

void Game::WantRobots(int robots)
{
    crew.Want(robots);
    while (crew.Count() > crew.Fitting(People(), options.maxPlayers)) {
        Player* robot = crew.Newest();
        log.Line("robot \"%s\" leaves: fewer robots are wanted", robot->Name());
        RemovePilot(robot);
    }
    FillSeats();
}

void Game::Retire(int slot)
{
    if (Player* robot = Pilot(slot); robot && crew.Flies(robot)) {
        crew.Want(crew.Count() - 1);
        Leave(slot);
    }
}

void Game::Tick(int ms, const Send& send)
{
    if (MatchPlayedOut(ms))
        return;
    if (std::exchange(refill, false))
        FillSeats();
    crew.Think(simulation, ms);
    const bool wasOver = simulation.IsRoundOver();
    simulation.Step(ms);
    announcer.Tick();
    crew.Match(simulation, ms);
    if (!wasOver && simulation.IsRoundOver())
        Cheer();
    reporter.Tick(ms);
    reporter.Flush(send);
}

bool Game::MatchPlayedOut(int ms)
{
    if (!options.oneMatch)
        return false;
    if (!matchBegun) {
        // Robots waiting for players play on; the match is the players',
        // from a fresh round as the first one comes.
        if (People() == 0)
            return false;
        matchBegun = true;
        const std::string map = simulation.MapName();
        log.Always("the match begins with its first player: a fresh round on %s", map.c_str());
        ChangeMap(map);
        LastRound();
        return false;
    }
    if (!finished && (!simulation.IsRoundOver() || simulation.ResultsMsLeft() > ms))
        return false;
    finished = true;
    return true;
}

void Game::Charge(int slot, std::size_t sentBytes, std::uint32_t resent)
{
    if (sentBytes > 0)
        reporter.Charge(slot, Reporter::WireCost(sentBytes) + Reporter::kDatagramCost);
    if (resent > 0)
        reporter.ChargeResent(slot, resent);
}

void Game::Link(int slot, const LinkState& link)
{
    reporter.Link(slot, link);
}

HostedGame::Glance Game::Look() const
{
    Glance glance;
    glance.round = simulation.Rounds();
    glance.map = simulation.MapName();
    glance.mode = simulation.Mode().Name();
    if (const GameMode* next = simulation.NextMode())
        glance.nextMode = next->Name();
    glance.people = People();
    glance.robots = Robots();
    glance.robotsWanted = crew.Wanted();
    glance.roundOver = simulation.IsRoundOver();
    glance.roundMsLeft = simulation.RoundMsLeft();
    glance.finished = finished;
    const GameMode& mode = simulation.Mode();
    if (mode.HasTeams()) {
        for (const Team team : {Team::Red, Team::Blue})
            glance.sides.push_back(
                {TeamName(team), mode.TeamScore(team), GameMode::Members(simulation.Players(), team)});
    }
    constexpr const char* kPlaces[] = {"home", "carried", "dropped"};
    for (const Flag& flag : mode.Flags()) {
        const Player* carrier = flag.carrier ? simulation.FindPlayer(flag.carrier) : nullptr;
        glance.flags.push_back({TeamName(flag.team), kPlaces[static_cast<std::size_t>(flag.place)],
                                carrier ? carrier->Name() : "", mode.ReturnsIn(flag.team)});
    }
    return glance;
}

std::vector<HostedGame::Seat> Game::Seats() const
{
    std::vector<Seat> seats;
    for (const auto& player : simulation.Players())
        seats.push_back({player->Slot(), player->Name(), player->ShipId(), player->GetShip().GetScore(),
                         TeamName(player->GetTeam())});
    return seats;
}

void Game::Cheer()
{
    const Player* winner = simulation.FindPlayer(simulation.WinnerShip());
    if (!winner || !crew.Flies(winner))
        return;
    const std::string line =
        ChatLine(winner->Name(), lastRound ? "Good game, pilots." : "Good game, pilots. One more round!");
    reporter.ToAll().SetText(line.c_str());
    log.Line("chat: %s", line.c_str());
}

Player* Game::Pilot(int slot) const
{
    for (const auto& player : simulation.Players()) {
        if (player->Slot() == slot)
            return player.get();
    }
    return nullptr;
}
