#pragma once

// The characters the game can type: the letters, the digits and sixteen
// punctuation marks (space and "?" among them); typing fields accept exactly
// these. The bitmap font holds a cell for each, and for the marks below.

struct GlyphCell {
    int column;
    int row;
};

// True when first <= c <= second in a two-character range such as "az".
inline bool InRange(char c, const char* range)
{
    return c >= range[0] && c <= range[1];
}

// The rest of the printable marks, shown but never typed: the game's own
// lines use some ("name <your name>"), and a map's or a server's name may
// hold any. Their cells are row 3's, in this order.
constexpr const char* kShownMarks = "#$%&*;<>[\\]^`{|}~";

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

// The font cell of a character; anything without one (control characters,
// bytes above 127) shows the "_" cell.
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
    default: break;
    }
    for (int i = 0; kShownMarks[i]; ++i) {
        if (kShownMarks[i] == c)
            return {i, 3};
    }
    return {10, 0};
}
