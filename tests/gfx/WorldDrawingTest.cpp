#include <gtest/gtest.h>

#include <GL/gl.h>

#include <string>

#include "gfx/Renderer.h"
#include "support/MapFile.h"
#include "support/OffscreenGame.h"
#include "world/Bullet.h"
#include "world/Map.h"
#include "world/Mine.h"
#include "world/Missile.h"
#include "world/PlasmaMine.h"
#include "world/Powerup.h"
#include "world/Ship.h"
#include "world/Shrapnel.h"
#include "world/Turret.h"
#include "world/World.h"

namespace {

bool Lit(int x, int y)
{
    const Pixel p = ReadScreenPixel(x, y);
    return p.r + p.g + p.b > 40;
}

bool Red(int x, int y)
{
    const Pixel p = ReadScreenPixel(x, y);
    return p.r > 100 && p.g < 60 && p.b < 60;
}

bool Blue(int x, int y)
{
    const Pixel p = ReadScreenPixel(x, y);
    return p.b > 150 && p.r < 60 && p.g < 60;
}

// Whether some pixel in the square of half-size r around (x, y) passes;
// lines on pixel boundaries may land on either side.
template <typename Test>
bool Near(Test test, int x, int y, int r)
{
    for (int j = -r; j <= r; ++j) {
        for (int i = -r; i <= r; ++i) {
            if (test(x + i, y + j))
                return true;
        }
    }
    return false;
}

bool LitNear(int x, int y, int r)
{
    return Near(Lit, x, y, r);
}

// A world on a 16 x 12 map whose top row holds every wall shape and a
// fuel block, with the camera (the local ship) at (256, 256).
class WorldScene : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!OpenOffscreenGame())
            GTEST_SKIP() << "no GL driver";
        std::vector<std::vector<int>> rows(12, std::vector<int>(16, 0));
        const int top[] = {1, 2, 3, 4, 5, 6};
        for (int i = 0; i < 6; ++i)
            rows[3][5 + i] = top[i];
        const auto bytes = MapFileBytes("Scene", rows);
        auto loaded = std::make_unique<Map>();
        ASSERT_TRUE(loaded->LoadFromBytes(bytes.data(), bytes.size()));
        map = loaded.get();
        world.SetMap(std::move(loaded));
        local = Add(std::make_unique<Ship>(), 256, 256);
        local->SetLocal(true);
        renderer = Renderer::Instance();
        renderer->SetWorld(&world);
        renderer->UpdateCamera();
        map->SetPosition(local->Position());
    }

    void TearDown() override
    {
        showCollisionOutlines = false;
        if (renderer)
            renderer->ForgetWorld();
    }

    template <typename T>
    T* Add(std::unique_ptr<T> made, double x, double y)
    {
        T* object = made.get();
        object->ForceRespawn(static_cast<float>(x), static_cast<float>(y));
        object->SetPosition(Vector3(x, y, 0));
        if constexpr (std::is_same_v<T, Ship>)
            world.AddShip(std::move(made));
        else if constexpr (std::is_same_v<T, Turret>)
            world.AddTurret(std::move(made));
        else
            world.AddEntity(std::move(made), static_cast<int>(world.EntityCount()) + 1);
        return object;
    }

    // Screen point of a world point, for the camera at (256, 256).
    static int Sx(double x) { return static_cast<int>(x - 256 + 100); }
    static int Sy(double y) { return static_cast<int>(-(y - 256)); }

    void DrawAll()
    {
        renderer->BeginFrame();
        map->LoadTextures();
        map->Draw(renderer->CameraX(), renderer->CameraY());
        for (Turret* t = world.TurretsBegin(); t; t = world.TurretsNext())
            renderer->DrawObject(t);
        for (GameObject* e = world.EntitiesBegin(); e; e = world.EntitiesNext())
            renderer->DrawObject(e);
        for (Ship* s = world.ShipsBegin(); s; s = world.ShipsNext())
            renderer->DrawObject(s);
    }

    World world;
    Map* map = nullptr;
    Ship* local = nullptr;
    Renderer* renderer = nullptr;
};

