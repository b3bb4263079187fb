#include "server/engine/Registrar.h"

#include <cstring>

#include <sodium.h>

namespace {

std::string Hex(const std::uint8_t* bytes, std::size_t size)
{
    std::string text(size * 2 + 1, '\0');
    sodium_bin2hex(text.data(), text.size(), bytes, size);
    text.pop_back();
    return text;
}

} // namespace

Registrar::Registrar(const std::vector<std::string>& urls, RegistrationTiming timing) : secret(NewSecret())
{
    std::string why;
    for (const std::string& text : urls) {
        if (const auto url = platform::HttpUrl::Parse(text, why))
            links.push_back(std::make_unique<MasterLink>(*url, secret, timing));
    }
}

void Registrar::Describe(const ServerListing& listing, std::uint64_t now)
{
    const bool news = last && listing.LineUpDiffers(*last);
    for (const auto& link : links)
        link->Describe(listing, news);
    last = listing;
    lookedAt = now;
}

bool Registrar::Offer(std::uint32_t from, const std::uint8_t* data, std::size_t size)
{
    const auto token = TokenOf(data, size);
    if (!token)
        return false;
    // The master's own address first; a master that sends from another
    // (behind a translating router, say) still gets its answer.
    bool taken = false;
    for (const auto& link : links)
        taken = link->Challenged(from, *token, false) || taken;
    if (!taken) {
        for (const auto& link : links)
            link->Challenged(from, *token, true);
    }
    return true;
}

void Registrar::End(std::chrono::milliseconds wait)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (const auto& link : links)
        link->End();
    for (const auto& link : links)
        link->EndBy(deadline);
}

std::vector<std::string> Registrar::TakeLogLines()
{
    std::vector<std::string> lines;
    for (const auto& link : links) {
        for (std::string& line : link->TakeLogLines())
            lines.push_back(std::move(line));
    }
    return lines;
}

std::optional<std::string> Registrar::TokenOf(const std::uint8_t* data, std::size_t size)
{
    if (size != kChallengeSize || std::memcmp(data, "QRMC", 4) != 0 || data[4] != 1)
        return std::nullopt;
    return Hex(data + 5, 16);
}

std::string Registrar::NewSecret()
{
    std::uint8_t bytes[16];
    randombytes_buf(bytes, sizeof bytes);
    return Hex(bytes, sizeof bytes);
}
