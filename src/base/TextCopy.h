#pragma once

#include <cstring>

// Typed lines, console lines, server and map names: at most 1023 characters.
constexpr int kTextBufferSize = 1024;

// Fills a fixed text buffer of size bytes: zeroed, then at most size - 1
// characters of text (none for null), so it always ends in a zero.
inline void CopyText(char* buffer, int size, const char* text)
{
    if (!buffer || size <= 0)
        return;
    std::memset(buffer, 0, static_cast<std::size_t>(size));
    if (text)
        std::strncpy(buffer, text, static_cast<std::size_t>(size) - 1);
}
