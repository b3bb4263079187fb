#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace platform {

// Proof that an address receives what is sent to it, before a host gives
// it a slot: the host answers a cookie request with a word keyed on the
// address, its port and the time, which the player's connect must carry
// as its data. A forged source address never sees the word, so its
// connects are dropped before they take a slot, and the answer is smaller
// than the request, so asking gains it no bytes.
//   request: "QRCQ" zeros, kRequestSize in all
//   answer:  "QRCA" cookie(u32)
// The cookie is 31 bits: the connect's word carries in its top bit whether
// it comes to watch; a program that never sets it comes to fly.
class ConnectCookie {
public:
    static constexpr std::uint32_t kWatchBit = 0x80000000u;

    static constexpr std::size_t kRequestSize = 16;
    static constexpr std::size_t kAnswerSize = 8;
    // A word is good for this long at least, twice this at most.
    static constexpr std::uint32_t kPeriodMs = 10000;

    // With a fresh random key.
    ConnectCookie();

    // The word for an address (host and port as ENet keeps them) at a
    // moment of the host's clock, which must not wrap.
    std::uint32_t For(std::uint32_t host, std::uint16_t port, std::uint64_t nowMs) const;
    // Whether a connect's word is this period's or the last one's, its
    // watch bit aside.
    bool Accepts(std::uint32_t word, std::uint32_t host, std::uint16_t port, std::uint64_t nowMs) const;

    static std::vector<std::uint8_t> EncodeRequest();
    static bool IsRequest(const std::uint8_t* data, std::size_t size);
    static std::vector<std::uint8_t> EncodeAnswer(std::uint32_t word);
    static std::optional<std::uint32_t> DecodeAnswer(const std::uint8_t* data, std::size_t size);

private:
    std::uint32_t InPeriod(std::uint32_t host, std::uint16_t port, std::uint64_t period) const;

    std::array<unsigned char, 16> key {};
};

} // namespace platform
