#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/Discovery.h"

// Any datagram on the session port: searches and answers decode only from
// exactly their own bytes, and encode back to the same bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (const auto search = platform::discovery::DecodeSearch(data, size)) {
        if (platform::discovery::EncodeSearch(*search) != std::vector<std::uint8_t>(data, data + size))
            __builtin_trap();
    }
    if (const auto answer = platform::discovery::DecodeAnswer(data, size)) {
        const auto bytes = platform::discovery::EncodeAnswer(*answer);
        if (bytes.size() != size)
            __builtin_trap();
    }
    return 0;
}
