#include "demo/DemoReader.h"

#include "base/ByteReader.h"
#include "base/Crc32.h"
#include "platform/WholeFile.h"

bool DemoReader::Read(const std::uint8_t* data, std::size_t size, std::string& error)
{
    records.clear();
    bytes.clear();
    cut = false;
    std::size_t used = 0;
    if (!header.Decode(data, size, used, error))
        return false;
    ByteReader in(data + used, size - used);
    while (in.Remaining() > 0) {
        std::uint32_t length = 0, check = 0;
        const std::uint8_t* body = nullptr;
        if (!in.U32(length) || !in.U32(check) || length > DemoRecord::kLongestBlock ||
            !(body = in.Bytes(length)) || Crc32(body, length) != check || !ReadBlock(body, length)) {
            cut = true;
            break;
        }
    }
    return true;
}

bool DemoReader::ReadBlock(const std::uint8_t* body, std::size_t size)
{
    const std::size_t recordsBefore = records.size();
    const std::size_t bytesBefore = bytes.size();
    ByteReader in(body, size);
    while (in.Remaining() > 0) {
        std::uint8_t kind = 0;
        DemoRecord record;
        std::uint32_t length = 0;
        const std::uint8_t* content = nullptr;
        const bool read = in.U8(kind) && in.U32(record.ms) && in.U32(length) && (content = in.Bytes(length));
        const bool known = kind == DemoRecord::kPayload || kind == DemoRecord::kControls;
        if (!read || !known || (!records.empty() && record.ms < records.back().ms)) {
            records.resize(recordsBefore);
            bytes.resize(bytesBefore);
            return false;
        }
        record.kind = static_cast<DemoRecord::Kind>(kind);
        record.offset = bytes.size();
        record.size = length;
        bytes.insert(bytes.end(), content, content + length);
        records.push_back(record);
    }
    return true;
}

bool DemoReader::ReadFile(const std::string& path, std::string& error)
{
    const auto data = platform::ReadWholeFile(path, kLargestFile);
    if (!data) {
        error = "it cannot be read, or is larger than any demo";
        return false;
    }
    return Read(data->data(), data->size(), error);
}
