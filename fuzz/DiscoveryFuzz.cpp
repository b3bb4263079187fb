#include <cstddef>
#include <cstdint>

#include "platform/Discovery.h"

// Any datagram on the session port: searches and answers decode only from
// exactly their own bytes, and answers encode back to the same bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    platform::discovery::DecodeSearch(data, size);
    if (const auto answer = platform::discovery::DecodeAnswer(data, size)) {
        const auto bytes = platform::discovery::EncodeAnswer(*answer);
        if (bytes.size() != size)
            __builtin_trap();
    }
    return 0;
}
