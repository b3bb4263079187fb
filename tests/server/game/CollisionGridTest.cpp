#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "server/game/CollisionGrid.h"

namespace {

// Everything near a point across the torus's edges, each once, tick after
// tick as things come, go and move; a thing far outside the world is filed
// where it folds to.
TEST(CollisionGrid, NearFindsWhatIsNearAcrossTheEdgesTickAfterTick)
{
    constexpr int kWidth = 1024;
    constexpr int kHeight = 640;
    CollisionGrid grid;
    std::mt19937 dice(3);
    std::uniform_real_distribution<double> x(-3000.0, 3000.0);
    std::uniform_real_distribution<double> y(-2000.0, 2000.0);
    const auto apart = [](double a, double b, double size) {
        const double d = std::fmod(std::fabs(a - b), size);
        return std::min(d, size - d);
    };
    for (int tick = 0; tick < 20; ++tick) {
        grid.Reset(kWidth, kHeight, 64);
        std::vector<Vector3> things;
        for (int i = 0; i < 30 + tick * 7; ++i) {
            things.emplace_back(x(dice), y(dice), 0.0);
            grid.Add(i, things.back());
        }
        grid.Build();
        for (int probe = 0; probe < 50; ++probe) {
            const Vector3 at(x(dice), y(dice), 0.0);
            std::vector<int> found;
            grid.Near(at, 48.0, [&](int index) { found.push_back(index); });
            std::vector<int> sorted = found;
            std::sort(sorted.begin(), sorted.end());
            ASSERT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end()) << "each once";
            for (std::size_t i = 0; i < things.size(); ++i) {
                const bool near = apart(things[i].x, at.x, kWidth) <= 48.0 && apart(things[i].y, at.y, kHeight) <= 48.0;
                const bool found = std::binary_search(sorted.begin(), sorted.end(), static_cast<int>(i));
                ASSERT_TRUE(found || !near) << "tick " << tick << " thing " << i;
            }
        }
    }
}

} // namespace
