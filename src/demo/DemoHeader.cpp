#include "demo/DemoHeader.h"

#include <algorithm>
#include <cstring>

#include "base/ByteReader.h"
#include "base/ByteWriter.h"
#include "base/Crc32.h"
#include "demo/DemoMagic.h"
#include "platform/PathResolver.h"
#include "platform/WholeFile.h"

namespace {

// Maps are small; one larger than this is no map the game loads.
constexpr std::size_t kLargestMap = 16 * 1024 * 1024;

void Text(ByteWriter& out, const std::string& text)
{
    const std::size_t length = std::min(text.size(), DemoHeader::kLongestText);
    out.U8(static_cast<std::uint8_t>(length));
    out.Bytes(text.data(), length);
}

bool Text(ByteReader& in, std::string& text)
{
    std::uint8_t length = 0;
    if (!in.U8(length))
        return false;
    const std::uint8_t* bytes = in.Bytes(length);
    if (!bytes)
        return false;
    text.assign(reinterpret_cast<const char*>(bytes), length);
    return true;
}

} // namespace

std::uint32_t DemoHeader::MapChecksum(const std::string& name)
{
    const auto path = platform::ResolveFile("Maps\\" + name + ".smp");
    return path ? FileChecksum(*path) : 0;
}

std::uint32_t DemoHeader::FileChecksum(const std::string& path)
{
    const auto bytes = platform::ReadWholeFile(path, kLargestMap);
    return bytes ? Crc32(bytes->data(), bytes->size()) : 0;
}

std::vector<std::uint8_t> DemoHeader::Encode() const
{
    ByteWriter body;
    Text(body, gameVersion);
    Text(body, mapName);
    body.U32(mapChecksum);
    Text(body, playerName);
    body.U32(shipId);
    body.U32(static_cast<std::uint32_t>(static_cast<std::uint64_t>(startSeconds)));
    body.U32(static_cast<std::uint32_t>(static_cast<std::uint64_t>(startSeconds) >> 32));

    ByteWriter out;
    out.Bytes(kDemoMagic, sizeof kDemoMagic);
    out.U16(kFormatVersion);
    out.U32(static_cast<std::uint32_t>(body.Size()));
    out.Bytes(body.Data().data(), body.Size());
    out.U32(Crc32(body.Data().data(), body.Size()));
    return out.Data();
}

bool DemoHeader::Decode(const std::uint8_t* bytes, std::size_t size, std::size_t& used, std::string& error)
{
    if (size == 0) {
        error = "the file is empty";
        return false;
    }
    if (size < sizeof kDemoMagic || std::memcmp(bytes, kDemoMagic, sizeof kDemoMagic) != 0) {
        error = "it is not a Quillrock demo";
        return false;
    }
    ByteReader in(bytes + sizeof kDemoMagic, size - sizeof kDemoMagic);
    std::uint16_t version = 0;
    std::uint32_t length = 0;
    if (!in.U16(version) || !in.U32(length)) {
        error = "its header is cut short";
        return false;
    }
    if (version > kFormatVersion) {
        error = "it was made by a newer Quillrock (demo format " + std::to_string(version) +
                "; this one plays format " + std::to_string(kFormatVersion) + ")";
        return false;
    }
    const std::uint8_t* body = length <= DemoHeader::kLongestBody ? in.Bytes(length) : nullptr;
    std::uint32_t check = 0;
    if (version == 0 || !body || !in.U32(check) || check != Crc32(body, length)) {
        error = body ? "its header is damaged" : "its header is cut short";
        return false;
    }
    ByteReader fields(body, length);
    std::uint32_t low = 0, high = 0;
    if (!Text(fields, gameVersion) || !Text(fields, mapName) || !fields.U32(mapChecksum) ||
        !Text(fields, playerName) || !fields.U32(shipId) || !fields.U32(low) || !fields.U32(high)) {
        error = "its header is damaged";
        return false;
    }
    startSeconds = static_cast<std::int64_t>(static_cast<std::uint64_t>(high) << 32 | low);
    used = sizeof kDemoMagic + in.Position();
    return true;
}
