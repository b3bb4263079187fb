#pragma once

#include <cstdint>

#include "platform/Clock.h"

// Lifetimes in milliseconds of the short-lived entities.
constexpr std::uint32_t kBulletLifetime = 15000;
constexpr std::uint32_t kMineLifetime = 30000;
constexpr std::uint32_t kMissileLifetime = 30000;
constexpr std::uint32_t kPowerupLifetime = 30000;
constexpr std::uint32_t kShrapnelLifetime = 10000;

// The moment an entity was made, and whether it has outlived a lifetime by
// a given tick. The difference is unsigned, so the tick's wrap is harmless.
class Lifetime {
public:
    explicit Lifetime(std::uint32_t span) : createdAt(platform::TickCount()), span(span) {}

    bool Over(std::uint32_t now) const { return now - createdAt > span; }
    std::uint32_t CreatedAt() const { return createdAt; }
    void SetCreatedAt(std::uint32_t tick) { createdAt = tick; }

private:
    std::uint32_t createdAt;
    std::uint32_t span;
};
