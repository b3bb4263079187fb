#include "platform/Sha256.h"

#include <sodium.h>

namespace platform {

Sha256 HashOf(const std::uint8_t* data, std::size_t size)
{
    static_assert(crypto_hash_sha256_BYTES == sizeof(Sha256));
    Sha256 hash {};
    crypto_hash_sha256(hash.data(), data, size);
    return hash;
}

std::string HexOf(const Sha256& hash)
{
    char text[sizeof(Sha256) * 2 + 1] = {};
    sodium_bin2hex(text, sizeof text, hash.data(), hash.size());
    return text;
}

} // namespace platform
