#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// A 16-byte identity: the game's application, or one running session.
struct Guid {
    std::uint8_t bytes[16] = {};
    bool operator==(const Guid& other) const;
    static Guid Random();
};

// The host search that rides on the session port beside the session's own
// traffic. A search names the application and carries a fresh nonce; a
// host of that application answers with the nonce, its session's identity,
// name and player counts. The search is padded to a size no answer
// exceeds, so a forged source address gains no bytes by asking.
//   search: "QRHS" 2 application-guid nonce(u32) zeros, kSearchSize in all
//   answer: "QRHA" 2 application-guid instance-guid nonce(u32) current(u32)
//           max(u32) name-length(u16) name
namespace discovery {

constexpr std::size_t kMaxName = 63;
constexpr std::size_t kSearchSize = 128;
constexpr std::size_t kLargestAnswer = 4 + 1 + 16 + 16 + 4 + 4 + 4 + 2 + kMaxName;
static_assert(kLargestAnswer <= kSearchSize);

struct Search {
    Guid application;
    std::uint32_t nonce = 0;
};

struct Answer {
    Guid application;
    Guid instance;
    std::uint32_t nonce = 0;
    std::uint32_t currentPlayers = 0;
    std::uint32_t maxPlayers = 0;
    std::string name;
};

std::vector<std::uint8_t> EncodeSearch(const Search& search);
// The name is cut to kMaxName bytes.
std::vector<std::uint8_t> EncodeAnswer(const Answer& answer);
// A search only of exactly the padded size, its padding zero.
std::optional<Search> DecodeSearch(const std::uint8_t* data, std::size_t size);
std::optional<Answer> DecodeAnswer(const std::uint8_t* data, std::size_t size);
std::uint32_t RandomNonce();

} // namespace discovery
} // namespace platform
