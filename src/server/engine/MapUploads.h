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
// so that nobody's game waits on them, and every one, served or waiting
// its turn, moves often enough that none looks stalled.
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
    // Reliable bytes a player may have queued before its download sends
    // more: a slow link is sent what it takes, and a piece sent again is
    // still the one queued, not one more.
    static constexpr std::size_t kMostQueued = 16384;
    // Downloads waiting their turn are sent one small piece every two
    // seconds at 60 Hz: their bar moves, and a player's stall clock keeps
    // meaning the server stopped, not that it is busy.
    static constexpr std::uint32_t kTrickleTicks = 120;
    static constexpr std::uint32_t kTrickleBytes = 512;
    // Each download's bytes this tick, with so many served.
    static std::uint32_t ShareOf(std::size_t serving);
    // What a download with so many bytes queued to its player sends now.
    static std::uint32_t AllowanceOf(std::uint32_t share, std::size_t queued);

    using Sender = std::function<void(int slot, const std::vector<std::uint8_t>& payload)>;
    // Reliable bytes queued to a player and not yet acknowledged.
    using Backlog = std::function<std::size_t(int slot)>;

    // What the operator is told: a download begun or done by a slot's
    // player, or with slot -1 why the map cannot be offered.
    using Note = std::function<void(int slot, const std::string& line)>;

    MapUploads(std::string dataDir, Note note) : dataDir(std::move(dataDir)), note(std::move(note)) {}

    // Before a player's news that holds a map message of a round: the
    // offer to send first; empty for a map whose file does not read. A new
    // offer ends the player's download before it.
    std::vector<std::uint8_t> OfferFor(int slot, const std::string& mapName, std::uint32_t round);
    // A player asks for the map by its hash, once an offer; one it was not
    // offered is ignored: the offer of the map now played is on its way.
    void Request(int slot, const platform::Sha256& mapHash);
    // The player is going: told before its slot is freed, so that the log
    // still names it.
    void Forget(int slot);
    // Each download served this tick sends its share, as far as its
    // player's backlog leaves room.
    void Pump(const Sender& send, const Backlog& queued);

    std::size_t Waiting() const { return queue.size(); }
    // Of a player's queued reliable bytes, those its game sent: a download's
    // pieces are paced on their own and leave its reports' share alone.
    std::size_t GameBacklog(int slot, std::size_t queued) const;
    std::uint64_t Started() const { return started; }
    std::uint64_t Finished() const { return finished; }

private:
    // The map's files as they were read: one replaced on disk since is
    // read again when a round next loads it.
    struct Stamp {
        std::string name;
        std::int64_t mapTime = 0, radarTime = 0;
        std::uintmax_t mapSize = 0, radarSize = 0;
        bool operator==(const Stamp&) const = default;
    };
    Stamp StampOf(const std::string& mapName) const;
    struct Upload {
        int slot;
        std::uint32_t sent; // bytes of the map file, then of the picture
    };
    // Reads the map's files as a round loads them, and only then: the
    // round plays the map as it was at its start, and downloads under way
    // go on. False when they do not read, and no offer is made.
    bool Load(const std::string& mapName, std::uint32_t round);
    // The reason a map cannot be offered, or empty when it can.
    std::string ReadFiles(const std::string& mapName);
    std::vector<std::uint8_t> NextPiece(Upload& upload, std::uint32_t most) const;
    // Sends a download up to so many bytes, as its player's backlog allows.
    void Serve(Upload& upload, std::uint32_t share, const Sender& send, const Backlog& queued);
    void Cancel(int slot, const char* why);

    std::string dataDir;
    Note note;
    Stamp loadedStamp;
    std::uint32_t loadedRound = 0;
    bool loaded = false;
    std::uint64_t started = 0;
    std::uint64_t finished = 0;
    std::uint32_t pumps = 0;
    MapTransfer::Offer offer;
    std::vector<std::uint8_t> mapFile;
    std::vector<std::uint8_t> radar;
    std::vector<std::uint8_t> offerPayload;
    std::map<int, std::string> heard; // each slot's last offered map
    std::deque<Upload> queue;
};
