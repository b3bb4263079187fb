#include <cstddef>
#include <cstdint>
#include <string>

#include "server/engine/BanList.h"

// Whatever a ban file holds, reading it neither crashes nor loses a ban:
// what the list writes reads back to the same text, with nothing skipped.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    constexpr std::int64_t kNow = 1796000000;
    BanList list;
    list.Read(std::string(reinterpret_cast<const char*>(data), size), kNow, [](int, const std::string&) {});
    const std::string text = list.Text();
    BanList again;
    again.Read(text, kNow, [](int, const std::string&) { __builtin_trap(); });
    if (again.Text() != text || again.Bans().size() != list.Bans().size())
        __builtin_trap();
    return 0;
}
