#include "app/DemoPlayback.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

#include "base/Console.h"
#include "demo/DemoReader.h"
#include "gfx/Hud.h"
#include "gfx/Renderer.h"
#include "gfx/TeamView.h"
#include "net/MapCache.h"
#include "net/MapTransfer.h"
#include "net/MessageBatch.h"
#include "net/NetClient.h"
#include "net/NetMessage.h"
#include "platform/PathResolver.h"
#include "world/Ship.h"
#include "world/World.h"

namespace {

std::string Minutes(std::uint32_t ms)
{
    char text[32] = {};
    const std::uint32_t seconds = ms / 1000;
    std::snprintf(text, sizeof text, "%u:%02u", seconds / 60, seconds % 60);
    return text;
}

// Whether this game has the map: the offered version, shipped or
// downloaded, or without an offer the shipped one of that name.
bool HasMap(const std::string& name, const std::optional<MapTransfer::Offer>& offer, const MapCache& maps)
{
    if (offer && offer->name == name)
        return maps.Find(*offer).has_value();
    return platform::FileExists("Maps\\" + name + ".smp");
}

// The maps the demo's game goes on to that this game does not have.
std::vector<std::string> MissingMaps(const DemoReader& demo)
{
    const MapCache maps(MapCache::DefaultFolder());
    std::vector<std::string> missing;
    // Each map looked for once: a long recording plays its maps again and
    // again, and a look reads and hashes the map's files.
    std::vector<std::string> looked;
    std::optional<MapTransfer::Offer> offer;
    for (const DemoRecord& record : demo.Records()) {
        if (record.kind != DemoRecord::kPayload)
            continue;
        MessageBatch batch;
        batch.ParsePacked(demo.Bytes(record), record.size);
        for (NetMessage* message = batch.Begin(); message; message = batch.Next()) {
            char name[kTextBufferSize] = {};
            if (message->Kind() == kMsgMapOffer)
                offer = MapTransfer::ReadOffer(*message);
            if (message->Kind() != kMsgMap)
                continue;
            message->GetMapName(name, sizeof name);
            if (std::ranges::find(looked, name) != looked.end())
                continue;
            looked.emplace_back(name);
            if (!HasMap(name, offer, maps))
                missing.emplace_back(name);
        }
    }
    return missing;
}

HeldKeys HeldKeysOf(const std::uint8_t* codes, std::size_t count)
{
    HeldKeys keys;
    for (std::size_t i = 0; i < count; ++i)
        keys.Press(codes[i]);
    return keys;
}

} // namespace

DemoPlayback::DemoPlayback(const DemoReader& demo) : demo(demo), missingMaps(MissingMaps(demo))
{
    Restart();
}

DemoPlayback::~DemoPlayback()
{
    NetClient::Destroy();
    Renderer::Instance()->ForgetWorld();
}

void DemoPlayback::Restart()
{
    NetClient::Destroy();
    Renderer::Instance()->ForgetWorld();
    Console::Instance()->Clear();
    world = std::make_unique<World>();
    client = NetClient::Instance();
    client->SetWorld(world.get());
    client->PlayBack();
    Renderer::Instance()->SetWorld(world.get());
    next = 0;
    clock = 0;
    follower.Look(*world);
    recorderKeys = HeldKeys();
    Console* console = Console::Instance();
    const DemoHeader& header = demo.Header();
    const std::uint32_t checksum = DemoHeader::MapChecksum(header.mapName);
    if (header.mapChecksum && checksum && checksum != header.mapChecksum)
        console->Print("This game's map \"%s\" differs from yours: walls may not be where they were.",
                       header.mapName.c_str());
    for (const std::string& map : missingMaps)
        console->Print("This demo goes on to the map \"%s\", which is not in your Maps folder.", map.c_str());
    if (demo.IsCut())
        console->Print("This demo ends early at %s: the rest of the file is damaged or cut off.",
                       Minutes(Length()).c_str());
}

