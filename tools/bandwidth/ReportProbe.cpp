// How often the server reports each ship near the player's own: joins the
// server on this machine through the player's network client, flies at
// random and counts the ship states heard for ships on its screen.
#include <algorithm>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "base/Singleton.h"
#include "common/CommandLine.h"
#include "net/MessageBatch.h"
#include "net/NetClient.h"
#include "net/NetMessage.h"
#include "net/PackedBatch.h"
#include "net/ShipDelta.h"
#include "net/Snapshots.h"
#include "platform/Clock.h"
#include "world/GameKey.h"
#include "world/Map.h"
#include "world/Ship.h"
#include "world/Torus.h"
#include "world/World.h"

namespace {

constexpr const char* kUsage =
    "Usage: quillrock_report_probe [options]\n"
    "Joins the game server on this machine, flies at random and prints how\n"
    "often each other ship on its screen was reported, and the payloads' bytes.\n"
    "Run it only in a network of its own: bash scripts/offline ...\n"
    "\n"
    "  --port P       the server's UDP port (3001)\n"
    "  --seconds N    how long to listen (30)\n"
    "  --help, -h     this text\n";

// The server's screen around a ship.
constexpr double kHalfWidth = 1100.0;
constexpr double kHalfHeight = 760.0;

// Payloads of ship states, and those read whole with every delta's base.
struct SnapshotsRead {
    int heard = 0;
    int read = 0;
};

// The payloads' bytes by record tag: where they go.
void CountRecords(const std::uint8_t* data, std::size_t size, std::map<int, double>& bytesByTag)
{
    NetMessage record;
    ShipDelta delta;
    for (std::size_t at = 0; at < size;) {
        const std::size_t taken = data[at] == PackedBatch::kShipDelta
                                      ? PackedBatch::ReadDelta(data + at, size - at, delta)
                                      : PackedBatch::Read(data + at, size - at, record);
        if (!taken)
            return;
        bytesByTag[data[at]] += static_cast<double>(taken);
        at += taken;
    }
}

struct Heard {
    double msInView = 0.0;
    int statesInView = 0;
};

bool OnScreen(World& world, const Ship& own, const Ship& other)
{
    const Map* map = world.GetMap();
    if (!map)
        return false;
    const Vector3 d = other.Position() - own.Position();
    return std::fabs(FoldDifference(d.x, map->WorldWidth())) <= kHalfWidth &&
           std::fabs(FoldDifference(d.y, map->WorldHeight())) <= kHalfHeight;
}

void Print(const std::map<int, Heard>& heard, const SnapshotsRead& snapshots,
           const std::map<int, double>& bytesByTag, double payloadBytes, double seconds)
{
    std::printf("snapshots read whole: %d of %d\n", snapshots.read, snapshots.heard);
    std::printf("payload bytes a second by record tag:");
    for (const auto& [tag, bytes] : bytesByTag)
        std::printf(" 0x%02X %.0f", tag, bytes / seconds);
    std::printf("\n");
    std::vector<double> rates;
    for (const auto& [id, ship] : heard) {
        if (ship.msInView >= 2000.0)
            rates.push_back(ship.statesInView * 1000.0 / ship.msInView);
    }
    std::sort(rates.begin(), rates.end());
    if (rates.empty()) {
        std::printf("no other ship stayed on the screen 2 s\n");
        return;
    }
    std::printf("%zu ships on the screen 2 s or more: states a second min %.1f, median %.1f, max %.1f; "
                "payloads %.0f B/s\n",
                rates.size(), rates.front(), rates[rates.size() / 2], rates.back(), payloadBytes / seconds);
}

} // namespace

