#pragma once

#include <cstddef>
#include <functional>
#include <string>

// Text that players send and every other player's screen shows: names and
// chat. Both keep only what the game's font draws (letters, digits and its
// sixteen punctuation marks) and stay within the game's fixed buffers.

constexpr std::size_t kMaxNameLength = 127;
constexpr std::size_t kMaxLineLength = 1023;

bool IsDrawable(char c);

// The drawable characters of a typed text, spaces at either end trimmed,
// cut to at most limit characters.
std::string Drawable(const char* text, std::size_t limit);

// How a watcher's chat line is marked after its name.
constexpr const char* kWatchingMark = " (watching)";

// A player's name: drawable, at most 127 characters, never ending in the
// watcher's mark, "Player" when nothing is left of it.
std::string CleanName(const char* requested);

// The name, or with " (2)", " (3)"... when taken says it is in use; the
// result still fits in 127 characters.
std::string UniqueName(const std::string& name, const std::function<bool(const std::string&)>& taken);

// "1 robot", "3 robots".
inline std::string Counted(long long count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// "name: text" as everyone's console shows it, cut to one line; empty when
// nothing drawable was said.
std::string ChatLine(const std::string& name, const char* text);

// A line for a player's console as the game's font draws it: the marks
// it lacks become their nearest that it has ("[" a "(", ";" a ",").
std::string ForConsole(const std::string& line);

// "Bob" for "\"Bob\"": a name in quotes may hold spaces at its ends.
std::string Unquoted(const std::string& text);
