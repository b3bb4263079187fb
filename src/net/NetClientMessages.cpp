// What the player's program does with each message the server sends: the
// server decides, this side only writes what it reports into the world.
#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <utility>

#include "base/Console.h"
#include "net/MapDownload.h"
#include "net/MessageBatch.h"
#include "net/NetClient.h"
#include "net/NetMessage.h"
#include "platform/Clock.h"
#include "world/Map.h"
#include "world/NewEntity.h"
#include "world/Ship.h"
#include "world/Turret.h"
#include "world/World.h"

void NetClient::HandleBatch(MessageBatch& batch)
{
    // A server has no reason to change the map or ping twice in one payload;
    // a payload full of either would only spend this side's time.
    bool mapped = false;
    bool pinged = false;
    for (NetMessage* message = batch.Begin(); message; message = batch.Next()) {
        if (message->Kind() == kMsgMap && std::exchange(mapped, true))
            continue;
        if (message->Kind() == kMsgPing && std::exchange(pinged, true))
            continue;
        Apply(*message);
    }
}

void NetClient::Apply(const NetMessage& message)
{
    using Handler = void (NetClient::*)(const NetMessage&);
    // By kind; the kinds only a server reads (7, 14, 15, 19) and unknown
    // ones have none.
    static constexpr auto kHandlers = [] {
        std::array<Handler, kMsgKilledBy + 1> handlers {};
        handlers[kMsgText] = &NetClient::ApplyText;
        handlers[kMsgJoin] = &NetClient::ApplyJoin;
        handlers[kMsgMap] = &NetClient::ApplyMap;
        handlers[kMsgRoundOver] = &NetClient::ApplyRoundOver;
        handlers[kMsgPlayerSpawn] = &NetClient::ApplyPlayerSpawn;
        handlers[kMsgPlayerLeft] = &NetClient::ApplyPlayerLeft;
        handlers[kMsgShipKilled] = &NetClient::ApplyShipKilled;
        handlers[kMsgKilledBy] = &NetClient::ApplyKilledBy;
        handlers[kMsgEntityKilled] = &NetClient::ApplyEntityKilled;
        handlers[kMsgOwnShot] = &NetClient::ApplyOwnShot;
        handlers[kMsgShipState] = &NetClient::ApplyShipState;
        handlers[kMsgEntityState] = &NetClient::ApplyEntityState;
        handlers[kMsgTurretState] = &NetClient::ApplyTurretState;
        handlers[kMsgTileChange] = &NetClient::ApplyTileChange;
        handlers[kMsgPing] = &NetClient::ApplyPing;
        handlers[kMsgPong] = &NetClient::ApplyPong;
        handlers[kMsgRoundClock] = &NetClient::ApplyRoundClock;
        handlers[kMsgTeam] = &NetClient::ApplyTeam;
        handlers[kMsgTeamScores] = &NetClient::ApplyTeamScores;
        handlers[kMsgFlag] = &NetClient::ApplyFlag;
        handlers[kMsgFlagEvent] = &NetClient::ApplyFlagEvent;
        handlers[kMsgMapOffer] = &NetClient::ApplyMapOffer;
        handlers[kMsgMapPiece] = &NetClient::ApplyMapPiece;
        handlers[kMsgWatching] = &NetClient::ApplyWatching;
        handlers[kMsgWatchers] = &NetClient::ApplyWatchers;
        return handlers;
    }();
    const auto kind = static_cast<std::size_t>(message.Kind());
    if (kind < kHandlers.size() && kHandlers[kind])
        (this->*kHandlers[kind])(message);
}

void NetClient::ApplyText(const NetMessage& message)
{
    char text[kTextBufferSize] = {};
    message.GetText(text, sizeof text);
    Console::Instance()->Print("%s", text);
    if (IsChatLine(text))
        ++chatLines;
}

void NetClient::ApplyJoin(const NetMessage& message)
{
    int id = 0, type = 0;
    char name[128] = {};
    message.GetJoin(id, type, name, sizeof name);
    // A welcome follows, with the number of watchers when there are any.
    watcherCount = 0;
    if (!world)
        return;
    // A watcher given a seat flies a ship of its own again.
    if (std::exchange(watching, false)) {
        auto made = std::make_unique<Ship>();
        made->SetName(name);
        made->SetShipType(type);
        made->SetLocal(true);
        world->MoveShipToFront(world->AddShip(std::move(made)));
    }
    world->SetShipId(world->FirstShip(), id);
}

