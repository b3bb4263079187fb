#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "server/engine/MasterLink.h"
#include "server/engine/ServerListing.h"

// The server's registration with every master of the internet list it is
// told of, under a secret drawn for this run: the listing as it stands,
// challenges taken off the game port, and the unregistration at the end.
// Without masters it does nothing.
class Registrar {
public:
    // "QRMC", its version and the token's 16 bytes.
    static constexpr std::size_t kChallengeSize = 21;
    // The listing is looked at this often, so news goes out about at once.
    static constexpr std::uint64_t kLookEveryMs = 1000;

    // Masters' URLs as the options checked them.
    explicit Registrar(const std::vector<std::string>& urls, RegistrationTiming timing = {});

    bool Active() const { return !links.empty(); }
    // Whether the listing is due to be looked at again, by the game's clock.
    bool Due(std::uint64_t now) const { return Active() && (!last || now - lookedAt >= kLookEveryMs); }
    void Describe(const ServerListing& listing, std::uint64_t now);
    // Takes a master's challenge off the game port (address in host order):
    // false for any other datagram.
    bool Offer(std::uint32_t from, const std::uint8_t* data, std::size_t size);
    // Unregisters from every master at once, waiting at most `wait` in all.
    void End(std::chrono::milliseconds wait);
    std::vector<std::string> TakeLogLines();

    // The token a challenge carries, as 32 lowercase hexadecimal digits.
    static std::optional<std::string> TokenOf(const std::uint8_t* data, std::size_t size);
    // 32 hexadecimal digits of 16 random bytes.
    static std::string NewSecret();

private:
    const std::string secret;
    std::vector<std::unique_ptr<MasterLink>> links;
    std::optional<ServerListing> last;
    std::uint64_t lookedAt = 0;
};
