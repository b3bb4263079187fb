#include "server/engine/MasterUrl.h"

#include <algorithm>
#include <charconv>

std::optional<MasterUrl> MasterUrl::Parse(const std::string& text)
{
    const std::string scheme = "http://";
    if (text.rfind(scheme, 0) != 0)
        return std::nullopt;
    const bool clean = std::all_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte > ' ' && byte < 0x7f && c != '?' && c != '#' && c != '@';
    });
    if (!clean)
        return std::nullopt;
    MasterUrl url;
    url.text = text;
    const std::size_t slash = text.find('/', scheme.size());
    const std::string authority = text.substr(scheme.size(), slash - scheme.size());
    url.path = slash == std::string::npos ? "" : text.substr(slash);
    while (!url.path.empty() && url.path.back() == '/')
        url.path.pop_back();
    const std::size_t colon = authority.find(':');
    url.host = authority.substr(0, colon);
    if (url.host.empty())
        return std::nullopt;
    if (colon != std::string::npos) {
        const std::string port = authority.substr(colon + 1);
        unsigned value = 0;
        const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), value);
        if (port.empty() || error != std::errc() || end != port.data() + port.size() || value == 0 || value > 65535)
            return std::nullopt;
        url.port = static_cast<std::uint16_t>(value);
    }
    return url;
}
