#pragma once

// The characters the game can show and type: the letters, the digits and
// sixteen punctuation marks (space and "?" among them). The bitmap font
// holds a cell for each; typing fields accept exactly these.

struct GlyphCell {
    int column;
    int row;
};

// True when first <= c <= second in a two-character range such as "az".
inline bool InRange(char c, const char* range)
{
    return c >= range[0] && c <= range[1];
}

inline bool IsPunctuation(char c)
{
    for (const char* p = "_!.,\":+-=()@/' ?"; *p; ++p) {
        if (*p == c)
            return true;
    }
    return false;
}

// A character that the menus, address and name fields and the chat line
// accept from the keyboard (besides Backspace and Enter).
inline bool IsTypeable(char c)
{
    return InRange(c, "az") || InRange(c, "AZ") || InRange(c, "09") || IsPunctuation(c);
}

// The font cell of a character; anything without one shows the "_" cell.
inline GlyphCell GlyphOf(char c)
{
    if (InRange(c, "az"))
        return {c - 'a', 2};
    if (InRange(c, "AZ"))
        return {c - 'A', 1};
    if (InRange(c, "09"))
        return {c - '0', 0};
    switch (c) {
    case '!': return {11, 0};
    case '.': return {12, 0};
    case ',': return {13, 0};
    case '"': return {14, 0};
    case ':': return {15, 0};
    case '+': return {16, 0};
    case '-': return {17, 0};
    case '=': return {18, 0};
    case '(': return {19, 0};
    case ')': return {20, 0};
    case '@': return {21, 0};
    case '/': return {22, 0};
    case '\'': return {23, 0};
    case ' ':
    case '?': return {25, 0};
    default: return {10, 0};
    }
}
