#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/ChunkedBody.h"

// A peer's chunked body, cut anywhere: the body never outgrows its bound,
// and the same bytes read the same however they arrive.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    constexpr std::size_t kBound = 4096;
    const std::string_view wire(reinterpret_cast<const char*>(data), size);
    platform::ChunkedBody whole(kBound);
    whole.Take(wire);
    platform::ChunkedBody piecemeal(kBound);
    const std::size_t step = size == 0 ? 1 : 1 + data[0] % 7;
    for (std::size_t at = 0; at < size; at += step)
        piecemeal.Take(wire.substr(at, step));
    if (whole.Body().size() > kBound || whole.Now() != piecemeal.Now() || whole.Body() != piecemeal.Body())
        __builtin_trap();
    return 0;
}