void NetClient::ApplyWatching(const NetMessage&)
{
    watching = true;
    watcherCount = 0;
    prediction.Reset();
    // The ship this side flew, or would have, is no ship of the game's.
    for (Ship* ship = world ? world->ShipsBegin() : nullptr; ship; ship = world->ShipsNext()) {
        if (ship->IsLocal()) {
            world->RemoveShip(ship);
            break;
        }
    }
}

void NetClient::ApplyWatchers(const NetMessage& message)
{
    message.GetId(watcherCount);
}

void NetClient::ApplyMap(const NetMessage& message)
{
    char text[kTextBufferSize] = {};
    message.GetMapName(text, sizeof text);
    mapHeard = text;
    ResetRound();
    if (offered && offered->name == mapHeard) {
        FetchMap();
        return;
    }
    // Whatever was coming was for another map.
    download.reset();
    LoadNamedMap(text);
}

void NetClient::LoadNamedMap(const char* name)
{
    if (world && world->LoadMap(name))
        Console::Instance()->Print("Loaded map \"%s\"", name);
    else
        SayNoMap(name);
}

void NetClient::SayNoMap(const char* name)
{
    Console::Instance()->Print("Unable to load map \"%s\", maybe you don't have that one?", name);
}

void NetClient::ApplyRoundOver(const NetMessage&)
{
    roundOver = true;
}

void NetClient::ApplyPlayerLeft(const NetMessage& message)
{
    int id = 0;
    message.GetId(id);
    if (Ship* ship = world ? world->FindShip(id) : nullptr)
        world->RemoveShip(ship);
}

void NetClient::ApplyShipKilled(const NetMessage& message)
{
    int id = 0;
    message.GetId(id);
    Ship* ship = world ? world->FindShip(id) : nullptr;
    if (!ship)
        return;
    ship->Kill();
    // A watcher's first ship is the one it follows, not its own. Others'
    // wrecks lie where the server last had them, not a delay behind.
    if (ship != world->FirstShip() || watching) {
        ship->SetPosition(ship->Target());
        return;
    }
    prediction.OnDeath();
    news.OwnShipKilled(platform::TickCount(), ship->RespawnDelay());
}

// The killer is named from the ship list, never from the console's
// notices: a player may take any name.
void NetClient::ApplyKilledBy(const NetMessage& message)
{
    int victim = 0, killer = 0;
    std::uint8_t cause = 0;
    message.GetKilledBy(victim, killer, cause);
    const Ship* own = world ? world->FirstShip() : nullptr;
    if (!own || own->GetId() != victim || watching)
        return;
    const Ship* by = killer ? world->FindShip(killer) : nullptr;
    news.KilledBy(cause, by && by->Name() ? by->Name() : "");
}

void NetClient::ApplyRoundClock(const NetMessage& message)
{
    int msLeft = -1, scoreLimit = 0;
    message.GetRoundClock(msLeft, scoreLimit);
    news.Clock(msLeft, scoreLimit, platform::TickCount());
}

void NetClient::ApplyTeam(const NetMessage& message)
{
    int id = 0;
    std::uint8_t number = 0;
    message.GetTeam(id, number);
    Ship* ship = world ? world->FindShip(id) : nullptr;
    // A number no game has says nothing; it does not take a ship's side away.
    if (ship && number <= kTeams)
        ship->SetTeam(TeamFromWire(number));
}

void NetClient::ApplyTeamScores(const NetMessage& message)
{
    message.GetTeamScores(teamScores[0], teamScores[1]);
}

void NetClient::ApplyFlag(const NetMessage& message)
{
    std::uint8_t number = 0, place = 0;
    int carrier = 0, x = 0, y = 0;
    message.GetFlag(number, place, carrier, x, y);
    // A flag of a team no game has, a place no flag is in, or a carrier
    // never spawned says nothing.
    const Team team = TeamFromWire(number);
    if (team == Team::None || place > static_cast<std::uint8_t>(FlagPlace::Dropped))
        return;
    const auto where = static_cast<FlagPlace>(place);
    if (where == FlagPlace::Carried && !(world && world->FindShip(carrier)))
        return;
    std::optional<Flag>& known = flags[TeamIndex(team)];
    Flag& flag = known ? *known : known.emplace();
    flag.team = team;
    flag.place = where;
    flag.carrier = where == FlagPlace::Carried ? carrier : 0;
    flag.at = Vector3(x, y, 0.0);
    if (where == FlagPlace::Home) {
        flag.home = flag.at;
        basesHeard[TeamIndex(team)] = true;
    }
}

