#include "server/game/Simulation.h"

#include <algorithm>
#include <utility>

#include "world/Map.h"
#include "world/NetServer.h"
#include "world/Powerup.h"
#include "world/Ship.h"
#include "world/Shrapnel.h"
#include "world/Torus.h"
#include "world/Trig.h"
#include "world/Turret.h"

namespace {

unsigned FirstDraw(unsigned seed)
{
    return seed ? seed : std::random_device()();
}

} // namespace

Simulation::Simulation(SimulationListener& listener, MapRotation& rotation, const SimulationSettings& settings)
    : listener(listener), rotation(rotation), settings(settings), mode(GameMode::MakeOrDeathmatch(settings.mode)),
      random(FirstDraw(settings.seed)), powerups(random)
{
    NetServer::Instance()->SetWorld(&world);
}

Simulation::~Simulation()
{
    if (NetServer::Instance()->GetWorld() == &world)
        NetServer::Instance()->SetWorld(nullptr);
}

bool Simulation::Start(std::string& reason)
{
    auto first = rotation.First(reason);
    if (!first)
        return false;
    StartRound(std::move(*first));
    return true;
}

bool Simulation::Restart(std::string& reason)
{
    random.seed(FirstDraw(settings.seed));
    nextShipId = 1;
    nextEntityId = 1;
    winnerShip = 0;
    rounds = 0;
    reservedSlots.reset();
    mode = GameMode::MakeOrDeathmatch(settings.mode);
    nextMode.reset();
    world.RewindClock();
    return Start(reason);
}

bool Simulation::ChangeMap(const std::string& name, std::string& reason)
{
    auto loaded = rotation.Load(name, reason);
    if (!loaded)
        return false;
    rotation.MoveTo(loaded->name);
    StartRound(std::move(*loaded));
    return true;
}

void Simulation::StartRound(MapRotation::Loaded loaded)
{
    // The round's entities and turrets go with the old map; the ships stay,
    // dead, with their scores back at 0.
    world.ResetRound();
    deadInWorld = 0;
    records.clear();
    deaths.clear();
    turrets.clear();
    gunners.clear();
    mapName = loaded.name;
    ++rounds;
    if (nextMode)
        mode = std::move(nextMode);
    mode->RoundStarted();
    world.SetMap(std::move(loaded.map));
    currentMap = world.GetMap();
    Map& map = *currentMap;
    if (shape.Learn(map, mapName))
        spawnSites.Find(map, shape);
    depots.Reset(map);
    walls.Learn(map);
    phase = Phase::Playing;
    roundElapsed = 0;
    tileReportIn = kTileReportMs;
    powerups.Restart();

    mode->Plan(ModeField());
    listener.OnRoundStarted(mapName, map, RoundMsLeft(), ScoreLimit(), mode->Title());
    DealTeams();
    mode->Placed(ModeField());
    PlaceTurrets();
    for (const auto& player : players)
        Spawn(*player);
}

void Simulation::PlaceTurrets()
{
    const Map& map = *currentMap;
    for (const Map::Site& site : map.TurretSites()) {
        const int facing = map.CellExtraAt(site.column, site.row);
        auto turret = std::make_unique<Turret>();
        turret->SetId(static_cast<int>(turrets.size()) + 1);
        turret->SetDirection(facing <= kTurretLeft ? facing : kTurretUp);
        turret->SetPosition(Vector3(site.column * map.TileWidth() + map.TileWidth() / 2.0,
                                    site.row * map.TileHeight() + map.TileHeight() / 2.0, 0.0));
        turret->ForceRespawn(0.0f, 0.0f);
        gunners.emplace_back(turret->GetDirection());
        turrets.push_back(world.AddTurret(std::move(turret)));
        listener.OnTurretChanged(*turrets.back());
    }
}