TEST_F(WorldScene, EverythingDrawsWhereTheWorldPutsIt)
{
    local->AddFlags(kFlagCloaked);
    Ship* shielded = Add(std::make_unique<Ship>(), 356, 256);
    shielded->SetShipType(3);
    shielded->AddFlags(kFlagShield);
    Ship* hidden = Add(std::make_unique<Ship>(), 156, 256);
    hidden->AddFlags(kFlagCloaked | kFlagRefuelling);
    hidden->SetFuelLink(156, 330);
    Add(std::make_unique<Bullet>(), 300, 300);
    Add(std::make_unique<Mine>(), 200, 320);
    Add(std::make_unique<PlasmaMine>(), 240, 320);
    Add(std::make_unique<Missile>(), 280, 320);
    Powerup* fuel = Add(std::make_unique<Powerup>(), 320, 200);
    fuel->SetKind(kPowerupFuel);
    Add(std::make_unique<Powerup>(), 360, 200);
    Turret* live = Add(std::make_unique<Turret>(), 176, 176);
    live->SetDirection(kTurretUp);
    Turret* dead = Add(std::make_unique<Turret>(), 336, 176);
    dead->SetDirection(kTurretLeft);
    dead->Kill();
    Add(std::make_unique<Shrapnel>(), 200, 200)->SetVariant(1);
    DrawAll();
    SaveScreenForReview("world-scene");

    EXPECT_TRUE(LitNear(Sx(256), Sy(256), 3)) << "the cloaked local ship shows with its cloak";
    EXPECT_TRUE(LitNear(Sx(356), Sy(256), 3)) << "the shielded opponent";
    EXPECT_FALSE(LitNear(Sx(156) + 10, Sy(256), 3)) << "a cloaked opponent shows no body";
    EXPECT_TRUE(Near(Red, Sx(156), Sy(256) - 40, 4)) << "but its refuelling line, dashed";
    EXPECT_TRUE(Lit(Sx(300), Sy(300))) << "a bullet";
    EXPECT_FALSE(Lit(Sx(300) + 3, Sy(300)));
    for (double x : {200.0, 240.0, 280.0})
        EXPECT_TRUE(LitNear(Sx(x), Sy(320), 2)) << "mine, plasma mine, missile at " << x;
    EXPECT_TRUE(LitNear(Sx(320), Sy(200), 4)) << "a powerup";
    EXPECT_TRUE(LitNear(Sx(176), Sy(176) - 8, 3)) << "a live turret";
    EXPECT_TRUE(LitNear(Sx(336) + 8, Sy(176), 3)) << "a dead turret is drawn too";
    EXPECT_TRUE(LitNear(Sx(200), Sy(200), 3)) << "shrapnel";

    // Walls: column 5 of row 3 is a solid wall at x 160..192, y 96..128.
    EXPECT_TRUE(Near(Blue, Sx(160) + 10, Sy(96), 1)) << "the wall's blue top edge";
    EXPECT_FALSE(Near(Blue, Sx(160) + 16, Sy(96) - 16, 4)) << "drawn as an outline";
    // Fuel block at column 10: amber in its middle.
    const Pixel block = ReadScreenPixel(Sx(10 * 32 + 16), Sy(3 * 32 + 28));
    EXPECT_GT(block.r, 150);
    EXPECT_GT(block.g, 80);
    renderer->EndFrame();

    // With the outlines on, collision shapes are traced in red wireframe.
    showCollisionOutlines = true;
    DrawAll();
    SaveScreenForReview("world-scene-outlines");
    EXPECT_TRUE(Near(Red, Sx(160) - 1, Sy(96) - 16, 1)) << "the wall cell's outline, a unit outside the cell";
    EXPECT_FALSE(Red(Sx(160) + 16, Sy(96) - 16)) << "not filled";
    EXPECT_TRUE(Near(Red, Sx(200) - 6, Sy(320), 1)) << "the mine's rectangle";
    EXPECT_TRUE(Near(Red, Sx(176), Sy(176) - 8, 2)) << "a turret's outline is a solid triangle";
    renderer->EndFrame();
}

// Exposes the outline drawing, to draw a ship's outline alone.
class OutlineProbe : public Ship {
public:
    void DrawOutlineOnly(int sx, int sy) { DrawOutlines(Hull(), sx, sy); }
};

TEST_F(WorldScene, EveryDesignSitsOnItsOutlineAtEveryHeading)
{
    OutlineProbe* ship = Add(std::make_unique<OutlineProbe>(), 300, 300);
    for (int design = 0; design < Ship::kDesigns; ++design) {
        ship->SetShipType(design);
        ship->ClearTextures();
        for (int heading : {0, 90, 180, 270}) {
            ship->SetHeading(static_cast<float>(heading));
            renderer->BeginFrame();
            renderer->DrawObject(ship);
            const int sx = Sx(300), sy = Sy(300);
            bool sprite[40][40];
            for (int j = 0; j < 40; ++j)
                for (int i = 0; i < 40; ++i)
                    sprite[j][i] = ReadScreenPixel(sx - 20 + i, sy - 20 + j).a > 0 || Lit(sx - 20 + i, sy - 20 + j);
            glClear(GL_COLOR_BUFFER_BIT);
            glDisable(GL_TEXTURE_2D);
            glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
            glColor4f(1, 0, 0, 1);
            ship->DrawOutlineOnly(sx, sy);
            int outline = 0, covered = 0;
            for (int j = 1; j < 39; ++j) {
                for (int i = 1; i < 39; ++i) {
                    if (!Red(sx - 20 + i, sy - 20 + j))
                        continue;
                    ++outline;
                    bool near = false;
                    for (int dj = -1; dj <= 1; ++dj)
                        for (int di = -1; di <= 1; ++di)
                            near = near || sprite[j + dj][i + di];
                    covered += near;
                }
            }
            renderer->EndFrame();
            ASSERT_GT(outline, 10) << "design " << design;
            EXPECT_GE(covered * 10, outline * 9)
                << "design " << design << " at heading " << heading << ": " << covered << " of " << outline;
        }
    }

    // For the eye: every design (rows) at 0, 90, 180 and 270 (columns),
    // with and without its outline.
    renderer->BeginFrame();
    for (int design = 0; design < Ship::kDesigns; ++design) {
        for (int k = 0; k < 8; ++k) {
            ship->SetShipType(design);
            ship->ClearTextures();
            ship->SetHeading(static_cast<float>(90 * (k % 4)));
            ship->SetPosition(Vector3(120 + 40 * k, 150 + 40 * design, 0));
            showCollisionOutlines = k >= 4;
            renderer->DrawObject(ship);
        }
    }
    SaveScreenForReview("ship-designs");
    renderer->EndFrame();
}

} // namespace
