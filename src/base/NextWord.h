#pragma once

#include <string_view>

// The next word of text, the delimiters before it skipped; text is left
// after the one delimiter that ends the word, so that what follows keeps
// any further delimiters. Empty when no word is left.
inline std::string_view NextWord(std::string_view& text, std::string_view delimiters)
{
    const auto start = text.find_first_not_of(delimiters);
    if (start == std::string_view::npos) {
        text = {};
        return {};
    }
    const auto end = text.find_first_of(delimiters, start);
    const std::string_view word = text.substr(start, end - start);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    return word;
}
