#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/HttpRequest.h"
#include "platform/HttpService.h"

namespace {

// Whatever arrives on the metrics port: the verdict on a stream that is
// still incomplete is never taken back by its start, and a finished head
// is not changed by what follows it.
void CheckHead(std::string_view bytes)
{
    platform::HttpRequest request;
    const platform::HttpParse parsed = platform::ParseHttpRequest(bytes, request);
    platform::HttpRequest again;
    if (parsed == platform::HttpParse::Incomplete &&
        platform::ParseHttpRequest(bytes.substr(0, bytes.size() / 2), again) != platform::HttpParse::Incomplete)
        __builtin_trap();
    if (parsed != platform::HttpParse::Done)
        return;
    if (request.target.empty() || request.target.front() != '/' || request.method.empty() ||
        request.target.compare(0, request.path.size(), request.path) != 0)
        __builtin_trap();
    const std::string longer = std::string(bytes) + std::string("\r\n\0x", 4);
    if (platform::ParseHttpRequest(longer, again) != platform::HttpParse::Done || again.target != request.target ||
        again.method != request.method)
        __builtin_trap();
}

// What an operator gives as the metrics address: one read back in dotted
// form reads the same again.
void CheckAddress(std::string_view text)
{
    platform::ListenAddress address;
    std::string error;
    if (!platform::ParseListenAddress(text, address, error))
        return;
    const std::uint32_t ip = address.ipv4;
    const std::string written = std::to_string(ip >> 24) + "." + std::to_string(ip >> 16 & 255) + "." +
                                std::to_string(ip >> 8 & 255) + "." + std::to_string(ip & 255) + ":" +
                                std::to_string(address.port);
    platform::ListenAddress again;
    if (!platform::ParseListenAddress(written, again, error) || again.ipv4 != address.ipv4 ||
        again.port != address.port)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckHead(bytes);
    CheckAddress(bytes.substr(0, 64));
    return 0;
}