int main(int argc, char** argv)
{
    int port = NetClient::kGamePort;
    long seconds = 30;
    const int status = ReadCommandLine(
        "quillrock_report_probe", kUsage, argc, argv, {{"--port", "--seconds"}},
        [&](const std::string& flag, const std::string& value) {
            const long number = std::strtol(value.c_str(), nullptr, 10);
            if (flag == "--port")
                port = static_cast<int>(number);
            else
                seconds = number;
            return number >= 1 && number <= 65535;
        });
    if (status >= 0)
        return status;
    auto world = std::make_unique<World>();
    Ship* local = world->AddShip(std::make_unique<Ship>());
    local->SetName("Probe");
    NetClient* client = NetClient::Instance();
    client->SetWorld(world.get());
    client->SetPort(static_cast<std::uint16_t>(port));
    client->EnumHostsAt("127.0.0.1");
    char host[1024] = {};
    int maxPlayers = 0, currentPlayers = 0;
    client->HostsBegin();
    client->HostsNext(host, sizeof host, maxPlayers, currentPlayers);
    client->SelectHost(host);
    if (client->HostCount() == 0 || !client->Connect()) {
        std::fprintf(stderr, "no server to join on port %d\n", port);
        return 1;
    }
    std::map<int, Heard> heard;
    double payloadBytes = 0.0;
    SnapshotsRead snapshots;
    std::map<int, double> bytesByTag;
    bool counting = false;
    // Its own copy of the snapshots, read from the same payloads in the
    // same order, reads the deltas as the client does.
    Snapshots heardStates;
    client->SetPayloadTap([&](const std::uint8_t* data, std::size_t size) {
        MessageBatch batch;
        batch.ParsePacked(data, size);
        batch.UseSnapshots(&heardStates);
        if (counting) {
            payloadBytes += static_cast<double>(size);
            CountRecords(data, size, bytesByTag);
        }
        std::uint16_t snapshot = 0;
        for (NetMessage* message = batch.Begin(); message; message = batch.Next()) {
            int id = 0;
            message->GetId(id);
            if (message->Kind() == kMsgSnapshot)
                snapshot = static_cast<std::uint16_t>(id);
            const Ship* ship = message->Kind() == kMsgShipState ? world->FindShip(id) : nullptr;
            if (counting && ship && ship != local && ship->IsAlive() && local->IsAlive() && OnScreen(*world, *local, *ship))
                ++heard[id].statesInView;
        }
        if (counting && snapshot) {
            ++snapshots.heard;
            snapshots.read += heardStates.Newest() == snapshot;
        }
    });

    std::mt19937 random(1);
    const std::int32_t keys[] = {kKeyTurnLeft, kKeyTurnRight, kKeyThrust, kKeyFire, kKeyShields};
    std::vector<std::int32_t> held = {kKeyThrust};
    const std::uint32_t start = platform::TickCount();
    std::uint32_t last = start, lastPick = start, lastPing = start, countFrom = 0;
    NetMessage control;
    while (!client->IsTerminated() && platform::TickCount() - start < (seconds + 3) * 1000u) {
        const std::uint32_t now = platform::TickCount();
        // Counting starts once the welcome is in.
        if (!counting && now - start >= 3000) {
            counting = true;
            countFrom = now;
        }
        if (now - lastPick >= 500) {
            held = {keys[random() % std::size(keys)], keys[random() % std::size(keys)]};
            lastPick = now;
        }
        if (now - lastPing >= 1000) {
            client->SendPing();
            lastPing = now;
        }
        control.SetControl(local->GetId(), held.data(), static_cast<int>(held.size()));
        client->Send(control);
        client->DoWork(NetClient::kWorkBudget);
        world->Update(static_cast<int>(now - last));
        for (const Ship* ship : world->Ships()) {
            if (counting && ship != local && ship->IsAlive() && local->IsAlive() && OnScreen(*world, *local, *ship))
                heard[ship->GetId()].msInView += now - last;
        }
        last = now;
        std::this_thread::sleep_for(std::chrono::milliseconds(8));
    }
    Print(heard, snapshots, bytesByTag, payloadBytes, countFrom ? (platform::TickCount() - countFrom) / 1000.0 : 1.0);
    client->SetWorld(nullptr);
    Singletons::ShutdownAll();
    return 0;
}
