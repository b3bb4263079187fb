#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "net/MapTransfer.h"

// The map a round plays, for the players who lack it: each player hears
// its offer before the map message, and one who asks is sent the map file
// and its radar picture in pieces, paced: the downloads share bytes a tick,
// so that nobody's game waits on them, and every one served moves often
// enough that none looks stalled.
class MapUploads {
public:
    // Downloads served at once; more wait in the order asked.
    static constexpr std::size_t kAtOnce = 16;
    // Bytes of file all downloads are sent a tick, and one download at most
    // and at least: 240 KB a second each at 60 Hz for up to four, the largest
    // shipped map with its picture in some 13 seconds.
    static constexpr std::uint32_t kBytesPerTick = 16384;
    static constexpr std::uint32_t kMostEach = 4096;
    static constexpr std::uint32_t kLeastEach = 1024;
    // Each download's bytes this tick, with so many served.
    static std::uint32_t ShareOf(std::size_t serving);

    using Sender = std::function<void(int slot, const std::vector<std::uint8_t>& payload)>;

    explicit MapUploads(std::string dataDir) : dataDir(std::move(dataDir)) {}

    // Before a player's news that holds a map message: the offer to send
    // first; empty for a map whose file does not read. A new offer ends the
    // player's download before it.
    std::vector<std::uint8_t> OfferFor(int slot, const std::string& mapName);
    // A player asks for the map by its hash, once an offer; one it was not
    // offered is ignored: the offer of the map now played is on its way.
    void Request(int slot, const platform::Sha256& mapHash);
    // The player has gone.
    void Forget(int slot);
    // Each download served this tick sends its share.
    void Pump(const Sender& send);

    std::size_t Waiting() const { return queue.size(); }

private:
    struct Upload {
        int slot;
        std::uint32_t sent; // bytes of the map file, then of the picture
    };
    // Reads the map's files when the rotation moves on; false when they
    // do not read, and no offer is made.
    bool Load(const std::string& mapName);
    std::vector<std::uint8_t> NextPiece(Upload& upload, std::uint32_t most) const;
    void Cancel(int slot);

    std::string dataDir;
    std::string loadedName;
    bool loaded = false;
    MapTransfer::Offer offer;
    std::vector<std::uint8_t> mapFile;
    std::vector<std::uint8_t> radar;
    std::vector<std::uint8_t> offerPayload;
    std::map<int, std::string> heard; // each slot's last offered map
    std::deque<Upload> queue;
};
