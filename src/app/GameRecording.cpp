#include "app/GameRecording.h"

#include <ctime>

#include "app/Settings.h"
#include "base/Console.h"
#include "base/Crc32.h"
#include "net/NetClient.h"
#include "net/NetMessage.h"
#include "platform/Clock.h"
#include "platform/DemoFolder.h"
#include "platform/PathResolver.h"
#include "platform/UserFolders.h"
#include "platform/WholeFile.h"
#include "world/Ship.h"
#include "world/World.h"

namespace {

// Maps are small; one larger than this is no map the game loads.
constexpr std::size_t kLargestMap = 16 * 1024 * 1024;

std::uint32_t MapChecksum(const std::string& name)
{
    const auto path = platform::ResolveFile("Maps\\" + name + ".smp");
    const auto bytes = path ? platform::ReadWholeFile(*path, kLargestMap) : std::nullopt;
    return bytes ? Crc32(bytes->data(), bytes->size()) : 0;
}

} // namespace

GameRecording::GameRecording(NetClient& client, std::string folder)
    : client(client), folder(folder.empty() ? platform::DemoFolder::Path() : std::move(folder))
{
    client.SetPayloadTap([this](const std::uint8_t* data, std::size_t size) {
        if (!stopped)
            writer.Add(DemoRecord::kPayload, platform::TickCount(), data, size);
    });
}

GameRecording::~GameRecording()
{
    client.SetPayloadTap(nullptr);
    Stop();
}

void GameRecording::Update(World& world, const NetMessage& control, std::uint32_t now)
{
    if (stopped)
        return;
    writer.AddControls(now, control.Codes(), control.CodeCount());
    if (!writer.IsOpen() && !client.MapHeard().empty())
        Open(world);
}

void GameRecording::Open(World& world)
{
    const std::time_t start = std::time(nullptr);
    DemoHeader header;
    header.gameVersion = QR_GAME_VERSION;
    header.mapName = client.MapHeard();
    header.mapChecksum = MapChecksum(header.mapName);
    const Ship* own = world.FirstShip();
    header.playerName = own && own->Name() ? own->Name() : "";
    header.shipId = own ? static_cast<std::uint32_t>(own->GetId()) : DemoHeader::kNoShip;
    header.startSeconds = start;
    if (platform::MakeFolders(folder)) {
        platform::DemoFolder::Prune(folder, platform::DemoFolder::kKeptFiles - 1, platform::DemoFolder::kKeptBytes);
        path = platform::DemoFolder::NewFile(folder, start, header.mapName);
        if (writer.Open(path, header))
            return;
    }
    Console::Instance()->Print("Unable to record this game into %s.", folder.c_str());
    Stop();
}

void GameRecording::Stop()
{
    if (stopped)
        return;
    stopped = true;
    const bool wrote = writer.IsOpen();
    writer.Close();
    if (wrote)
        platform::DemoFolder::Prune(folder, platform::DemoFolder::kKeptFiles, platform::DemoFolder::kKeptBytes);
}
