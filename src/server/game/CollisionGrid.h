#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "world/Torus.h"
#include "world/Vector3.h"

// Things filed by where they are on the torus, in square buckets, so that
// contact tests look only at near neighbours instead of at everything.
// Each is known by a number of the caller's (an index into its own list).
// Filing is two passes: Add everything, then Build.
class CollisionGrid {
public:
    // Empties the grid; its buckets are at least bucketSize wide and tile
    // the world exactly.
    void Reset(int worldWidth, int worldHeight, int bucketSize);
    void Add(int index, const Vector3& at);
    void Build();

    // Every index filed in the buckets that a square of the given reach
    // around a point touches, each once.
    template <typename Visit>
    void Near(const Vector3& at, double reach, Visit visit) const
    {
        if (spans.empty())
            return;
        const int left = Bucket(at.x - reach, width);
        const int top = Bucket(at.y - reach, height);
        const int across = std::min(columns, Bucket(at.x + reach, width) - left + 1);
        const int down = std::min(rows, Bucket(at.y + reach, height) - top + 1);
        for (int j = 0; j < down; ++j) {
            const int row = FoldCell(top + j, rows);
            for (int i = 0; i < across; ++i) {
                const Span& span = spans[static_cast<std::size_t>(row * columns + FoldCell(left + i, columns))];
                for (std::uint32_t k = span.begin; k < span.end; ++k)
                    visit(filed[k]);
            }
        }
    }

private:
    static int Bucket(double coordinate, double extent) { return static_cast<int>(std::floor(coordinate / extent)); }

    int columns = 0;
    int rows = 0;
    double width = 1.0;
    double height = 1.0;
    // Where a bucket's indices lie in filed. Only the buckets in use are
    // touched each tick: a large map has far more buckets than things.
    struct Span {
        std::uint32_t begin = 0;
        std::uint32_t end = 0;
    };
    std::vector<std::pair<std::size_t, int>> added; // bucket, index
    std::vector<Span> spans;
    std::vector<std::size_t> used; // buckets with anything in them, in no order
    std::vector<int> filed;
};
