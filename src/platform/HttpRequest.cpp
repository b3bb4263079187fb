#include "platform/HttpRequest.h"

#include <algorithm>

namespace platform {

namespace {

constexpr std::size_t kLongestMethod = 16;

bool Letter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool Visible(char c)
{
    return c > ' ' && c < 0x7f;
}

// The characters a header name may have (a token).
bool NameCharacter(char c)
{
    return Letter(c) || (c >= '0' && c <= '9') || std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool ReadRequestLine(std::string_view line, HttpRequest& request)
{
    const std::size_t first = line.find(' ');
    const std::size_t second = first == std::string_view::npos ? first : line.find(' ', first + 1);
    if (second == std::string_view::npos)
        return false;
    const std::string_view method = line.substr(0, first);
    const std::string_view target = line.substr(first + 1, second - first - 1);
    const std::string_view version = line.substr(second + 1);
    if (method.empty() || method.size() > kLongestMethod || !std::all_of(method.begin(), method.end(), Letter))
        return false;
    if (target.empty() || target.front() != '/' || !std::all_of(target.begin(), target.end(), Visible))
        return false;
    if (version != "HTTP/1.1" && version != "HTTP/1.0")
        return false;
    request.method = std::string(method);
    request.target = std::string(target);
    request.path = std::string(target.substr(0, target.find_first_of("?#")));
    return true;
}

// "Name: value", the name right against its colon; a line that goes on an
// earlier one (starting with a space) is refused, as old folding is.
bool GoodHeader(std::string_view line)
{
    const std::size_t colon = line.find(':');
    if (colon == 0 || colon == std::string_view::npos)
        return false;
    const std::string_view name = line.substr(0, colon);
    const std::string_view value = line.substr(colon + 1);
    return std::all_of(name.begin(), name.end(), NameCharacter) &&
           std::none_of(value.begin(), value.end(), [](char c) { return c == '\0' || c == '\r'; });
}

} // namespace

HttpParse ParseHttpRequest(std::string_view bytes, HttpRequest& request)
{
    std::size_t start = 0;
    for (;;) {
        const std::size_t newline = bytes.find('\n', start);
        if (newline == std::string_view::npos)
            break;
        if (newline + 1 > kHttpHeadLimit)
            return HttpParse::TooLarge;
        std::string_view line = bytes.substr(start, newline - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const bool first = start == 0;
        start = newline + 1;
        if (first) {
            if (!ReadRequestLine(line, request))
                return HttpParse::Bad;
        } else if (line.empty()) {
            return HttpParse::Done;
        } else if (!GoodHeader(line)) {
            return HttpParse::Bad;
        }
    }
    if (bytes.size() > kHttpHeadLimit)
        return HttpParse::TooLarge;
    // Binary that is no HTTP at all is refused before its line ends.
    if (bytes.find('\0', start) != std::string_view::npos)
        return HttpParse::Bad;
    return HttpParse::Incomplete;
}

} // namespace platform
