#include "platform/ConnectCookie.h"

#include <sodium.h>

#include <cstdlib>
#include <cstring>

#include "base/ByteReader.h"
#include "base/ByteWriter.h"

namespace platform {

namespace {

constexpr std::uint8_t kRequestMark[] = {'Q', 'R', 'C', 'Q'};
constexpr std::uint8_t kAnswerMark[] = {'Q', 'R', 'C', 'A'};

static_assert(crypto_shorthash_KEYBYTES == 16 && crypto_shorthash_BYTES == 8);
static_assert(ConnectCookie::kAnswerSize <= ConnectCookie::kRequestSize);

} // namespace

ConnectCookie::ConnectCookie()
{
    // Fails only on a system without randomness, where no key would be
    // secret.
    if (sodium_init() < 0)
        std::abort();
    randombytes_buf(key.data(), key.size());
}

std::uint32_t ConnectCookie::InPeriod(std::uint32_t host, std::uint16_t port, std::uint64_t period) const
{
    ByteWriter message;
    message.U32(host);
    message.U16(port);
    message.U32(static_cast<std::uint32_t>(period));
    message.U32(static_cast<std::uint32_t>(period >> 32));
    unsigned char hash[crypto_shorthash_BYTES] = {};
    crypto_shorthash(hash, message.Data().data(), message.Size(), key.data());
    std::uint32_t word = 0;
    ByteReader(hash, sizeof hash).U32(word);
    return word & ~kWatchBit;
}

std::uint32_t ConnectCookie::For(std::uint32_t host, std::uint16_t port, std::uint64_t nowMs) const
{
    return InPeriod(host, port, nowMs / kPeriodMs);
}

bool ConnectCookie::Accepts(std::uint32_t word, std::uint32_t host, std::uint16_t port, std::uint64_t nowMs) const
{
    const std::uint64_t period = nowMs / kPeriodMs;
    word &= ~kWatchBit;
    return word == InPeriod(host, port, period) || (period > 0 && word == InPeriod(host, port, period - 1));
}

std::vector<std::uint8_t> ConnectCookie::EncodeRequest()
{
    ByteWriter out;
    out.Bytes(kRequestMark, sizeof kRequestMark);
    std::vector<std::uint8_t> bytes = out.Data();
    bytes.resize(kRequestSize, 0);
    return bytes;
}

bool ConnectCookie::IsRequest(const std::uint8_t* data, std::size_t size)
{
    return size == kRequestSize && std::memcmp(data, kRequestMark, sizeof kRequestMark) == 0;
}

std::vector<std::uint8_t> ConnectCookie::EncodeAnswer(std::uint32_t word)
{
    ByteWriter out;
    out.Bytes(kAnswerMark, sizeof kAnswerMark);
    out.U32(word);
    return out.Data();
}

std::optional<std::uint32_t> ConnectCookie::DecodeAnswer(const std::uint8_t* data, std::size_t size)
{
    std::uint32_t word = 0;
    ByteReader in(data, size);
    const std::uint8_t* mark = in.Bytes(sizeof kAnswerMark);
    if (size != kAnswerSize || !mark || std::memcmp(mark, kAnswerMark, sizeof kAnswerMark) != 0 || !in.U32(word))
        return std::nullopt;
    return word;
}

} // namespace platform
