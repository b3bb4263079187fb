#pragma once

#include <algorithm>
#include <string>

// Space, tab and the line ends, whatever the locale.
inline bool IsAsciiSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The text without the spaces at either end.
inline std::string Trimmed(const std::string& text)
{
    const auto first = std::find_if_not(text.begin(), text.end(), IsAsciiSpace);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), IsAsciiSpace).base();
    return first < last ? std::string(first, last) : std::string();
}
