#include "platform/TypedAddress.h"

#include <algorithm>

namespace platform {

namespace {

constexpr std::size_t kLongestHostName = 253;

std::string_view Trimmed(std::string_view text)
{
    const auto space = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && space(text.back()))
        text.remove_suffix(1);
    return text;
}

bool HostCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_';
}

bool ReadPort(std::string_view digits, std::uint16_t& port)
{
    if (digits.empty() || digits.size() > 5 || !std::all_of(digits.begin(), digits.end(), [](char c) {
            return c >= '0' && c <= '9';
        }))
        return false;
    unsigned value = 0;
    for (char c : digits)
        value = value * 10 + static_cast<unsigned>(c - '0');
    if (value < 1 || value > 65535)
        return false;
    port = static_cast<std::uint16_t>(value);
    return true;
}

} // namespace

bool ParseTypedAddress(std::string_view text, std::uint16_t defaultPort, TypedAddress& out, std::string& error)
{
    text = Trimmed(text);
    std::string_view host = text;
    std::uint16_t port = defaultPort;
    const std::size_t colon = text.find(':');
    if (colon != std::string_view::npos) {
        host = Trimmed(text.substr(0, colon));
        const std::string_view digits = Trimmed(text.substr(colon + 1));
        if (!ReadPort(digits, port)) {
            error = "the port \"" + std::string(digits) + "\" is not a number from 1 to 65535";
            return false;
        }
    }
    if (host.empty()) {
        error = colon != std::string_view::npos ? "no host is named before the port" : "no host is named";
        return false;
    }
    if (host.size() > kLongestHostName || !std::all_of(host.begin(), host.end(), HostCharacter)) {
        error = "\"" + std::string(host.substr(0, 64)) + "\" is not a host name or address";
        return false;
    }
    out.host = std::string(host);
    out.port = port;
    return true;
}

} // namespace platform
