// A stand-in game server for tests and for looking at the player's program
// by hand: it hosts a session, answers searches with a given name and
// counts, takes joins, and plays a script: the map, spawns, two robot
// ships circling, bullets, a mine, a plasma mine, a missile, shrapnel,
// powerups, turrets that die and come back, a tile change, chat, pings,
// a round that ends with scores and the next map. The joined player's
// ship follows its held keys with simple motion. Chat lines received are
// echoed to everyone and written to standard output.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <deque>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "net/ApplicationGuid.h"
#include "net/MessageBatch.h"
#include "net/NetMessage.h"
#include "platform/Clock.h"
#include "platform/SessionServer.h"
#include "world/Map.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

struct Options {
    std::string name = "Scripted Host";
    std::uint16_t port = 3001;
    std::uint32_t maxPlayers = 8;
    bool announce = false;
    std::uint32_t announcedCurrent = 0;
    std::uint32_t announcedMax = 0;
    std::vector<std::string> maps = {"Arena", "Warren"};
    int roundSeconds = 40;
    std::string data = ".";
    bool quiet = false; // no script: answers searches, joins and pings only
};

struct Body {
    int id = 0;
    int type = 0;
    std::string name;
    double x = 0, y = 0, vx = 0, vy = 0;
    float heading = 0;
    signed char score = 0;
    bool alive = true;
};

struct Player {
    Body ship;
    bool joined = false;
    std::vector<int> held;
};

class Host : public platform::SessionServerListener {
public:
    explicit Host(const Options& options) : options(options), server(this) {}

    bool Start()
    {
        std::string error;
        if (!server.Host(ApplicationGuid(), options.name, options.maxPlayers, options.port, error)) {
            std::fprintf(stderr, "scripted host: %s\n", error.c_str());
            return false;
        }
        if (options.announce)
            server.SetAnnouncedCounts(options.announcedCurrent, options.announcedMax);
        LoadMap(0);
        std::printf("hosting \"%s\" on port %u\n", options.name.c_str(), options.port);
        std::fflush(stdout);
        return true;
    }

