#include "platform/HttpUrl.h"

#include <algorithm>
#include <charconv>

namespace platform {

namespace {

bool IsHostByte(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

bool IsPathByte(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte > ' ' && byte < 0x7f && c != '?' && c != '#' && c != '@' && c != '\\';
}

std::optional<std::uint16_t> PortOf(const std::string& text)
{
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value == 0 || value > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

} // namespace

std::string HttpUrl::HostHeader() const
{
    return port == 80 ? host : host + ":" + std::to_string(port);
}

std::optional<HttpUrl> HttpUrl::Parse(const std::string& text, std::string& why)
{
    const std::string scheme = "http://";
    if (text.rfind(scheme, 0) != 0) {
        why = "is not an http:// address";
        return std::nullopt;
    }
    if (!std::all_of(text.begin(), text.end(), IsPathByte)) {
        why = "carries a space, control byte, query, user or fragment";
        return std::nullopt;
    }
    HttpUrl url;
    url.text = text;
    const std::size_t slash = text.find('/', scheme.size());
    const std::string authority = text.substr(scheme.size(), slash - scheme.size());
    url.path = slash == std::string::npos ? "" : text.substr(slash);
    while (!url.path.empty() && url.path.back() == '/')
        url.path.pop_back();
    const std::size_t colon = authority.find(':');
    url.host = authority.substr(0, colon);
    if (url.host.empty() || !std::all_of(url.host.begin(), url.host.end(), IsHostByte)) {
        why = url.host.empty() ? "names no host" : "names no host by name or IPv4 address";
        return std::nullopt;
    }
    if (colon != std::string::npos) {
        const auto port = PortOf(authority.substr(colon + 1));
        if (!port) {
            why = "names no port from 1 to 65535";
            return std::nullopt;
        }
        url.port = *port;
    }
    return url;
}

} // namespace platform
