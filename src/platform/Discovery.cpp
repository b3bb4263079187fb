#include "platform/Discovery.h"

#include <cstring>
#include <random>

#include "base/ByteReader.h"
#include "base/ByteWriter.h"

namespace platform {

bool Guid::operator==(const Guid& other) const
{
    return std::memcmp(bytes, other.bytes, sizeof bytes) == 0;
}

Guid Guid::Random()
{
    std::random_device device;
    Guid guid;
    for (std::uint8_t& b : guid.bytes)
        b = static_cast<std::uint8_t>(device());
    return guid;
}

namespace discovery {

namespace {

constexpr char kSearchMagic[4] = {'Q', 'R', 'H', 'S'};
constexpr char kAnswerMagic[4] = {'Q', 'R', 'H', 'A'};
constexpr std::uint8_t kVersion = 2;

bool ReadHeader(ByteReader& in, const char (&magic)[4])
{
    const std::uint8_t* start = in.Bytes(4);
    std::uint8_t version = 0;
    return start && std::memcmp(start, magic, 4) == 0 && in.U8(version) && version == kVersion;
}

bool ReadGuid(ByteReader& in, Guid& guid)
{
    const std::uint8_t* bytes = in.Bytes(sizeof guid.bytes);
    if (!bytes)
        return false;
    std::memcpy(guid.bytes, bytes, sizeof guid.bytes);
    return true;
}

} // namespace

std::vector<std::uint8_t> EncodeSearch(const Search& search)
{
    ByteWriter out;
    out.Bytes(kSearchMagic, 4);
    out.U8(kVersion);
    out.Bytes(search.application.bytes, sizeof search.application.bytes);
    out.U32(search.nonce);
    std::vector<std::uint8_t> bytes = out.Data();
    bytes.resize(kSearchSize, 0);
    return bytes;
}

std::vector<std::uint8_t> EncodeAnswer(const Answer& answer)
{
    ByteWriter out;
    out.Bytes(kAnswerMagic, 4);
    out.U8(kVersion);
    out.Bytes(answer.application.bytes, sizeof answer.application.bytes);
    out.Bytes(answer.instance.bytes, sizeof answer.instance.bytes);
    out.U32(answer.nonce);
    out.U32(answer.currentPlayers);
    out.U32(answer.maxPlayers);
    const std::size_t length = answer.name.size() < kMaxName ? answer.name.size() : kMaxName;
    out.U16(static_cast<std::uint16_t>(length));
    out.Bytes(answer.name.data(), length);
    return out.Data();
}

std::optional<Search> DecodeSearch(const std::uint8_t* data, std::size_t size)
{
    if (size != kSearchSize)
        return std::nullopt;
    ByteReader in(data, size);
    Search search;
    if (!ReadHeader(in, kSearchMagic) || !ReadGuid(in, search.application) || !in.U32(search.nonce))
        return std::nullopt;
    std::uint8_t pad = 0;
    while (in.U8(pad)) {
        if (pad != 0)
            return std::nullopt;
    }
    return search;
}

std::optional<Answer> DecodeAnswer(const std::uint8_t* data, std::size_t size)
{
    ByteReader in(data, size);
    Answer answer;
    std::uint16_t length = 0;
    if (!ReadHeader(in, kAnswerMagic) || !ReadGuid(in, answer.application) || !ReadGuid(in, answer.instance) ||
        !in.U32(answer.nonce) || !in.U32(answer.currentPlayers) || !in.U32(answer.maxPlayers) || !in.U16(length) || length > kMaxName)
        return std::nullopt;
    const std::uint8_t* name = in.Bytes(length);
    if (!name || in.Remaining() != 0)
        return std::nullopt;
    answer.name.assign(reinterpret_cast<const char*>(name), length);
    return answer;
}

std::uint32_t RandomNonce()
{
    std::random_device device;
    return static_cast<std::uint32_t>(device());
}


} // namespace discovery
} // namespace platform
