#include "platform/SettingsStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/ByteReader.h"
#include "base/ByteWriter.h"
#include "platform/UserFolders.h"
#include "platform/WholeFile.h"

namespace platform {

namespace {

// File layout, all little-endian:
//   magic "QRREG1\r\n", key path (u16 length + bytes), value count (u32),
//   per value: name (u16 length + bytes), type (u32, 3 = raw binary),
//   data (u32 length + bytes); then an FNV-1a checksum (u32) of all before.
constexpr char kMagic[8] = {'Q', 'R', 'R', 'E', 'G', '1', '\r', '\n'};
constexpr std::uint32_t kRawBinary = 3;
constexpr std::uint32_t kMaxValues = 256;

std::uint32_t Checksum(const std::uint8_t* data, std::size_t size)
{
    std::uint32_t hash = 2166136261u;
    for (std::size_t i = 0; i < size; ++i) {
        hash ^= data[i];
        hash *= 16777619u;
    }
    return hash;
}

std::string ConfigFolder()
{
    return UserFolder("XDG_CONFIG_HOME", ".config");
}

bool WriteAll(int fd, const std::vector<std::uint8_t>& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += static_cast<std::size_t>(put);
    }
    return true;
}

} // namespace

std::string SettingsStore::FilePath()
{
    return ConfigFolder() + "/settings.reg";
}

bool SettingsStore::OpenForRead()
{
    values.clear();
    const auto bytes = ReadWholeFile(FilePath(), SettingsStore::kMaxFileSize);
    if (!bytes)
        return false;
    auto parsed = Parse(bytes->data(), bytes->size());
    if (!parsed)
        return false;
    values = std::move(*parsed);
    return true;
}

bool SettingsStore::OpenForWrite()
{
    if (!MakeFolders(ConfigFolder()))
        return false;
    OpenForRead();
    return true;
}

const SettingsStore::Value* SettingsStore::Query(const std::string& name) const
{
    const auto found = values.find(name);
    return found == values.end() ? nullptr : &found->second;
}

void SettingsStore::Set(const std::string& name, const void* data, std::size_t size)
{
    const auto* start = static_cast<const std::uint8_t*>(data);
    values[name] = size ? Value(start, start + size) : Value();
}

bool SettingsStore::Commit() const
{
    const std::string path = FilePath();
    const std::string temp = path + ".tmp";
    const auto bytes = Serialize(values);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !written || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

std::optional<SettingsStore::Values> SettingsStore::Parse(const std::uint8_t* data, std::size_t size)
{
    if (!data || size < sizeof kMagic + 4 || size > kMaxFileSize)
        return std::nullopt;
    const std::size_t body = size - 4;
    ByteReader tail(data + body, 4);
    std::uint32_t storedSum = 0;
    if (!tail.U32(storedSum) || storedSum != Checksum(data, body))
        return std::nullopt;

    ByteReader in(data, body);
    const std::uint8_t* magic = in.Bytes(sizeof kMagic);
    if (!magic || std::memcmp(magic, kMagic, sizeof kMagic) != 0)
        return std::nullopt;
    std::uint16_t keyLength = 0;
    const std::uint8_t* key = in.U16(keyLength) ? in.Bytes(keyLength) : nullptr;
    if (!key || std::string(reinterpret_cast<const char*>(key), keyLength) != kKeyPath)
        return std::nullopt;

    std::uint32_t count = 0;
    if (!in.U32(count) || count > kMaxValues)
        return std::nullopt;
    Values parsed;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint16_t nameLength = 0;
        std::uint32_t type = 0;
        std::uint32_t dataLength = 0;
        const std::uint8_t* name = in.U16(nameLength) ? in.Bytes(nameLength) : nullptr;
        if (!name || !in.U32(type) || !in.U32(dataLength))
            return std::nullopt;
        const std::uint8_t* value = in.Bytes(dataLength);
        if (!value)
            return std::nullopt;
        parsed[std::string(reinterpret_cast<const char*>(name), nameLength)] = Value(value, value + dataLength);
    }
    if (in.Remaining() != 0)
        return std::nullopt;
    return parsed;
}

std::vector<std::uint8_t> SettingsStore::Serialize(const Values& values)
{
    ByteWriter out;
    out.Bytes(kMagic, sizeof kMagic);
    const std::string key = kKeyPath;
    out.U16(static_cast<std::uint16_t>(key.size()));
    out.Bytes(key.data(), key.size());
    out.U32(static_cast<std::uint32_t>(values.size()));
    for (const auto& [name, value] : values) {
        out.U16(static_cast<std::uint16_t>(name.size()));
        out.Bytes(name.data(), name.size());
        out.U32(kRawBinary);
        out.U32(static_cast<std::uint32_t>(value.size()));
        out.Bytes(value.data(), value.size());
    }
    out.U32(Checksum(out.Data().data(), out.Data().size()));
    return out.Data();
}

} // namespace platform
