#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// What came from a peer, fit for one line of a log: printable ASCII alone,
// anything else a '?', and no longer than asked.
inline std::string Printable(std::string_view text, std::size_t longest)
{
    std::string shown;
    for (const char c : text.substr(0, longest))
        shown += c >= ' ' && c < 0x7f ? c : '?';
    return shown;
}
