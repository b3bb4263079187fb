#include "net/MapCache.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "net/MapDownload.h"
#include "platform/PathResolver.h"
#include "platform/UserFolders.h"
#include "platform/WholeFile.h"
#include "world/Map.h"

namespace {

bool HasHash(const std::vector<std::uint8_t>& bytes, const platform::Sha256& hash)
{
    return platform::HashOf(bytes.data(), bytes.size()) == hash;
}

std::optional<std::vector<std::uint8_t>> ReadMatching(const std::string& path, const platform::Sha256& hash)
{
    auto bytes = platform::ReadWholeFile(path, MapTransfer::kLargestFile);
    if (!bytes || !HasHash(*bytes, hash))
        return std::nullopt;
    return bytes;
}

std::string AsText(const std::vector<std::uint8_t>& bytes)
{
    return {bytes.begin(), bytes.end()};
}

} // namespace

std::string MapCache::DefaultFolder()
{
    return platform::UserFolder("XDG_DATA_HOME", ".local/share") + "/maps";
}

std::string MapCache::MapPath(const MapTransfer::Offer& offer) const
{
    return folder + "/" + offer.name + "-" + platform::HexOf(offer.mapHash) + ".smp";
}

std::string MapCache::RadarPath(const MapTransfer::Offer& offer) const
{
    return folder + "/" + offer.name + "-" + platform::HexOf(offer.mapHash) + ".bmp";
}

std::optional<MapCache::Found> MapCache::Find(const MapTransfer::Offer& offer) const
{
    if (!MapTransfer::IsPlainName(offer.name))
        return std::nullopt;
    // A shipped map's picture is checked too: both must be the server's.
    const auto shipped = platform::ResolveFile("Maps\\" + offer.name + ".smp");
    auto bytes = shipped ? ReadMatching(*shipped, offer.mapHash) : std::nullopt;
    if (bytes) {
        const auto picture = platform::ResolveFile("Maps\\" + offer.name + ".bmp");
        const auto radar = picture ? platform::ReadWholeFile(*picture, MapTransfer::kLargestFile) : std::nullopt;
        if (offer.radarSize == 0 || (radar && HasHash(*radar, offer.radarHash)))
            return Found {std::move(*bytes), {}};
    }
    return FindDownloaded(offer);
}

std::optional<MapCache::Found> MapCache::FindDownloaded(const MapTransfer::Offer& offer) const
{
    auto bytes = ReadMatching(MapPath(offer), offer.mapHash);
    if (!bytes)
        return std::nullopt;
    std::string radar = offer.radarSize ? RadarPath(offer) : Map::kNoRadarPicture;
    // None is a picture dropped; another is another version's.
    if (offer.radarSize && !platform::FileExists(radar))
        radar = Map::kNoRadarPicture;
    if (radar != Map::kNoRadarPicture && !ReadMatching(radar, offer.radarHash))
        return std::nullopt;
    // Used again, it counts as new: the least used go first.
    std::error_code ignored;
    std::filesystem::last_write_time(MapPath(offer), std::filesystem::file_time_type::clock::now(), ignored);
    return Found {std::move(*bytes), radar};
}

bool MapCache::Store(const MapDownload& download, std::string& error) const
{
    const MapTransfer::Offer& offer = download.Offered();
    if (!platform::MakeFolders(folder)) {
        error = folder + ": cannot make the folder";
        return false;
    }
    // The picture first: a map file present means both are, unless the
    // picture did not read and was dropped.
    if (!download.Radar().empty() && !platform::ReplaceFile(RadarPath(offer), AsText(download.Radar()), error))
        return false;
    if (!platform::ReplaceFile(MapPath(offer), AsText(download.MapFile()), error))
        return false;
    Prune();
    return true;
}

void MapCache::Prune() const
{
    namespace fs = std::filesystem;
    std::error_code failed;
    std::vector<std::pair<fs::file_time_type, fs::path>> maps;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, failed)) {
        if (entry.path().extension() == ".smp")
            maps.emplace_back(entry.last_write_time(failed), entry.path());
    }
    if (maps.size() <= kKept)
        return;
    std::ranges::sort(maps, std::ranges::greater {}, &std::pair<fs::file_time_type, fs::path>::first);
    for (std::size_t i = kKept; i < maps.size(); ++i) {
        fs::path picture = maps[i].second;
        fs::remove(maps[i].second, failed);
        fs::remove(picture.replace_extension(".bmp"), failed);
    }
}
