#pragma once

#include <cstdint>
#include <unordered_map>

// So many requests per key (an address, or an address and port) per
// minute, refilled steadily: a server registers every 15 s and at each
// change, a flood far more often.
class FloodGate {
public:
    explicit FloodGate(int perMinute) : perMinute(perMinute) {}

    bool Admits(std::uint64_t key, std::int64_t nowMs);
    // Forgets addresses whose allowance is whole again.
    void Prune(std::int64_t nowMs);

private:
    struct Bucket {
        double left;
        std::int64_t atMs;
    };
    double Refilled(const Bucket& bucket, std::int64_t nowMs) const;

    int perMinute;
    std::unordered_map<std::uint64_t, Bucket> buckets;
};
