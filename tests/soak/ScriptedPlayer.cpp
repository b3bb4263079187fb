// A player without a screen: joins a server through the player's own
// network client and flies at random, holding a few keys at a time, for as
// long as it is told. Used to keep a server busy for hours.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "base/Singleton.h"
#include "net/GameKey.h"
#include "net/NetClient.h"
#include "net/NetMessage.h"
#include "platform/Clock.h"
#include "world/Ship.h"
#include "world/World.h"

namespace {

constexpr const char* kUsage =
    "Usage: quillrock_scripted_player [options]\n"
    "Joins the game server on this machine and flies at random.\n"
    "  --port P       the server's port (3001)\n"
    "  --name NAME    the player's name (Scripted)\n"
    "  --seconds N    how long to play (60)\n"
    "  --seed S       the random choices' seed (1)\n"
    "Ends with status 0 when it was still in the game at the end.\n";

struct Options {
    int port = NetClient::kGamePort;
    std::string name = "Scripted";
    long seconds = 60;
    unsigned seed = 1;
};

bool ReadOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || i + 1 >= argc)
            return false;
        const std::string value = argv[++i];
        char* end = nullptr;
        const long number = std::strtol(value.c_str(), &end, 10);
        const bool numeric = !value.empty() && *end == '\0' && number > 0;
        if (option == "--name")
            options.name = value.substr(0, 127);
        else if (option == "--port" && numeric && number < 65536)
            options.port = static_cast<int>(number);
        else if (option == "--seconds" && numeric)
            options.seconds = number;
        else if (option == "--seed" && numeric)
            options.seed = static_cast<unsigned>(number);
        else
            return false;
    }
    return true;
}

// A few keys, chosen afresh every half second: mostly flying and firing.
std::vector<std::int32_t> PickKeys(std::mt19937& random)
{
    static constexpr GameKey kKeys[] = {kKeyTurnLeft, kKeyTurnRight, kKeyThrust, kKeyThrust, kKeyFire, kKeyFire,
                                        kKeyShields,  kKeyMissile,   kKeyMine,   kKeyFuelUp, kKeyRepulsor};
    std::vector<std::int32_t> held;
    std::uniform_int_distribution<std::size_t> pick(0, std::size(kKeys) - 1);
    for (int i = 0; i < 3; ++i)
        held.push_back(kKeys[pick(random)]);
    return held;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ReadOptions(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    auto world = std::make_unique<World>();
    Ship* local = world->AddShip(std::make_unique<Ship>());
    local->SetName(options.name.c_str());
    NetClient* client = NetClient::Instance();
    client->SetWorld(world.get());
    client->SetPort(static_cast<std::uint16_t>(options.port));
    client->EnumHostsAt("127.0.0.1");
    char host[1024] = {};
    int maxPlayers = 0, currentPlayers = 0;
    client->HostsBegin();
    client->HostsNext(host, sizeof host, maxPlayers, currentPlayers);
    client->SelectHost(host);
    if (client->HostCount() == 0 || !client->Connect()) {
        std::fprintf(stderr, "%s: no server to join on port %d\n", options.name.c_str(), options.port);
        return 1;
    }

    std::mt19937 random(options.seed);
    std::vector<std::int32_t> held = PickKeys(random);
    const std::uint32_t start = platform::WallTickCount();
    std::uint32_t lastPick = start;
    std::uint32_t lastPing = start;
    NetMessage control;
    while (!client->IsTerminated() && platform::WallTickCount() - start < options.seconds * 1000u) {
        const std::uint32_t now = platform::WallTickCount();
        if (now - lastPick >= 500) {
            held = PickKeys(random);
            lastPick = now;
        }
        if (now - lastPing >= 1000) {
            client->SendPing();
            lastPing = now;
        }
        control.SetControl(local->GetId(), held.data(), static_cast<int>(held.size()));
        client->Send(control);
        client->DoWork(NetClient::kWorkBudget);
        std::this_thread::sleep_for(std::chrono::milliseconds(16));
    }
    const bool stayed = !client->IsTerminated();
    std::printf("%s: ship %d, %s after %u s, ping %d ms\n", options.name.c_str(), local->GetId(),
                stayed ? "still in the game" : "dropped", (platform::WallTickCount() - start) / 1000,
                client->GetPing());
    client->SetWorld(nullptr);
    Singletons::ShutdownAll();
    return stayed ? 0 : 1;
}
