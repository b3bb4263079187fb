#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/ConnectCookie.h"
#include "platform/Discovery.h"

// Any datagram on the session port: searches, answers and connect cookies
// decode only from exactly their own bytes, and encode back to the same
// bytes.
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
    if (const auto cookie = platform::ConnectCookie::DecodeAnswer(data, size)) {
        if (platform::ConnectCookie::EncodeAnswer(*cookie) != std::vector<std::uint8_t>(data, data + size))
            __builtin_trap();
    }
    if (platform::ConnectCookie::IsRequest(data, size) && size != platform::ConnectCookie::kRequestSize)
        __builtin_trap();
    return 0;
}