Player* Simulation::AddPlayer(const std::string& name, int shipType)
{
    const int slot = FreeSlot();
    if (slot < 0)
        return nullptr;

    auto made = std::make_unique<Ship>();
    made->SetShipType(shipType >= 0 && shipType < Ship::kDesigns ? shipType : 0);
    made->SetName(name.c_str());
    made->SetId(nextShipId++);
    Ship* ship = world.AddShip(std::move(made));
    const Team side = mode->SideFor(players);
    players.push_back(std::make_unique<Player>(slot, ship));
    Player& player = *players.back();
    player.SetTeam(side);
    Spawn(player);
    if (side != Team::None)
        listener.OnTeamChanged(player);
    return &player;
}

void Simulation::SwitchTeam(Player& player)
{
    if (!mode->HasTeams())
        return;
    player.SetTeam(OtherTeam(player.GetTeam()));
    listener.OnTeamChanged(player);
    Ship& ship = player.GetShip();
    if (phase == Phase::Playing && ship.IsAlive()) {
        ship.Kill();
        listener.OnShipKilled(player, nullptr, DeathCause::Switched);
    }
}

void Simulation::DealTeams()
{
    if (!mode->HasTeams()) {
        for (const auto& player : players) {
            if (player->GetTeam() != Team::None) {
                player->SetTeam(Team::None);
                listener.OnTeamChanged(*player);
            }
        }
        return;
    }
    if (std::ranges::any_of(players, [](const auto& p) { return p->GetTeam() == Team::None; })) {
        for (const auto& player : players)
            player->SetTeam(Team::None);
        for (const auto& player : players)
            player->SetTeam(mode->SideFor(players));
    }
    // Every side told again, kept or dealt: a recording begun with this
    // round knows them all.
    for (const auto& player : players)
        listener.OnTeamChanged(*player);
    for (const auto& player : players)
        listener.OnSideDealt(*player);
    TellTeamScores();
}

void Simulation::TellTeamScores()
{
    listener.OnTeamScores(mode->TeamScore(Team::Red), mode->TeamScore(Team::Blue));
}

int Simulation::FreeSlot() const
{
    std::bitset<Player::kMaxSlots> taken = reservedSlots;
    for (const auto& player : players)
        taken.set(static_cast<std::size_t>(player->Slot()));
    for (std::size_t slot = 0; slot < taken.size(); ++slot) {
        if (!taken.test(slot))
            return static_cast<int>(slot);
    }
    return -1;
}

int Simulation::ReserveSlot()
{
    const int slot = FreeSlot();
    if (slot >= 0)
        reservedSlots.set(static_cast<std::size_t>(slot));
    return slot;
}

bool Simulation::ReleaseSlot(int slot)
{
    if (slot < 0 || slot >= Player::kMaxSlots || !reservedSlots.test(static_cast<std::size_t>(slot)))
        return false;
    reservedSlots.reset(static_cast<std::size_t>(slot));
    return true;
}

bool Simulation::SetNextMode(std::string_view name)
{
    std::unique_ptr<GameMode> chosen = GameMode::Make(name);
    if (!chosen)
        return false;
    nextMode = std::move(chosen);
    return true;
}

void Simulation::RemovePlayer(Player* player)
{
    const auto held =
        std::find_if(players.begin(), players.end(), [player](const auto& p) { return p.get() == player; });
    if (held == players.end())
        return;
    Ship* ship = &player->GetShip();
    for (const Record& record : records) {
        if (Homing* homing = record.entity->AsHoming(); homing && homing->HomingTarget() == ship)
            homing->SetHomingTarget(nullptr);
    }
    std::erase_if(deaths, [player](const Death& d) { return d.victim == player || d.killer == player; });
    players.erase(held);
    world.RemoveShip(ship);
}

Player* Simulation::FindPlayer(int shipId) const
{
    for (const auto& player : players) {
        if (player->ShipId() == shipId)
            return player.get();
    }
    return nullptr;
}

