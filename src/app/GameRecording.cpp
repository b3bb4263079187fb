#include "app/GameRecording.h"

#include <ctime>

#include "app/Settings.h"
#include "base/Console.h"
#include "net/NetClient.h"
#include "net/NetMessage.h"
#include "platform/Clock.h"
#include "platform/DemoFolder.h"
#include "platform/UserFolders.h"
#include "world/Ship.h"
#include "world/World.h"

GameRecording::GameRecording(NetClient& client) : client(client), folder(platform::DemoFolder::Path())
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
    // A watcher's keys fly nothing: played back they would sound a ship's thrust.
    writer.AddControls(now, control.Codes(), client.IsWatching() ? 0 : control.CodeCount());
    if (writer.Failed()) {
        Console::Instance()->Print("Unable to go on recording this game into %s: it could not be written.",
                                   path.c_str());
        Stop();
    } else if (!writer.IsOpen() && !client.MapHeard().empty()) {
        Open(world);
    }
}

void GameRecording::Open(World& world)
{
    const std::time_t start = std::time(nullptr);
    DemoHeader header;
    header.gameVersion = QR_GAME_VERSION;
    header.mapName = client.MapHeard();
    header.mapChecksum = DemoHeader::MapChecksum(header.mapName);
    // A watcher has no ship: the first one is somebody else's, and played
    // back the demo follows the leader instead.
    const Ship* own = client.IsWatching() ? nullptr : world.FirstShip();
    header.playerName = own && own->Name() ? own->Name() : g_settings.PlayerName;
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