void DemoPlayback::ApplyUntil(std::uint32_t ms)
{
    const auto& records = demo.Records();
    for (; next < records.size() && records[next].ms <= ms; ++next) {
        if (records[next].kind == DemoRecord::kControls)
            recorderKeys = HeldKeysOf(demo.Bytes(records[next]), records[next].size);
        if (records[next].kind != DemoRecord::kPayload)
            continue;
        client->OnReceive(demo.Bytes(records[next]), records[next].size);
        // As a frame between payloads would: what died goes, so a long seek
        // leaves the world as playing would have, with room for the new.
        world->Sweep();
    }
    clock = std::min(ms, Length());
    KeepFollowing();
}

void DemoPlayback::KeepFollowing()
{
    // The recorder's own ship, from its first appearance, or the leader in
    // a recording without one.
    follower.Keep(demo.Header().shipId != DemoHeader::kNoShip ? static_cast<int>(demo.Header().shipId) : -1);
}

int DemoPlayback::Advance(int frameMs)
{
    if (paused || IsAtEnd())
        return 0;
    carried += frameMs * Speed();
    const auto step = static_cast<std::uint32_t>(carried);
    carried -= step;
    ApplyUntil(clock + step);
    return static_cast<int>(step);
}

void DemoPlayback::Seek(std::uint32_t ms)
{
    ms = std::min(ms, Length());
    if (ms < clock) {
        Restart();
        ApplyUntil(ms);
    } else {
        ApplyUntil(ms);
    }
    world->RequestSnap();
}

void DemoPlayback::SeekBy(std::int64_t ms)
{
    Seek(static_cast<std::uint32_t>(std::clamp<std::int64_t>(clock + ms, 0, Length())));
}

void DemoPlayback::Faster()
{
    speed = std::min(speed + 1, kSpeeds.size() - 1);
}

void DemoPlayback::Slower()
{
    speed = speed > 0 ? speed - 1 : 0;
}

void DemoPlayback::Follow(int step)
{
    follower.Follow(step);
}

std::uint32_t DemoPlayback::Length() const
{
    return demo.LengthMs();
}

bool DemoPlayback::FollowedThrusts() const
{
    const int followed = follower.Followed();
    return followed >= 0 && static_cast<std::uint32_t>(followed) == demo.Header().shipId &&
           recorderKeys.Holds(kKeyThrust);
}

bool DemoPlayback::IsAtEnd() const
{
    return clock >= Length() && next >= demo.Records().size();
}

std::string DemoPlayback::Caption() const
{
    char speedText[16] = {};
    if (Speed() < 1.0)
        std::snprintf(speedText, sizeof speedText, "x1/%d", static_cast<int>(std::lround(1.0 / Speed())));
    else
        std::snprintf(speedText, sizeof speedText, "x%d", static_cast<int>(Speed()));
    std::string caption = "Demo " + Minutes(clock) + " / " + Minutes(Length()) + "  " + speedText;
    if (paused)
        caption += "  paused";
    if (const Ship* ship = follower.FollowedShip(); ship && ship->Name())
        caption += "  following " + ScoreboardName(*ship);
    return caption;
}

std::string DemoPlayback::Banner() const
{
    if (!client->IsRoundOver())
        return "The demo ends here";
    // A team game's round is won by a side, whoever recorded it.
    if (PlaysTeams(world.get()))
        return TeamResultsBanner(client->TeamScore(Team::Red), client->TeamScore(Team::Blue));
    const std::vector<Standing> standings = BuildStandings(world.get());
    // The recorder's word on its own round, whichever ship is followed.
    if (demo.Header().shipId != DemoHeader::kNoShip && !standings.empty()) {
        const Ship* own = world->FindShip(static_cast<int>(demo.Header().shipId));
        return !own ? "" : own->GetScore() == standings.front().score ? "You Won!" : "You Lost";
    }
    return OnlookersBanner(world.get());
}
