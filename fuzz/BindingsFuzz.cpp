#include <fuzzer/FuzzedDataProvider.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "app/CommandInterpreter.h"
#include "app/Settings.h"

// A settings file of any bytes, then a /bind or /unbind line of any words:
// nothing crashes, and afterwards no key or controller input belongs to two
// actions, or to an action that does not list it.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The bindings a line changes are saved: into a folder of the run's own.
    static char folder[] = "/tmp/quillrock-bindings-fuzz-XXXXXX";
    if (!::mkdtemp(folder))
        __builtin_trap();
    ::setenv("XDG_CONFIG_HOME", folder, 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const std::string file = in.ConsumeRandomLengthString(4096);
    const std::string path = std::string(::getenv("XDG_CONFIG_HOME")) + "/quillrock";
    ::mkdir(path.c_str(), 0700);
    if (std::FILE* out = std::fopen((path + "/settings.reg").c_str(), "wb")) {
        std::fwrite(file.data(), 1, file.size(), out);
        std::fclose(out);
    }
    LoadSettings(g_settings);
    const std::string line = (in.ConsumeBool() ? "/bind " : "/unbind ") + in.ConsumeRemainingBytesAsString();
    CommandInterpreter().Execute(line.c_str());

    const KeyBindings& keys = g_settings.Keys;
    for (int action = 0; action < KeyBindings::kActions; ++action) {
        for (int place = 0; place < 2 * KeyBindings::kKeysPerAction; ++place) {
            const std::uint8_t code = keys.Keys(action)[place];
            if (code && keys.ActionOf(code) != action)
                __builtin_trap();
        }
    }
    return 0;
}
