#include <cstddef>
#include <cstdint>

#include "platform/SettingsStore.h"

// Whatever the file holds, reading it must neither crash nor read past it,
// and what it accepts must write back to the same values.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto values = platform::SettingsStore::Parse(data, size);
    if (values) {
        const auto bytes = platform::SettingsStore::Serialize(*values);
        const auto again = platform::SettingsStore::Parse(bytes.data(), bytes.size());
        if (!again || *again != *values)
            __builtin_trap();
    }
    return 0;
}
