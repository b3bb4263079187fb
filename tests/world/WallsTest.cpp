#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "support/MapFile.h"
#include "world/Bullet.h"
#include "world/CellKind.h"
#include "world/Mine.h"
#include "world/Powerup.h"
#include "world/Ship.h"
#include "world/WallCell.h"
#include "world/Walls.h"

namespace {

// Open space is passed over without a look at its cells; that must never
// hide a touch. Every spot around a wall at the seams' corner, a half wall
// and a fuel block finds exactly what testing each of them directly finds,
// for things small and large, turned and not.
TEST(Walls, FindWhatATestOfEachWallFindsAroundThemAndAcrossTheSeams)
{
    MapRows rows = Rows(26, 34);
    const std::vector<std::pair<int, int>> solid = {{0, 0}, {17, 13}, {20, 13}};
    rows[0][0] = kCellWall;
    rows[13][17] = kCellWallLowerRight;
    rows[13][20] = kCellFuel;
    const auto map = MapOf(rows);
    Walls walls;
    walls.Learn(*map);
    const auto width = static_cast<float>(map->WorldWidth());
    const auto height = static_cast<float>(map->WorldHeight());
    std::vector<std::unique_ptr<WallCell>> direct;
    for (const auto& [c, r] : solid) {
        direct.push_back(std::make_unique<WallCell>(map->GetTilePolygon(c, r)));
        direct.back()->MoveTo(*map, c, r);
    }

    std::vector<std::unique_ptr<GameObject>> things;
    things.push_back(std::make_unique<Bullet>());
    things.push_back(std::make_unique<Mine>());
    things.push_back(std::make_unique<Powerup>());
    things.push_back(std::make_unique<Ship>());
    int touches = 0;
    for (const auto& thing : things) {
        for (const auto& wall : direct) {
            for (int dx = -90; dx <= 90; dx += 3) {
                for (int dy = -90; dy <= 90; dy += 3) {
                    thing->SetPosition(wall->Position() + Vector3(dx, dy, 0));
                    thing->Wrap(map->WorldWidth(), map->WorldHeight());
                    thing->SetHeading(static_cast<float>((dx + dy + 180) % 360));
                    bool expected = false;
                    for (const auto& each : direct)
                        expected = expected || thing->Collides(each.get(), width, height);
                    const WallCell* found = walls.FirstTouching(
                        *thing, [&](WallCell& cell) { return thing->Collides(&cell, width, height); });
                    ASSERT_EQ(found != nullptr, expected) << "at " << thing->Position().x << ", " << thing->Position().y;
                    touches += expected;
                }
            }
        }
    }
    EXPECT_GT(touches, 1000) << "the spots come near enough to touch";
}

} // namespace
