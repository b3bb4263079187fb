#include "app/DemoPlayback.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "base/Console.h"
#include "demo/DemoReader.h"
#include "gfx/Renderer.h"
#include "net/NetClient.h"
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

HeldKeys HeldKeysOf(const std::uint8_t* codes, std::size_t count)
{
    HeldKeys keys;
    for (std::size_t i = 0; i < count; ++i)
        keys.Press(codes[i]);
    return keys;
}

} // namespace

DemoPlayback::DemoPlayback(const DemoReader& demo) : demo(demo)
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
    recorderKeys = HeldKeys();
    Console* console = Console::Instance();
    const DemoHeader& header = demo.Header();
    const std::uint32_t checksum = DemoHeader::MapChecksum(header.mapName);
    if (header.mapChecksum && checksum && checksum != header.mapChecksum)
        console->Print("This game's map \"%s\" differs from yours: walls may not be where they were.",
                       header.mapName.c_str());
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
    // The recorder's own ship is followed from its first appearance.
    if (demo.Header().shipId == DemoHeader::kNoShip) {
        if (!chosen)
            FollowLeader();
    } else if (followed < 0) {
        if (Ship* own = world->FindShip(static_cast<int>(demo.Header().shipId)))
            FollowShip(own);
    }
}

void DemoPlayback::FollowLeader()
{
    // The followed ship keeps the camera while it shares the lead.
    Ship* leader = world->FindShip(followed);
    for (Ship* ship = world->ShipsBegin(); ship; ship = world->ShipsNext()) {
        if (!leader || ship->GetScore() > leader->GetScore() ||
            (ship->GetScore() == leader->GetScore() && followed < 0 && ship->GetId() < leader->GetId()))
            leader = ship;
    }
    if (leader && leader->GetId() != followed)
        FollowShip(leader);
}

void DemoPlayback::FollowShip(Ship* ship)
{
    followed = ship->GetId();
    world->MoveShipToFront(ship);
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
        const int following = followed;
        Restart();
        followed = -1;
        ApplyUntil(ms);
        if (Ship* ship = world->FindShip(following); ship && chosen)
            FollowShip(ship);
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
    // By id, so that Tab goes round every ship and Shift+Tab back.
    std::vector<Ship*> ships;
    for (Ship* ship = world->ShipsBegin(); ship; ship = world->ShipsNext())
        ships.push_back(ship);
    if (ships.empty())
        return;
    std::sort(ships.begin(), ships.end(), [](const Ship* a, const Ship* b) { return a->GetId() < b->GetId(); });
    const auto at = std::find_if(ships.begin(), ships.end(), [&](const Ship* ship) { return ship->GetId() == followed; });
    const std::ptrdiff_t count = static_cast<std::ptrdiff_t>(ships.size());
    const std::ptrdiff_t from = at == ships.end() ? (step > 0 ? -1 : 0) : at - ships.begin();
    chosen = true;
    FollowShip(ships[static_cast<std::size_t>(((from + step) % count + count) % count)]);
}

std::uint32_t DemoPlayback::Length() const
{
    return demo.LengthMs();
}

bool DemoPlayback::FollowedThrusts() const
{
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
    return caption;
}
