#include <cstddef>
#include <cstdint>
#include <string>

#include "server/engine/ServerOptions.h"

// Whatever a config file holds, reading it neither crashes nor takes
// options out of their ranges; a refusal names the file and a line.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ServerOptions options;
    std::string message;
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (!ReadConfigText(text, "fuzz.conf", options, message)) {
        if (message.rfind("fuzz.conf:", 0) != 0)
            __builtin_trap();
        return 0;
    }
    if (options.maxPlayers < 1 || options.maxPlayers > 64 || options.tickRate < 10 || options.tickRate > 240 ||
        (options.botSkill != kMatchedRobotSkill && (options.botSkill < 1 || options.botSkill > 3)) || options.port == 0)
        __builtin_trap();
    return 0;
}
