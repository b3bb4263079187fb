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
// traffic. A search names the application; a host of that application
// answers with its session's identity, name and player counts.
//   search: "QRHS" 1 application-guid
//   answer: "QRHA" 1 application-guid instance-guid current(u32) max(u32)
//           name-length(u16) name
namespace discovery {

constexpr std::size_t kMaxName = 1023;

struct Answer {
    Guid application;
    Guid instance;
    std::uint32_t currentPlayers = 0;
    std::uint32_t maxPlayers = 0;
    std::string name;
};

std::vector<std::uint8_t> EncodeSearch(const Guid& application);
std::vector<std::uint8_t> EncodeAnswer(const Answer& answer);
// The application a search asks for, when the bytes are a search.
std::optional<Guid> DecodeSearch(const std::uint8_t* data, std::size_t size);
std::optional<Answer> DecodeAnswer(const std::uint8_t* data, std::size_t size);

} // namespace discovery
} // namespace platform
