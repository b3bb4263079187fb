// The map a server plays, when this side lacks that exact file: the offer
// that comes before each map message, the request, and the pieces.
#include <memory>
#include <string>

#include "base/Console.h"
#include "net/MapCache.h"
#include "net/MapDownload.h"
#include "net/NetClient.h"
#include "net/NetMessage.h"
#include "platform/Clock.h"
#include "world/Map.h"
#include "world/World.h"

void NetClient::SetMapFolder(const std::string& folder)
{
    maps = std::make_unique<MapCache>(folder);
}

void NetClient::SetPictureCheck(PictureCheck check)
{
    pictureReads = std::move(check);
}

void NetClient::ApplyMapOffer(const NetMessage& message)
{
    offered = MapTransfer::ReadOffer(message);
}

void NetClient::FetchMap()
{
    download.reset();
    Console* console = Console::Instance();
    if (auto found = maps->Find(*offered); found && world && world->LoadMapBytes(found->mapFile, found->radarPicture)) {
        console->Print("Loaded map \"%s\"", offered->name.c_str());
        return;
    }
    // A recording cannot ask, and a map of that name here is another one.
    if (playingBack) {
        SayNoMap(offered->name.c_str());
        return;
    }
    download = std::make_unique<MapDownload>(*offered, platform::TickCount());
    if (download->Status() != MapDownload::State::Receiving)
        return;
    console->Print("Downloading map \"%s\"", offered->name.c_str());
    NetMessage request;
    MapTransfer::WriteRequest(offered->mapHash, request);
    Send(request);
}

void NetClient::ApplyMapPiece(const NetMessage& message)
{
    if (!download || download->Status() != MapDownload::State::Receiving)
        return;
    download->Take(message, platform::TickCount());
    if (download->Status() != MapDownload::State::Complete)
        return;
    Console* console = Console::Instance();
    const MapTransfer::Offer& offer = download->Offered();
    if (!download->Radar().empty() && pictureReads && !pictureReads(download->Radar())) {
        console->Print("The radar picture of map \"%s\" does not read: the map is kept without it.", offer.name.c_str());
        download->DropRadar();
    }
    std::string error;
    const bool kept = maps->Store(*download, error);
    if (!kept)
        console->Print("The map could not be kept: %s", error.c_str());
    const std::string radar = kept && !download->Radar().empty() ? maps->RadarPath(offer) : Map::kNoRadarPicture;
    if (world && world->LoadMapBytes(download->MapFile(), radar))
        console->Print("Loaded map \"%s\"", offer.name.c_str());
    download.reset();
    SetHeldTiles();
}

void NetClient::SetHeldTiles()
{
    Map* map = world ? world->GetMap() : nullptr;
    for (const auto& [place, value] : heldTiles) {
        if (map && map->HasCells())
            map->SetCellExtra(place.first, place.second, value);
    }
    heldTiles.clear();
}
