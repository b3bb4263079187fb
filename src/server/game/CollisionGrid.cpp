#include "server/game/CollisionGrid.h"

void CollisionGrid::Reset(int worldWidth, int worldHeight, int bucketSize)
{
    columns = std::max(1, worldWidth / std::max(1, bucketSize));
    rows = std::max(1, worldHeight / std::max(1, bucketSize));
    width = std::max(1, worldWidth) / static_cast<double>(columns);
    height = std::max(1, worldHeight) / static_cast<double>(rows);
    added.clear();
    starts.clear();
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
    // A counting sort by bucket: the buckets' sizes, where each starts, then each in its place.
    starts.assign(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows) + 1, 0);
    for (const auto& [bucket, index] : added)
        ++starts[bucket + 1];
    for (std::size_t b = 1; b < starts.size(); ++b)
        starts[b] += starts[b - 1];
    filed.resize(added.size());
    filling.assign(starts.begin(), starts.end() - 1);
    for (const auto& [bucket, index] : added)
        filed[filling[bucket]++] = index;
}
