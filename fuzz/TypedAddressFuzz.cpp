#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/TypedAddress.h"

// Whatever is typed on the address screen: an address read back as
// "host:port" reads the same again.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view typed(reinterpret_cast<const char*>(data), size);
    platform::TypedAddress address;
    std::string error;
    if (!platform::ParseTypedAddress(typed, 3001, address, error))
        return 0;
    platform::TypedAddress again;
    const std::string written = address.host + ":" + std::to_string(address.port);
    if (!platform::ParseTypedAddress(written, 1, again, error) || again.host != address.host ||
        again.port != address.port)
        __builtin_trap();
    return 0;
}
