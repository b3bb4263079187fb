#include <gtest/gtest.h>

#include <memory>

#include "app/WatchView.h"
#include "support/MapFile.h"
#include "world/Ship.h"
#include "world/World.h"

namespace {

// A live game as a watcher's world holds it: ships by id, none its own,
// on a map of 4 by 4 cells (128 units each way).
class WatchViewTest : public ::testing::Test {
protected:
    void SetUp() override { world.SetMap(MapOf(Rows(4, 4))); }
    Ship* Add(int id, const char* name, int score, bool alive = true)
    {
        auto made = std::make_unique<Ship>();
        made->SetName(name);
        Ship* ship = world.AddShip(std::move(made));
        world.SetShipId(ship, id);
        ship->ForceRespawn(static_cast<float>(10 * id), 20.0f);
        ship->SetScore(static_cast<signed char>(score));
        if (!alive)
            ship->Kill();
        return ship;
    }
    void Frame(WatchView::Keys keys = {}, int ms = 16) { view.Frame(world, keys, ms); }
    int Followed() { return world.FirstShip()->GetId(); }

    World world;
    WatchView view;
};

TEST_F(WatchViewTest, FollowsTheLeaderThenTabGoesRoundTheLivingAndShiftTabBack)
{
    Add(1, "Ace", 1);
    Add(2, "Vega", 4);
    Add(3, "Wreck", 9, false);
    Add(4, "Nova", 2);
    Frame();
    EXPECT_EQ(Followed(), 3) << "the best score leads, alive or not";
    EXPECT_EQ(view.Caption(), "Watching: following Wreck   Tab next ship, arrows free camera");

    const auto step = [&](int way) {
        Frame({way});
        Frame();
        return Followed();
    };
    EXPECT_EQ(step(1), 4) << "past the wreck";
    EXPECT_EQ(step(1), 1);
    EXPECT_EQ(step(-1), 4);
    EXPECT_EQ(step(-1), 2);
    world.FindShip(3)->SetScore(20);
    Frame();
    EXPECT_EQ(Followed(), 2) << "the choice holds over a new leader";
    world.RemoveShip(world.FindShip(2));
    Frame();
    EXPECT_EQ(Followed(), 3) << "the leader again once the chosen ship left";
    Add(5, "Constantinople Express", 30);
    Frame();
    EXPECT_EQ(view.Caption(), "Watching: following Constantinopl   Tab next ship, arrows free camera")
        << "a long name cut as the scoreboard cuts it";
}

TEST_F(WatchViewTest, ArrowsFlyAFreeCameraFromTheFollowedShipRoundTheMapUntilTab)
{
    Add(1, "Ace", 0);
    Add(2, "Vega", 0);
    Frame();
    ASSERT_FALSE(view.IsFree());
    WatchView::Keys left;
    left.left = true;
    Frame(left, 0);
    ASSERT_TRUE(view.IsFree());
    EXPECT_DOUBLE_EQ(view.CameraX(), 10.0) << "from where the view was";
    EXPECT_DOUBLE_EQ(view.CameraY(), 20.0);
    Frame(left, 100);
    EXPECT_DOUBLE_EQ(view.CameraX(), 10.0 - 70.0 + 128.0) << "round the torus";
    WatchView::Keys down;
    down.down = true;
    Frame(down, 1000);
    EXPECT_DOUBLE_EQ(view.CameraY(), 20.0 + 700.0 - 5 * 128.0);
    EXPECT_EQ(view.Caption(), "Watching: free camera   Tab follows a ship");
    Frame({1});
    EXPECT_FALSE(view.IsFree());
    EXPECT_EQ(Followed(), 2);
}

} // namespace