// The console hears a flag's news from the notice the server sends beside
// it; this side keeps only where it happened, for its sound.
void NetClient::ApplyFlagEvent(const NetMessage& message)
{
    std::uint8_t number = 0, team = 0;
    int pilot = 0;
    message.GetFlagEvent(number, team, pilot);
    const Flag* flag = FlagOf(TeamFromWire(team));
    if (!flag || number < static_cast<std::uint8_t>(FlagEvent::Taken) ||
        number > static_cast<std::uint8_t>(FlagEvent::Captured))
        return;
    const auto event = static_cast<FlagEvent>(number);
    flagNews[flagNewsHeard++ % kFlagNewsKept] = {event, flag->team, NewsPlace(event, *flag, pilot)};
}

Vector3 NetClient::NewsPlace(FlagEvent event, const Flag& flag, int pilot) const
{
    // A carrier that dies drops the flag where it lies already.
    if (event == FlagEvent::Dropped)
        return flag.at;
    if (const Ship* ship = world && pilot ? world->FindShip(pilot) : nullptr)
        return ship->Position();
    // A capture is at the capturers' base, where their own flag stands.
    const Flag* own = FlagOf(OtherTeam(flag.team));
    return event == FlagEvent::Captured && own ? own->home : flag.at;
}

void NetClient::ApplyEntityKilled(const NetMessage& message)
{
    int id = 0;
    message.GetId(id);
    if (GameObject* entity = world ? world->FindEntity(id) : nullptr)
        entity->Kill();
    prediction.Shots().Forget(id);
}

void NetClient::ApplyOwnShot(const NetMessage& message)
{
    message.GetId(ownShotNext);
}

void NetClient::ApplyPing(const NetMessage& message)
{
    std::uint32_t tick = 0;
    message.GetTick(tick);
    NetMessage pong;
    pong.SetPong(tick);
    Send(pong);
}

void NetClient::ApplyPong(const NetMessage& message)
{
    if (playingBack)
        return; // a recorded pong echoes a tick of another run
    std::uint32_t tick = 0;
    message.GetTick(tick);
    pingMs = static_cast<int>((platform::TickCount() - tick) >> 1);
    recentPings[pingsHeard++ % recentPings.size()] = std::clamp(pingMs, 0, kLongestPingMs);
}

void NetClient::ApplyPlayerSpawn(const NetMessage& message)
{
    if (!world)
        return;
    int id = 0, x = 0, y = 0, type = 0;
    char name[kTextBufferSize] = {};
    message.GetPlayerSpawn(id, x, y, type, name, sizeof name);
    Ship* ship = world->FindShip(id);
    if (!ship) {
        if (!Affords(kShips, world->ShipCount()))
            return;
        auto made = std::make_unique<Ship>();
        made->SetShipType(type);
        made->SetName(name);
        made->SetId(id);
        ship = world->AddShip(std::move(made));
    }
    ship->ForceRespawn(static_cast<float>(x), static_cast<float>(y));
    // A watcher's first ship is the one it follows, not its own.
    if (ship == world->FirstShip() && !watching) {
        prediction.OnSpawn(platform::TickCount());
        news.OwnShipSpawned();
    }
    world->Interpolation().Forget(id);
    // Flying ahead, the player sees the others glide on through a spawn;
    // only the ship that spawned is put in its place.
    if (prediction.Enabled())
        world->RequestSnap(id);
    else
        world->RequestSnap();
}

bool NetClient::IsChatLine(const char* text) const
{
    // A watcher's line, marked after its name: watchers have no ship.
    if (const char* mark = std::strstr(text, " (watching): "); mark && mark != text)
        return true;
    if (!world)
        return false;
    for (const Ship* ship : world->Ships()) {
        const char* name = ship->Name();
        const std::size_t length = name ? std::strlen(name) : 0;
        if (length && std::strncmp(text, name, length) == 0 && text[length] == ':')
            return true;
    }
    return false;
}

bool NetClient::Affords(Held kind, std::size_t held)
{
    const std::size_t most = kind == kShips ? kMostShips : kind == kEntities ? kMostEntities : kMostTurrets;
    if (held < most)
        return true;
    if (!(refusedKinds & kind)) {
        refusedKinds |= kind;
        const char* what = kind == kShips ? "ships" : kind == kEntities ? "objects" : "turrets";
        Console::Instance()->Print("The server sent more %s than this game holds (%zu); the rest are ignored.", what,
                                   most);
    }
    return false;
}

