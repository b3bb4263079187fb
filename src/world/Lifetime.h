#pragma once

#include <cstdint>

// Lifetimes in milliseconds of the short-lived entities.
constexpr std::uint32_t kBulletLifetime = 15000;
constexpr std::uint32_t kMineLifetime = 30000;
constexpr std::uint32_t kMissileLifetime = 30000;
constexpr std::uint32_t kPowerupLifetime = 30000;
constexpr std::uint32_t kShrapnelLifetime = 10000;

// The moment on its world's clock an entity was placed, and whether it has
// outlived a lifetime by a given moment. The clock counts up from 0 in 64
// bits, so it never wraps.
class Lifetime {
public:
    explicit Lifetime(std::uint32_t span) : span(span) {}

    void Start(std::uint64_t now) { createdAt = now; }
    bool Over(std::uint64_t now) const { return now - createdAt > span; }
    std::uint64_t CreatedAt() const { return createdAt; }

private:
    std::uint64_t createdAt = 0;
    std::uint32_t span;
};
