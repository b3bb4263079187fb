// A player without a screen: joins a server through the player's own
// network client and flies at random, holding a few keys at a time, for as
// long as it is told. Used to keep a server busy for hours.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "base/Singleton.h"
#include "common/CommandLine.h"
#include "net/NetClient.h"
#include "net/NetMessage.h"
#include "platform/Clock.h"
#include "world/GameKey.h"
#include "world/Ship.h"
#include "world/World.h"

namespace {

constexpr const char* kUsage =
    "Usage: quillrock_scripted_player [options]\n"
    "Joins the game server on this machine through the player's own network\n"
    "client and flies at random, holding a few keys at a time.\n"
    "Run it only in a network of its own: bash scripts/offline ...\n"
    "\n"
    "  --port P       the server's UDP port (3001)\n"
    "  --name NAME    the player's name, 127 bytes at most (Scripted)\n"
    "  --seconds N    how long to play (60)\n"
    "  --seed S       the random choices' seed (1)\n"
    "  --help, -h     this text\n"
    "\n"
    "Exit status: 0 when it was still in the game at the end, 1 when not, 2 for bad options.\n";

struct Options {
    int port = NetClient::kGamePort;
    std::string name = "Scripted";
    long seconds = 60;
    unsigned seed = 1;
};

// Reads one option's value; false when it is not one the option takes.
bool ReadValue(const std::string& option, const std::string& value, Options& options)
{
    if (option == "--name") {
        options.name = value.substr(0, 127);
        return !value.empty();
    }
    char* end = nullptr;
    const long number = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || number < 0)
        return false;
    if (option == "--port") {
        options.port = static_cast<int>(number);
        return number >= 1 && number <= 65535;
    }
    if (option == "--seconds") {
        options.seconds = number;
        return number >= 1;
    }
    options.seed = static_cast<unsigned>(number);
    return number <= 0xffffffffL;
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
    const int status = ReadCommandLine("quillrock_scripted_player", kUsage, argc, argv, {"--port", "--name", "--seconds", "--seed"},
                                       [&](const std::string& flag, const std::string& value) { return ReadValue(flag, value, options); });
    if (status >= 0)
        return status;
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
    const std::uint32_t start = platform::TickCount();
    std::uint32_t lastPick = start;
    std::uint32_t lastPing = start;
    NetMessage control;
    while (!client->IsTerminated() && platform::TickCount() - start < options.seconds * 1000u) {
        const std::uint32_t now = platform::TickCount();
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
                stayed ? "still in the game" : "dropped", (platform::TickCount() - start) / 1000,
                client->GetPing());
    client->SetWorld(nullptr);
    Singletons::ShutdownAll();
    return stayed ? 0 : 1;
}