void NetClient::ApplyShipState(const NetMessage& message)
{
    int id = 0;
    std::uint8_t flags = 0;
    AmmunitionCounts<std::uint8_t> rounds {};
    float fuel = 0.0f, maxFuel = 0.0f, heading = 0.0f;
    signed char score = 0;
    Vector3 position, velocity;
    message.GetShipState(id, flags, fuel, maxFuel, score, rounds, position, velocity, heading);
    Ship* ship = world ? world->FindShip(id) : nullptr;
    if (!ship)
        return;
    ship->SetTarget(position);
    ship->SetVelocity(velocity);
    // The own ship's heading is the prediction's to set, after the rest.
    const bool own = ship == world->FirstShip() && !watching;
    if (!own)
        ship->SetHeading(heading);
    ship->SetScore(score);
    for (std::size_t i = 0; i < kAmmunitionKinds; ++i)
        ship->SetRounds(AmmunitionAt(i), static_cast<signed char>(rounds[i]));
    ship->SetMaxFuel(maxFuel);
    ship->SetFuel(fuel);
    ship->SetFlags(flags);
    if (own)
        prediction.OnReport(*ship, position, velocity, heading, platform::TickCount(),
                            SteadyRoundTrip(), world->GetMap());
    else
        world->Interpolation().Report(id, position, velocity, heading, world->Now());
}

void NetClient::ApplyEntityState(const NetMessage& message)
{
    if (!world)
        return;
    int id = 0, entityKind = 0, extra = 0;
    float heading = 0.0f;
    Vector3 position, velocity;
    message.GetEntityState(id, entityKind, position, velocity, heading, extra);
    GameObject* entity = world->FindEntity(id);
    OwnShots& shots = prediction.Shots();
    // The mark names the state that follows it, and that one only.
    const bool marked = id == ownShotNext;
    ownShotNext = 0;
    // An own shot spent on a wall here stays spent, swept or not, until the
    // server's word.
    if ((!entity || !entity->IsAlive()) && shots.IsSpent(id, platform::TickCount()))
        return;
    const bool created = entity == nullptr;
    if (created) {
        if (!Affords(kEntities, world->EntityCount()))
            return;
        std::unique_ptr<GameObject> made = NewEntity(entityKind, extra);
        if (!made)
            return;
        entity = world->AddEntity(std::move(made), id);
    }
    // An id the server gives again may find its last holder not yet swept.
    const bool fresh = created || !entity->IsAlive();
    if (!entity->IsAlive())
        entity->ForceRespawn(static_cast<float>(position.x), static_cast<float>(position.y));
    if (created)
        entity->SetPosition(position);
    entity->SetTarget(position);
    entity->SetVelocity(velocity);
    entity->SetHeading(heading);
    if (fresh) {
        shots.Forget(id);
        if (prediction.Enabled() && marked)
            shots.Claim(*entity, platform::TickCount());
    } else if (prediction.Enabled() && shots.IsOurs(id)) {
        entity->SetTarget(position + velocity * (SteadyRoundTrip() / 1000.0));
    }
}

void NetClient::ApplyTurretState(const NetMessage& message)
{
    if (!world)
        return;
    int id = 0, direction = 0;
    std::uint8_t alive = 0;
    Vector3 position;
    message.GetTurretState(id, direction, alive, position);
    Turret* turret = world->FindTurret(id);
    if (!turret) {
        if (!Affords(kTurrets, world->TurretCount()))
            return;
        auto made = std::make_unique<Turret>();
        made->SetId(id);
        made->SetDirection(direction);
        made->SetPosition(position);
        turret = world->AddTurret(std::move(made));
    }
    if (alive == 0)
        turret->Kill();
    else
        turret->ForceRespawn(0.0f, 0.0f);
}

void NetClient::ApplyTileChange(const NetMessage& message)
{
    int column = 0, row = 0;
    std::uint8_t value = 0;
    message.GetTileChange(column, row, value);
    // A joining player hears the round's fuel blocks while its map downloads.
    // Only cells its map could have, so that a server cannot swell it.
    if (download) {
        const bool known = heldTiles.contains({column, row});
        if (download->MayHaveCell(column, row) && (known || heldTiles.size() < download->MostCells()))
            heldTiles[{column, row}] = value;
        return;
    }
    Map* map = world ? world->GetMap() : nullptr;
    if (!map || !map->HasCells())
        return;
    map->SetCellExtra(column, row, value);
}
