#pragma once

#include <cstdint>
#include <unordered_map>

// So many registrations per address per minute, refilled steadily: a
// server registers every 15 s and at each change, a flood far more often.
class FloodGate {
public:
    explicit FloodGate(int perMinute) : perMinute(perMinute) {}

    bool Admits(std::uint32_t address, std::int64_t nowMs);
    // Forgets addresses whose allowance is whole again.
    void Prune(std::int64_t nowMs);

private:
    struct Bucket {
        double left;
        std::int64_t atMs;
    };
    double Refilled(const Bucket& bucket, std::int64_t nowMs) const;

    int perMinute;
    std::unordered_map<std::uint32_t, Bucket> buckets;
};
