#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Sha256.h"

class NetMessage;

// The messages that bring a player the map a server plays: the server's
// offer with each round's map, the player's request, and the pieces.
namespace MapTransfer {

// No map file or radar picture is larger.
constexpr std::uint32_t kLargestFile = 4u * 1024u * 1024u;
// Bytes of file in one piece: one piece fills one datagram.
constexpr std::uint32_t kPieceBytes = 1024;
// The longest map name offered; a file name, as the map message has it.
constexpr std::size_t kLongestName = 63;

enum class Part : std::uint8_t { MapFile = 0, Radar = 1 };

struct Offer {
    std::string name;
    std::uint32_t mapSize = 0;
    platform::Sha256 mapHash {};
    std::uint32_t radarSize = 0; // 0: the server has no radar picture
    platform::Sha256 radarHash {};
};

struct Piece {
    Part part = Part::MapFile;
    std::uint32_t offset = 0;
    std::vector<std::uint8_t> bytes;
};

void Write(const Offer& offer, NetMessage& out);
void WriteRequest(const platform::Sha256& mapHash, NetMessage& out);
void Write(const Piece& piece, NetMessage& out);

// Each reads only its own kind, laid out exactly; nothing otherwise.
std::optional<Offer> ReadOffer(const NetMessage& message);
std::optional<platform::Sha256> ReadRequest(const NetMessage& message);
std::optional<Piece> ReadPiece(const NetMessage& message);

// Whether a name is one plain file name the game may use in a path; the
// map maker holds its maps to it too, so it lives here whole.
inline bool IsPlainName(const std::string& name)
{
    const auto plain = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
    };
    return !name.empty() && name.size() <= kLongestName && std::ranges::all_of(name, plain);
}

} // namespace MapTransfer
