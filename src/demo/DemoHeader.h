#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What a demo file says of the game it holds, before its blocks. The
// layout is in docs/DEMO.md.
struct DemoHeader {
    static constexpr std::uint16_t kFormatVersion = 1;
    // The ship id of a recording made by a watcher without a ship.
    static constexpr std::uint32_t kNoShip = 0xFFFFFFFFu;
    static constexpr std::size_t kLongestText = 255;
    // The most its fields take, and the most the whole header takes: the
    // magic, the format, the length, the fields and their checksum.
    static constexpr std::size_t kLongestBody = 4096;
    static constexpr std::size_t kLargestSize = 8 + 2 + 4 + kLongestBody + 4;

    std::string gameVersion;
    std::string mapName;
    std::uint32_t mapChecksum = 0;
    std::string playerName;
    std::uint32_t shipId = kNoShip;
    std::int64_t startSeconds = 0; // since 1970, UTC

    // The checksum of the map file of that name in the Maps folder, 0
    // without one.
    static std::uint32_t MapChecksum(const std::string& name);
    // The checksum of the map file at path, 0 when it does not read.
    static std::uint32_t FileChecksum(const std::string& path);

    std::vector<std::uint8_t> Encode() const;
    // Reads the header at the start of bytes, setting used to its length;
    // false with a line for the player when it is not one this game reads.
    bool Decode(const std::uint8_t* bytes, std::size_t size, std::size_t& used, std::string& error);
};
