#include "master/FloodGate.h"

#include <algorithm>

double FloodGate::Refilled(const Bucket& bucket, std::int64_t nowMs) const
{
    const double gained = double(std::max<std::int64_t>(0, nowMs - bucket.atMs)) * perMinute / 60000.0;
    return std::min<double>(perMinute, bucket.left + gained);
}

bool FloodGate::Admits(std::uint64_t key, std::int64_t nowMs)
{
    const auto [at, fresh] = buckets.try_emplace(key, Bucket {double(perMinute), nowMs});
    Bucket& bucket = at->second;
    if (!fresh)
        bucket = {Refilled(bucket, nowMs), nowMs};
    if (bucket.left < 1.0)
        return false;
    bucket.left -= 1.0;
    return true;
}

void FloodGate::Prune(std::int64_t nowMs)
{
    std::erase_if(buckets, [&](const auto& entry) { return Refilled(entry.second, nowMs) >= perMinute; });
}
