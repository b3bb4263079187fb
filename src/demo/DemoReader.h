#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "demo/DemoHeader.h"
#include "demo/DemoRecord.h"

// A demo file read whole: its header and its records in time order, each
// a view into the file's bytes. A file cut off or damaged part way reads
// to its last whole block.
class DemoReader {
public:
    // False, with a line for the player, for a file that holds no demo this
    // game plays: empty, foreign, of a newer format, or with a damaged header.
    bool Read(const std::uint8_t* data, std::size_t size, std::string& error);
    bool ReadFile(const std::string& path, std::string& error);

    const DemoHeader& Header() const { return header; }
    const std::vector<DemoRecord>& Records() const { return records; }
    const std::uint8_t* Bytes(const DemoRecord& record) const { return bytes.data() + record.offset; }
    // Whether the blocks ended before the file did.
    bool IsCut() const { return cut; }
    std::uint32_t LengthMs() const { return records.empty() ? 0 : records.back().ms; }

    // The most a file may hold, past any game's recording; a larger one
    // is not read.
    static constexpr std::size_t kLargestFile = 256u << 20;

private:
    bool Parse(std::string& error);
    bool ReadBlock(const std::uint8_t* body, std::size_t size);

    DemoHeader header;
    std::vector<DemoRecord> records;
    std::vector<std::uint8_t> bytes;
    bool cut = false;
};
