#include <cstddef>
#include <cstdint>
#include <string>

#include "demo/DemoReader.h"

// Whatever the file holds, reading it must neither crash nor read past it,
// and every record it takes lies within what it kept, in time order.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    DemoReader reader;
    std::string error;
    if (!reader.Read(data, size, error))
        return 0;
    std::uint32_t last = 0;
    for (const DemoRecord& record : reader.Records()) {
        if (record.ms < last || (record.kind != DemoRecord::kPayload && record.kind != DemoRecord::kControls))
            __builtin_trap();
        last = record.ms;
        volatile std::uint8_t sink = record.size ? reader.Bytes(record)[record.size - 1] : 0;
        (void)sink;
    }
    return 0;
}
