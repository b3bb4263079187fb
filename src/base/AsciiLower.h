#pragma once

#include <string>

// Names compared without regard to case, the same whatever the locale.
inline std::string AsciiLower(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}
