#include "server/game/PlayerText.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstring>

bool IsDrawable(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           (c != '\0' && std::strchr("_!.,\":+-=()@/' ?", c) != nullptr);
}

std::string Drawable(const char* text, std::size_t limit)
{
    std::string kept;
    for (const char* c = text; c && *c; ++c) {
        if (IsDrawable(*c))
            kept += *c;
    }
    const std::size_t first = kept.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    kept = kept.substr(first, kept.find_last_not_of(' ') - first + 1);
    if (kept.size() > limit)
        kept.resize(limit);
    return kept;
}

namespace {

bool EndsInMark(const std::string& name)
{
    const std::string mark = kWatchingMark + 1;
    return name.size() >= mark.size() &&
           std::equal(mark.begin(), mark.end(), name.end() - static_cast<std::ptrdiff_t>(mark.size()),
                      [](char a, char b) { return std::tolower(a) == std::tolower(b); });
}

} // namespace

std::string CleanName(const char* requested)
{
    std::string name = Drawable(requested, kMaxNameLength);
    // A pilot's chat would pass for a watcher's.
    while (EndsInMark(name)) {
        name.resize(name.size() - std::strlen(kWatchingMark + 1));
        name = Drawable(name.c_str(), kMaxNameLength);
    }
    return name.empty() ? "Player" : name;
}

std::string UniqueName(const std::string& name, const std::function<bool(const std::string&)>& taken)
{
    if (!taken(name))
        return name;
    for (int n = 2;; ++n) {
        const std::string suffix = " (" + std::to_string(n) + ")";
        const std::string candidate = name.substr(0, kMaxNameLength - suffix.size()) + suffix;
        if (!taken(candidate))
            return candidate;
    }
}

std::string ChatLine(const std::string& name, const char* text)
{
    const std::string said = Drawable(text, kMaxLineLength);
    if (said.empty())
        return {};
    std::string line = name + ": " + said;
    if (line.size() > kMaxLineLength)
        line.resize(kMaxLineLength);
    return line;
}

std::string ForConsole(const std::string& line)
{
    static constexpr const char* kNearest[][2] = {{"[", "("}, {"]", ")"}, {"{", "("}, {"}", ")"}, {";", ","},
                                                  {"|", "/"}, {"#", "no. "}, {"<", "("}, {">", ")"}};
    std::string drawn;
    for (const char c : line) {
        const auto nearest = std::find_if(std::begin(kNearest), std::end(kNearest),
                                          [c](const auto& pair) { return pair[0][0] == c; });
        drawn += nearest == std::end(kNearest) ? std::string(1, c) : nearest[0][1];
    }
    return drawn;
}

std::string Unquoted(const std::string& text)
{
    return text.size() >= 2 && text.front() == '"' && text.back() == '"' ? text.substr(1, text.size() - 2) : text;
}
