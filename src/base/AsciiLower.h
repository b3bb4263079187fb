#pragma once

#include <string>

inline char AsciiLowerChar(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Names compared without regard to case, the same whatever the locale.
inline std::string AsciiLower(std::string text)
{
    for (char& c : text)
        c = AsciiLowerChar(c);
    return text;
}
