#include <gtest/gtest.h>

#include "gfx/Renderer.h"
#include "support/MapFile.h"
#include "world/Map.h"
#include "world/Ship.h"
#include "world/World.h"

namespace {

// Records how the renderer asked it to draw.
class Probe : public GameObject {
public:
    bool LoadTextures() override
    {
        ++loads;
        return true;
    }
    bool Draw(int camX, int camY) override
    {
        drawnX = camX;
        drawnY = camY;
        ++draws;
        return true;
    }
    int loads = 0;
    int draws = 0;
    int drawnX = 0;
    int drawnY = 0;
};

// A 100 x 100 map (3200 units a side) around a local ship; the display is
// the default 1024 x 768.
class DrawObjectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto bytes = MapFileBytes("Big", std::vector<std::vector<int>>(100, std::vector<int>(100, 0)));
        auto map = std::make_unique<Map>();
        ASSERT_TRUE(map->LoadFromBytes(bytes.data(), bytes.size()));
        world.SetMap(std::move(map));
        local = world.AddShip(std::make_unique<Ship>());
        renderer = Renderer::Instance();
        renderer->SetWorld(&world);
    }

    void TearDown() override { renderer->ForgetWorld(); }

    void PlaceCamera(double x, double y)
    {
        local->SetPosition(Vector3(x, y, 0));
        renderer->UpdateCamera();
    }

    World world;
    Ship* local = nullptr;
    Renderer* renderer = nullptr;
    Probe probe;
};

TEST_F(DrawObjectTest, CameraFollowsTheLocalShipTruncated)
{
    PlaceCamera(10.9, -3.7);
    EXPECT_EQ(renderer->CameraX(), 10);
    EXPECT_EQ(renderer->CameraY(), -3);
    renderer->SetWorld(nullptr);
    EXPECT_EQ(renderer->GetWorld(), &world) << "a null world keeps the old one";
}

TEST_F(DrawObjectTest, ObjectAcrossTheSeamIsDrawnFromTheNextImage)
{
    PlaceCamera(5, 1600);
    probe.SetPosition(Vector3(3200 - 5, 1600, 0));
    renderer->DrawObject(&probe);
    ASSERT_EQ(probe.draws, 1);
    EXPECT_EQ(probe.loads, 1) << "pictures are acquired before every draw";
    EXPECT_EQ(probe.drawnX, 5 + 3200);
    EXPECT_EQ(probe.drawnY, 1600);
    // Its screen x: (3195 - 3205) + 100, ten left of the world picture's centre.
}

TEST_F(DrawObjectTest, VerticalSeamToo)
{
    PlaceCamera(1600, 3190);
    probe.SetPosition(Vector3(1600, 20, 0));
    renderer->DrawObject(&probe);
    ASSERT_EQ(probe.draws, 1);
    EXPECT_EQ(probe.drawnY, 3190 - 3200);
}

TEST_F(DrawObjectTest, FarObjectsAreSkippedWithoutAnyCall)
{
    PlaceCamera(1600, 1600);
    probe.SetPosition(Vector3(1600 + 513, 1600, 0));
    renderer->DrawObject(&probe);
    probe.SetPosition(Vector3(1600, 1600 - 385, 0));
    renderer->DrawObject(&probe);
    EXPECT_EQ(probe.draws, 0);
    EXPECT_EQ(probe.loads, 0);
    probe.SetPosition(Vector3(1600 + 512, 1600 - 384, 0));
    renderer->DrawObject(&probe);
    EXPECT_EQ(probe.draws, 1) << "exactly half a screen away is on screen";
}

} // namespace
