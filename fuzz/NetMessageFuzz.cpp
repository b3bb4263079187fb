#include <cstddef>
#include <cstdint>
#include <vector>

#include "net/NetMessage.h"

// Any bytes as one message: never read past them; what parses writes back
// to the same number of bytes its kind takes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    NetMessage message;
    if (message.Parse(data, size) && message.WireSize() > 0) {
        std::vector<std::uint8_t> again(static_cast<std::size_t>(message.WireSize()));
        message.Serialize(again.data(), message.WireSize());
        NetMessage reread;
        if (!reread.Parse(again.data(), again.size()) || reread.Kind() != message.Kind())
            __builtin_trap();
    }
    return 0;
}
