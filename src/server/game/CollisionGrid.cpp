#include "server/game/CollisionGrid.h"

void CollisionGrid::Reset(int worldWidth, int worldHeight, int bucketSize)
{
    columns = std::max(1, worldWidth / std::max(1, bucketSize));
    rows = std::max(1, worldHeight / std::max(1, bucketSize));
    width = std::max(1, worldWidth) / static_cast<double>(columns);
    height = std::max(1, worldHeight) / static_cast<double>(rows);
    const auto buckets = static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows);
    if (spans.size() != buckets)
        spans.assign(buckets, Span {});
    for (std::size_t bucket : used)
        spans[bucket] = Span {};
    used.clear();
    added.clear();
    filed.clear();
}

void CollisionGrid::Add(int index, const Vector3& at)
{
    const int column = FoldCell(Bucket(WithinTwoTurns(at.x, columns * width), width), columns);
    const int row = FoldCell(Bucket(WithinTwoTurns(at.y, rows * height), height), rows);
    added.emplace_back(static_cast<std::size_t>(row * columns + column), index);
}

void CollisionGrid::Build()
{
    // A counting sort over the buckets in use: their sizes, where each
    // starts, then each index in its place, in the order added.
    for (const auto& [bucket, index] : added) {
        if (spans[bucket].end++ == 0)
            used.push_back(bucket);
    }
    std::uint32_t next = 0;
    for (std::size_t bucket : used) {
        Span& span = spans[bucket];
        const std::uint32_t size = span.end;
        span.begin = span.end = next;
        next += size;
    }
    filed.resize(added.size());
    for (const auto& [bucket, index] : added)
        filed[spans[bucket].end++] = index;
}