    void Run()
    {
        std::uint32_t last = platform::TickCount();
        while (!stopRequested) {
            server.DoWork(10);
            const std::uint32_t now = platform::TickCount();
            if (now - last >= 50) {
                if (!options.quiet)
                    Step(static_cast<double>(now - last) / 1000.0, now);
                last = now;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        server.End();
    }

    void OnPlayerJoined(platform::PlayerId player) override
    {
        players[player].ship.id = 100 + static_cast<int>(player);
        std::printf("player %u connected\n", player);
        std::fflush(stdout);
    }

    void OnPlayerLeft(platform::PlayerId player) override
    {
        const int id = players[player].ship.id;
        players.erase(player);
        NetMessage left;
        left.SetPlayerLeft(id);
        Broadcast({&left}, true);
    }

    void OnReceive(platform::PlayerId player, const std::uint8_t* data, std::size_t size) override
    {
        NetMessage message;
        message.Parse(data, size);
        Player& who = players[player];
        switch (message.Kind()) {
        case kMsgJoin: Join(player, message); break;
        case kMsgText: {
            char text[1024] = {};
            message.GetText(text, sizeof text);
            std::printf("chat: %s\n", text);
            std::fflush(stdout);
            NetMessage echo;
            echo.SetText((who.ship.name + ": " + text).c_str());
            Broadcast({&echo}, true);
            break;
        }
        case kMsgControl:
            who.held.assign(message.Codes(), message.Codes() + message.CodeCount());
            break;
        case kMsgPing: {
            std::uint32_t tick = 0;
            message.GetTick(tick);
            NetMessage pong;
            pong.SetPong(tick);
            Send(player, {&pong}, false);
            break;
        }
        case kMsgMap: {
            char name[1024] = {};
            message.GetMapName(name, sizeof name);
            std::printf("map requested: %s\n", name);
            std::fflush(stdout);
            break;
        }
        case kMsgHaltServer:
            std::printf("halt requested\n");
            std::fflush(stdout);
            break;
        default: break;
        }
    }

private:
    void Send(platform::PlayerId player, const std::vector<const NetMessage*>& batch, bool reliable)
    {
        const auto bytes = MessageBatch::Frame(batch);
        server.SendTo(player, bytes.data(), bytes.size(), reliable);
    }

    void Broadcast(const std::vector<const NetMessage*>& batch, bool reliable)
    {
        for (const auto& [id, player] : players) {
            if (player.joined)
                Send(id, batch, reliable);
        }
    }

    void LoadMap(std::size_t index)
    {
        mapIndex = index % options.maps.size();
        map.Load((options.data + "/Maps/" + options.maps[mapIndex] + ".smp").c_str());
        width = map.WorldWidth() > 0 ? map.WorldWidth() : 1024;
        height = map.WorldHeight() > 0 ? map.WorldHeight() : 1024;
    }

    std::pair<int, int> SpawnPoint(int n) const
    {
        const auto& spawns = map.SpawnPoints();
        if (spawns.empty())
            return {width / 2 + 64 * n, height / 2};
        const Map::Site& site = spawns[static_cast<std::size_t>(n) % spawns.size()];
        return {site.column * 32 + 16, site.row * 32 + 16};
    }

    // The state of a new round for one player: map, every ship, every turret.
    void StartRoundFor(platform::PlayerId player)
    {
        NetMessage mapMessage;
        mapMessage.SetMapName(options.maps[mapIndex].c_str());
        std::deque<NetMessage> spawns(2 + players.size());
        std::vector<const NetMessage*> batch = {&mapMessage};
        std::size_t n = 0;
        for (Body* body : AllShips()) {
            const auto [sx, sy] = SpawnPoint(static_cast<int>(n));
            body->x = sx;
            body->y = sy;
            body->alive = true;
            spawns[n].SetPlayerSpawn(body->id, sx, sy, body->type, body->name.c_str());
            batch.push_back(&spawns[n++]);
        }
        NetMessage welcome;
        welcome.SetText(("Welcome to " + options.name + ", playing " + options.maps[mapIndex]).c_str());
        batch.push_back(&welcome);
        Send(player, batch, true);
    }

    std::vector<Body*> AllShips()
    {
        std::vector<Body*> all = {&robots[0], &robots[1]};
        for (auto& [id, player] : players) {
            if (player.joined)
                all.push_back(&player.ship);
        }
        return all;
    }

    void Join(platform::PlayerId player, const NetMessage& message)
    {
        Player& who = players[player];
        int ignored = 0;
        char name[128] = {};
        message.GetJoin(ignored, who.ship.type, name, sizeof name);
        who.ship.name = name[0] ? name : "Player";
        who.joined = true;
        NetMessage reply;
        reply.SetJoin(who.ship.id, who.ship.type, who.ship.name.c_str());
        Send(player, {&reply}, true);
        for (auto& [id, other] : players) {
            if (other.joined)
                StartRoundFor(id);
        }
        std::printf("joined: %s as ship %d\n", who.ship.name.c_str(), who.ship.id);
        std::fflush(stdout);
    }

    static void MoveBody(Body& body, double dt, int width, int height)
    {
        body.x = std::fmod(body.x + body.vx * dt + width, width);
        body.y = std::fmod(body.y + body.vy * dt + height, height);
    }

    void Fly(Player& player, double dt)
    {
        Body& ship = player.ship;
        for (int code : player.held) {
            if (code == 7)
                ship.heading -= static_cast<float>(360.0 * dt);
            if (code == 8)
                ship.heading += static_cast<float>(360.0 * dt);
            if (code == 9) {
                const double h = ship.heading * 3.14159265358979 / 180.0;
                ship.vx += -std::sin(h) * 700.0 * dt;
                ship.vy += std::cos(h) * 700.0 * dt;
            }
        }
        ship.heading = std::fmod(ship.heading + 360.0f, 360.0f);
        const double speed = std::hypot(ship.vx, ship.vy);
        if (speed > 768.0) {
            ship.vx *= 768.0 / speed;
            ship.vy *= 768.0 / speed;
        }
        MoveBody(ship, dt, width, height);
    }

    void Step(double dt, std::uint32_t now)
    {
        if (std::none_of(players.begin(), players.end(), [](const auto& p) { return p.second.joined; }))
            return;
        clock += dt;
        std::deque<NetMessage> messages;
        auto add = [&messages]() -> NetMessage& { return messages.emplace_back(); };

        if (roundOver) {
            if (clock - roundEnded > 5.0) {
                roundOver = false;
                clock = 0.0;
                LoadMap(mapIndex + 1);
                for (auto& [id, player] : players) {
                    player.ship.score = 0;
                    if (player.joined)
                        StartRoundFor(id);
                }
            }
            return;
        }

        // Two robots on circles, one scoring now and then.
        for (int r = 0; r < 2; ++r) {
            Body& robot = robots[r];
            const double angle = clock * (r ? -0.7 : 0.9) + r * 3.0;
            const double radius = 160.0 + 60.0 * r;
            const auto [cx, cy] = SpawnPoint(0);
            robot.x = std::fmod(cx + radius * std::cos(angle) + width, width);
            robot.y = std::fmod(cy + radius * std::sin(angle) + height, height);
            robot.vx = -radius * std::sin(angle) * (r ? -0.7 : 0.9);
            robot.vy = radius * std::cos(angle) * (r ? -0.7 : 0.9);
            robot.heading = static_cast<float>(std::fmod(std::atan2(-robot.vx, robot.vy) * 180.0 / 3.14159265 + 360.0, 360.0));
        }
        if (static_cast<int>(clock) != static_cast<int>(clock - dt) && static_cast<int>(clock) % 7 == 0)
            robots[0].score = static_cast<signed char>(robots[0].score + 1);
        for (auto& [id, player] : players) {
            if (player.joined)
                Fly(player, dt);
        }
        for (Body* ship : AllShips()) {
            const std::uint8_t flags = ship == &robots[1] && static_cast<int>(clock) % 10 < 4 ? 0x10 : 0;
            add().SetShipState(ship->id, flags, 80.0f, 100.0f, ship->score, 2, 1, 0, 1, Vector3(ship->x, ship->y, 0),
                               Vector3(ship->vx, ship->vy, 0), ship->heading);
        }

        // A bullet from the first robot every half second, living two seconds.
        if (static_cast<int>(clock * 2) != static_cast<int>((clock - dt) * 2)) {
            const double h = robots[0].heading * 3.14159265 / 180.0;
            bullets.push_back({nextEntity++, robots[0].x, robots[0].y, -std::sin(h) * 500.0, std::cos(h) * 500.0, clock});
        }
        for (auto bullet = bullets.begin(); bullet != bullets.end();) {
            bullet->x = std::fmod(bullet->x + bullet->vx * dt + width, width);
            bullet->y = std::fmod(bullet->y + bullet->vy * dt + height, height);
            if (clock - bullet->born > 2.0) {
                add().SetEntityKilled(bullet->id);
                bullet = bullets.erase(bullet);
                continue;
            }
            add().SetEntityState(bullet->id, 2, Vector3(bullet->x, bullet->y, 0), Vector3(bullet->vx, bullet->vy, 0), 0, 0);
            ++bullet;
        }

        // Fixed things near the first spawn point: mines, a missile on a
        // circle, shrapnel drifting, one powerup of every kind.
        const auto [sx, sy] = SpawnPoint(0);
        add().SetEntityState(1, 4, Vector3(sx + 96, sy + 64, 0), Vector3(0, 0, 0), 0, 0);
        add().SetEntityState(2, 5, Vector3(sx - 96, sy + 64, 0), Vector3(0, 0, 0), 0, 0);
        const double m = clock * 1.3;
        add().SetEntityState(3, 3, Vector3(sx + 120 * std::cos(m), sy - 120 + 60 * std::sin(m), 0),
                             Vector3(-156 * std::sin(m), 78 * std::cos(m), 0),
                             static_cast<float>(std::fmod(std::atan2(156 * std::sin(m), 78 * std::cos(m)) * 180.0 / 3.14159265 + 360.0, 360.0)), 0);
        add().SetEntityState(4, 8, Vector3(std::fmod(sx + 30 * clock, width), sy - 40, 0), Vector3(30, 0, 0),
                             static_cast<float>(std::fmod(clock * 90.0, 360.0)), static_cast<int>(clock) % 2);
        for (int kind = 0; kind < 8; ++kind)
            add().SetEntityState(10 + kind, 6, Vector3(sx - 140 + 40 * kind, sy + 130, 0), Vector3(0, 0, 0), 0, kind);

        // Turrets at the map's sites: each dies for a while every ten seconds.
        int turret = 0;
        for (const Map::Site& site : map.TurretSites()) {
            const bool alive = (static_cast<int>(clock) + turret) % 10 < 7;
            add().SetTurretState(500 + turret, map.CellExtraAt(site.column, site.row), alive,
                                 Vector3(site.column * 32 + 16, site.row * 32 + 16, 0));
            ++turret;
        }
        if (static_cast<int>(clock) == 5 && static_cast<int>(clock - dt) == 4)
            add().SetTileChange(-1, 0, 1);
        if (static_cast<int>(clock) != static_cast<int>(clock - dt)) {
            if (static_cast<int>(clock) % 12 == 3)
                add().SetText("Robot One: nice flying!");
            add().SetPing(now);
        }

        std::vector<const NetMessage*> batch;
        for (const NetMessage& message : messages)
            batch.push_back(&message);
        Broadcast(batch, false);

        if (clock > options.roundSeconds) {
            NetMessage over;
            over.SetRoundOver();
            Broadcast({&over}, true);
            roundOver = true;
            roundEnded = clock;
        }
    }

    struct Shot {
        int id;
        double x, y, vx, vy, born;
    };

    Options options;
    platform::SessionServer server;
    std::map<platform::PlayerId, Player> players;
    Body robots[2] = {{1, 2, "Robot One"}, {2, 5, "Robot Two"}};
    std::vector<Shot> bullets;
    int nextEntity = 1000;
    Map map;
    std::size_t mapIndex = 0;
    int width = 1024;
    int height = 1024;
    double clock = 0.0;
    bool roundOver = false;
    double roundEnded = 0.0;
};

bool ParseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (arg == "--name" && value) {
            options.name = value;
        } else if (arg == "--port" && value) {
            options.port = static_cast<std::uint16_t>(std::atoi(value));
        } else if (arg == "--max-players" && value) {
            options.maxPlayers = static_cast<std::uint32_t>(std::atoi(value));
        } else if (arg == "--announce" && value) {
            unsigned current = 0, maximum = 0;
            if (std::sscanf(value, "%u/%u", &current, &maximum) != 2)
                return false;
            options.announce = true;
            options.announcedCurrent = current;
            options.announcedMax = maximum;
        } else if (arg == "--maps" && value) {
            options.maps.clear();
            std::string list = value;
            for (std::size_t start = 0, comma; start <= list.size(); start = comma + 1) {
                comma = list.find(',', start);
                if (comma == std::string::npos)
                    comma = list.size();
                if (comma > start)
                    options.maps.push_back(list.substr(start, comma - start));
            }
            if (options.maps.empty())
                return false;
        } else if (arg == "--round-seconds" && value) {
            options.roundSeconds = std::atoi(value);
        } else if (arg == "--data" && value) {
            options.data = value;
        } else if (arg == "--quiet") {
            options.quiet = true;
            continue;
        } else {
            return false;
        }
        ++i;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: quillrock_scripted_host [--name NAME] [--port PORT] [--max-players N]\n"
                             "       [--announce CURRENT/MAX] [--maps A,B] [--round-seconds S] [--data DIR] [--quiet]\n");
        return 2;
    }
    std::signal(SIGINT, [](int) { stopRequested = 1; });
    std::signal(SIGTERM, [](int) { stopRequested = 1; });
    Host host(options);
    if (!host.Start())
        return 1;
    host.Run();
    return 0;
}