const SpawnSites::Site& Simulation::SafestSpawnSite(const Player& arriving) const
{
    const Map& map = *currentMap;
    const SpawnSites::Site* best = nullptr;
    double bestDistance = -1.0;
    bool bestAllowed = false;
    for (const SpawnSites::Site& site : spawnSites.All()) {
        double nearest = 1e300;
        for (const auto& player : players) {
            const Ship& other = player->GetShip();
            if (player.get() == &arriving || !other.IsAlive())
                continue;
            const double dx = FoldDifference(other.Position().x - site.at.x, map.WorldWidth());
            const double dy = FoldDifference(other.Position().y - site.at.y, map.WorldHeight());
            nearest = std::min(nearest, dx * dx + dy * dy);
        }
        // A turret that can shoot there is as near a danger as a ship.
        for (std::size_t i = 0; i < turrets.size(); ++i) {
            const double reach = gunners[i].SquaredReachTo(*turrets[i], site.at, static_cast<float>(map.WorldWidth()),
                                                           static_cast<float>(map.WorldHeight()));
            if (reach >= 0.0)
                nearest = std::min(nearest, reach);
        }
        // A point without room to fly off at full thrust is taken only when
        // the roomy ones are far nearer danger. One the mode keeps the side
        // from is taken only when every other is so kept.
        if (!site.roomy)
            nearest *= 0.01;
        const bool allowed = mode->SpawnsAt(site.at, arriving.GetTeam(), shape);
        if (!best || std::pair(allowed, nearest) > std::pair(bestAllowed, bestDistance)) {
            bestAllowed = allowed;
            bestDistance = nearest;
            best = &site;
        }
    }
    return *best;
}

void Simulation::Spawn(Player& player)
{
    Ship& ship = player.GetShip();
    const SpawnSites::Site& site = SafestSpawnSite(player);
    ship.ForceRespawn(static_cast<float>(site.at.x), static_cast<float>(site.at.y));
    ship.SetPosition(site.at);
    ship.SetHeading(site.heading);
    player.SetLastPosition(site.at);
    player.Controls() = ShipControls(ShipControls::kSpawnShieldMs);
    listener.OnShipSpawned(player);
}

void Simulation::Step(int ms)
{
    // The clock runs on every tick, a game without a map to play included.
    world.Advance(ms);
    Map* map = currentMap;
    if (ms <= 0 || !map)
        return;
    tickMs = ms;
    if (phase == Phase::Results) {
        resultsLeft -= ms;
        if (resultsLeft <= 0)
            NextRound();
        return;
    }
    roundElapsed += ms;

    visibleShips.clear();
    for (const auto& player : players) {
        const Ship& ship = player->GetShip();
        if (ship.IsAlive() && !ship.HasFlags(kFlagCloaked))
            visibleShips.push_back(&ship);
    }
    for (const auto& player : players)
        Fly(*player, ms);
    RunEntities(ms);
    RunTurrets(ms);
    Move(ms);
    Contacts();
    Settle();
    mode->Step(ModeField(), ms);

    depots.Regrow(*map, ms);
    tileReportIn -= ms;
    if (tileReportIn <= 0) {
        tileReportIn = kTileReportMs;
        for (const FuelDepots::Change& change : depots.TakeChanges())
            listener.OnTileChanged(change.column, change.row, change.value);
    }
    if (settings.dropPowerups) {
        const auto floating = static_cast<std::size_t>(std::count_if(
            records.begin(), records.end(), [](const Record& r) { return r.entity->GetType() == kTypePowerup; }));
        std::vector<Vector3> ships;
        for (const auto& player : players) {
            if (player->GetShip().IsAlive())
                ships.push_back(player->GetShip().Position());
        }
        if (const auto drop = powerups.Tick(ms, *map, floating, ships))
            PlacePowerup(drop->kind, drop->at);
    }
    CheckRoundEnd();
}

