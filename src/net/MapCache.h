#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "net/MapTransfer.h"

class MapDownload;

// The maps this player's program holds: the shipped ones in the data
// folder's Maps, read only, and those downloaded, kept in a folder of their
// own as NAME-HASH.smp with NAME-HASH.bmp beside it. A file is used only
// when its bytes have the offered hash, so another version of a shipped map
// is fetched and kept beside it, never over it.
class MapCache {
public:
    // Downloads beyond this many, the least recently used first, go.
    static constexpr std::size_t kKept = 100;

    struct Found {
        std::vector<std::uint8_t> mapFile;
        // The radar picture's file; empty for a shipped map, whose picture
        // the game finds by the map's name; Map::kNoRadarPicture for none.
        std::string radarPicture;
    };

    explicit MapCache(std::string folder) : folder(std::move(folder)) {}
    // $XDG_DATA_HOME/quillrock/maps, or ~/.local/share/quillrock/maps.
    static std::string DefaultFolder();

    // The files of exactly the offered map, shipped or downloaded.
    std::optional<Found> Find(const MapTransfer::Offer& offer) const;
    // Keeps a complete download, each file written whole or not at all;
    // false with the reason when it could not.
    bool Store(const MapDownload& download, std::string& error) const;
    // Where a download's map file goes.
    std::string MapPath(const MapTransfer::Offer& offer) const;
    std::string RadarPath(const MapTransfer::Offer& offer) const;

private:
    std::optional<Found> FindDownloaded(const MapTransfer::Offer& offer) const;
    void Prune() const;

    std::string folder;
};
