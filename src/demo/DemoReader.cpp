#include "demo/DemoReader.h"

#include <filesystem>
#include <system_error>

#include <utility>

#include "base/ByteReader.h"
#include "base/Crc32.h"
#include "platform/WholeFile.h"

bool DemoReader::Read(const std::uint8_t* data, std::size_t size, std::string& error)
{
    if (size > kLargestFile) {
        error = "it is larger than any demo";
        return false;
    }
    bytes.assign(data, data + size);
    return Parse(error);
}

bool DemoReader::ReadFile(const std::string& path, std::string& error)
{
    // Never opened unless a plain file: a pipe's open would wait for a writer.
    std::error_code status;
    const auto type = std::filesystem::status(path, status).type();
    if (type != std::filesystem::file_type::regular) {
        error = type == std::filesystem::file_type::not_found   ? "there is no such file"
                : type == std::filesystem::file_type::directory ? "it is a folder, not a file"
                                                                : "it is not a plain file";
        return false;
    }
    // The size and the header first: a huge or foreign file is not read through.
    if (std::filesystem::file_size(path, status) > kLargestFile && !status) {
        error = "it is larger than any demo";
        return false;
    }
    const auto start = platform::ReadFileStart(path, DemoHeader::kLargestSize);
    std::size_t used = 0;
    if (start && !header.Decode(start->data(), start->size(), used, error))
        return false;
    auto data = platform::ReadWholeFile(path, kLargestFile);
    if (!data) {
        error = "it cannot be read, or is larger than any demo";
        return false;
    }
    bytes = std::move(*data);
    return Parse(error);
}

bool DemoReader::Parse(std::string& error)
{
    records.clear();
    cut = false;
    std::size_t used = 0;
    if (!header.Decode(bytes.data(), bytes.size(), used, error))
        return false;
    ByteReader in(bytes.data() + used, bytes.size() - used);
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
            return false;
        }
        record.kind = static_cast<DemoRecord::Kind>(kind);
        record.offset = static_cast<std::uint32_t>(content - bytes.data());
        record.size = length;
        records.push_back(record);
    }
    return true;
}