GameObject* Simulation::PlacePowerup(int kind, const Vector3& at)
{
    auto powerup = std::make_unique<Powerup>();
    powerup->SetKind(kind);
    return Launch(std::move(powerup), at, Vector3(), 0.0f, 0, 0, 0);
}

void Simulation::Killed(Player& victim, const Record* by)
{
    if (!by) {
        deaths.push_back({&victim, nullptr, DeathCause::Crashed});
        return;
    }
    if (by->ownerTurret)
        deaths.push_back({&victim, nullptr, DeathCause::Turret});
    else if (by->ownerShip == victim.ShipId())
        deaths.push_back({&victim, nullptr, DeathCause::OwnWeapon});
    else
        deaths.push_back({&victim, FindPlayer(by->ownerShip), DeathCause::Weapon});
}

void Simulation::Settle()
{
    const auto scores = [&] { return std::pair(mode->TeamScore(Team::Red), mode->TeamScore(Team::Blue)); };
    const auto before = scores();
    for (const Death& death : deaths) {
        mode->Score(*death.victim, death.killer, death.cause);
        listener.OnShipKilled(*death.victim, death.killer, death.cause);
    }
    if (mode->HasTeams() && scores() != before)
        TellTeamScores();
    deaths.clear();

    std::vector<Record> bursts;
    std::size_t died = 0;
    for (const Record& record : records) {
        if (record.entity->IsAlive())
            continue;
        ++died;
        listener.OnEntityKilled(*record.entity);
        if (record.entity->GetType() == kTypePlasmaMine)
            bursts.push_back(record);
    }
    if (died == 0)
        return;
    // Keep what the bursts need before the world lets the mines go.
    std::vector<std::pair<Vector3, Vector3>> burstMotion;
    for (const Record& burst : bursts)
        burstMotion.emplace_back(burst.entity->Position(), burst.entity->Velocity());
    std::erase_if(records, [](const Record& r) { return !r.entity->IsAlive(); });
    // The world deletes its dead in one sweep over everything: a few
    // hundred at a time, not each tick.
    deadInWorld += died;
    if (deadInWorld >= kSweepBatch) {
        world.Sweep();
        deadInWorld = 0;
    }

    for (std::size_t b = 0; b < bursts.size(); ++b) {
        for (int piece = 0; piece < kShrapnelPieces; ++piece) {
            const float heading = 360.0f * static_cast<float>(piece) / kShrapnelPieces;
            const Vector3 out = HeadingDirection(heading);
            auto shrapnel = std::make_unique<Shrapnel>();
            shrapnel->SetVariant(piece % 2);
            Launch(std::move(shrapnel), burstMotion[b].first + out * 10.0,
                   burstMotion[b].second + out * kShrapnelSpeed, heading, bursts[b].ownerShip, 0, 0);
        }
    }
}

void Simulation::CheckRoundEnd()
{
    if ((settings.roundMs > 0 && roundElapsed >= settings.roundMs) || mode->ScoreReached(players, ScoreLimit()))
        EndRound();
}

void Simulation::EndRound()
{
    phase = Phase::Results;
    resultsLeft = settings.resultsMs;
    const Player* winner = mode->Winner(players);
    winnerShip = winner ? winner->ShipId() : 0;
    if (mode->HasTeams())
        listener.OnTeamsFinished(mode->WinningTeam(), mode->TeamScore(Team::Red), mode->TeamScore(Team::Blue));
    listener.OnRoundOver(winner);
}

void Simulation::NextRound()
{
    // Nothing can be played: the standings stay, and the rotation is tried
    // again after another while.
    if (!NextMap())
        resultsLeft = settings.resultsMs;
}

bool Simulation::NextMap()
{
    std::vector<MapRotation::Skipped> skipped;
    auto next = rotation.Next(skipped);
    for (const auto& skip : skipped)
        listener.OnMapSkipped(skip.name, skip.reason);
    if (!next)
        return false;
    StartRound(std::move(*next));
    return true;
}
