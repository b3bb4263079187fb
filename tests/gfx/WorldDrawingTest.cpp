#include <gtest/gtest.h>

#include <GL/gl.h>

#include <functional>
#include <iterator>
#include <tuple>

#include "gfx/FlagView.h"
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
        return ++draws > 0;
    }
    int loads = 0, draws = 0, drawnX = 0, drawnY = 0;
};


// An object is drawn from the camera's image nearest to it, pictures
// acquired first; one more than half a screen away is not drawn at all. The
// camera follows the local ship, truncated; the map is 3200 units a side and
// the display the default 1024 x 768.
TEST(DrawObject, ObjectsAcrossTheSeamAreDrawnFromTheNextImageFarOnesNotAtAll)
{
    World world;
    world.SetMap(MapOf(Rows(100, 100)));
    Ship* local = world.AddShip(std::make_unique<Ship>());
    Renderer* renderer = Renderer::Instance();
    renderer->SetWorld(&world);
    // Camera, object, then the draws expected and the camera they are given.
    for (const auto& [camX, camY, x, y, draws, drawnX, drawnY] :
         {std::tuple(5.9, 1600.7, 3195.0, 1600.0, 1, 5 + 3200, 1600), {1600, 3190, 1600, 20, 1, 1600, 3190 - 3200},
          {1600, 1600, 1600 + 512, 1600 - 384, 1, 1600, 1600}, {1600, 1600, 1600 + 513, 1600, 0, 0, 0},
          {1600, 1600, 1600, 1600 - 385, 0, 0, 0}}) {
        SCOPED_TRACE(testing::Message() << x << ", " << y);
        local->SetPosition(Vector3(camX, camY, 0));
        renderer->UpdateCamera();
        Probe probe;
        probe.SetPosition(Vector3(x, y, 0));
        renderer->DrawObject(&probe);
        EXPECT_EQ(std::tuple(probe.draws, probe.loads, probe.drawnX, probe.drawnY),
                  std::tuple(draws, draws, drawnX, drawnY));
    }
    renderer->SetWorld(nullptr);
    EXPECT_EQ(renderer->GetWorld(), &world) << "a null world keeps the old one";
    renderer->ForgetWorld();
}

using PixelTest = std::function<bool(Pixel)>;
const PixelTest kLit = [](Pixel p) { return p.r + p.g + p.b > 40; };
const PixelTest kRed = [](Pixel p) { return p.r > 100 && p.g < 60 && p.b < 60; };
const PixelTest kBlue = [](Pixel p) { return p.b > 150 && p.r < 60 && p.g < 60; };

// Whether some pixel in the square of half-size r around (x, y) passes;
// lines on pixel boundaries may land on either side.
bool Near(const Frame& frame, const PixelTest& test, int x, int y, int r)
{
    return frame.Any(x - r, y - r, 2 * r + 1, 2 * r + 1, test);
}

// A world on a 16 x 12 map whose row 3 holds every wall shape and a fuel
// block from column 5 on, with the camera (the local ship) at (256, 256).
class WorldScene : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!OpenOffscreenGame())
            GTEST_SKIP() << "no GL driver";
        MapRows rows = Rows(12, 16);
        for (int kind = 1; kind <= 6; ++kind)
            rows[3][4 + kind] = kind;
        world.SetMap(MapOf(rows));
        map = world.GetMap();
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

    Frame DrawAll(const KnownFlags& known = {})
    {
        renderer->BeginFrame();
        map->LoadTextures();
        map->Draw(renderer->CameraX(), renderer->CameraY());
        DrawBases(known);
        for (Turret* t = world.TurretsBegin(); t; t = world.TurretsNext())
            renderer->DrawObject(t);
        for (GameObject* e = world.EntitiesBegin(); e; e = world.EntitiesNext())
            renderer->DrawObject(e);
        for (Ship* s = world.ShipsBegin(); s; s = world.ShipsNext())
            renderer->DrawObject(s);
        DrawFlags(known, world);
        Frame frame;
        renderer->EndFrame();
        return frame;
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
    Add(std::make_unique<Powerup>(), 320, 200)->SetKind(kPowerupFuel);
    Add(std::make_unique<Turret>(), 176, 176)->SetDirection(kTurretUp);
    Turret* dead = Add(std::make_unique<Turret>(), 336, 176);
    dead->SetDirection(kTurretLeft);
    dead->Kill();
    Add(std::make_unique<Shrapnel>(), 200, 200)->SetVariant(1);
    const Frame frame = DrawAll();
    EXPECT_TRUE(Near(frame, kLit, Sx(256), Sy(256), 3)) << "the cloaked local ship shows with its cloak";
    EXPECT_TRUE(Near(frame, kLit, Sx(356), Sy(256), 3)) << "the shielded opponent";
    EXPECT_FALSE(Near(frame, kLit, Sx(156) + 10, Sy(256), 3)) << "a cloaked opponent shows no body";
    EXPECT_TRUE(Near(frame, kRed, Sx(156), Sy(256) - 40, 4)) << "but its refuelling line, dashed";
    EXPECT_TRUE(kLit(frame.At(Sx(300), Sy(300)))) << "a bullet";
    EXPECT_FALSE(kLit(frame.At(Sx(300) + 3, Sy(300))));
    for (double x : {200.0, 240.0, 280.0})
        EXPECT_TRUE(Near(frame, kLit, Sx(x), Sy(320), 2)) << "mine, plasma mine, missile at " << x;
    EXPECT_TRUE(Near(frame, kLit, Sx(320), Sy(200), 4)) << "a powerup";
    EXPECT_TRUE(Near(frame, kLit, Sx(176), Sy(176) - 8, 3)) << "a live turret";
    EXPECT_TRUE(Near(frame, kLit, Sx(336) + 8, Sy(176), 3)) << "a dead turret is drawn too";
    EXPECT_TRUE(Near(frame, kLit, Sx(200), Sy(200), 3)) << "shrapnel";
    // Column 5 of row 3 is a solid wall at x 160..192, y 96..128.
    EXPECT_TRUE(Near(frame, kBlue, Sx(160) + 10, Sy(96), 1)) << "the wall's blue top edge";
    EXPECT_FALSE(Near(frame, kBlue, Sx(160) + 16, Sy(96) - 16, 4)) << "drawn as an outline";
    const Pixel block = frame.At(Sx(10 * 32 + 16), Sy(3 * 32 + 28));
    EXPECT_TRUE(block.r > 150 && block.g > 80) << "the fuel block at column 10 is amber";

    // With the outlines on, collision shapes are traced in red wireframe.
    showCollisionOutlines = true;
    const Frame outlined = DrawAll();
    EXPECT_TRUE(Near(outlined, kRed, Sx(160) - 1, Sy(96) - 16, 1)) << "the wall cell's outline, a unit outside";
    EXPECT_FALSE(kRed(outlined.At(Sx(160) + 16, Sy(96) - 16))) << "not filled";
    EXPECT_TRUE(Near(outlined, kRed, Sx(200) - 6, Sy(320), 1)) << "the mine's rectangle";
    EXPECT_TRUE(Near(outlined, kRed, Sx(176), Sy(176) - 8, 2)) << "a turret's outline is a solid triangle";
}

// Names over other ships: plain red in a deathmatch, a side's tint in a
// team game; never over the own ship.
TEST_F(WorldScene, NamesTakeTheirSidesTintAndStayPlainRedWithout)
{
    local->SetName("Me");
    local->SetTeam(Team::Red);
    const auto named = [&](const char* name, double x, Team team) {
        Ship* ship = Add(std::make_unique<Ship>(), x, 330);
        ship->SetName(name);
        ship->SetTeam(team);
    };
    named("Lone", 180, Team::None);
    named("Ruby", 260, Team::Red);
    named("Skye", 340, Team::Blue);
    const Frame frame = DrawAll();
    const PixelTest tints[] = {PlainRed, RedTint, BlueTint};
    const std::tuple<double, std::size_t, const char*> kLabels[] = {
        {180, 0, "no side"}, {260, 1, "Red"}, {340, 2, "Blue"}};
    // Four letters, 40 wide about the ship, from 26 above it: its tint and no other.
    for (const auto& [x, expected, what] : kLabels) {
        for (std::size_t i = 0; i < std::size(tints); ++i)
            EXPECT_EQ(frame.Any(Sx(x) - 20, Sy(330) + 28, 40, 12, tints[i]), i == expected) << what << ", tint " << i;
    }
    EXPECT_FALSE(frame.Any(Sx(256) - 10, Sy(256) + 28, 20, 12)) << "the own ship has no label";
}

// In a team game every ship, the own one too, is ringed in its side's tint
// just outside its picture, which is drawn as it is without a side; a ship
// without a side and a cloaked opponent have no ring.
TEST_F(WorldScene, ShipsAreRingedInTheirSidesTintAroundAnUnchangedPicture)
{
    local->SetTeam(Team::Blue);
    const auto ship = [&](double x, double y, Team team) {
        Ship* made = Add(std::make_unique<Ship>(), x, y);
        made->SetTeam(team);
        made->SetHeading(30.0f);
        return made;
    };
    ship(180, 330, Team::None);
    ship(260, 330, Team::Red);
    ship(340, 330, Team::Blue);
    ship(340, 180, Team::Red)->AddFlags(kFlagCloaked);
    const Frame frame = DrawAll();
    // Where each ship is, then whether it shows a red ring and a blue one.
    const std::tuple<double, double, bool, bool, const char*> kRings[] = {
        {256, 256, false, true, "own, Blue"}, {180, 330, false, false, "no side"}, {260, 330, true, false, "Red"},
        {340, 330, false, true, "Blue"},      {340, 180, false, false, "cloaked opponent"}};
    for (const auto& [x, y, red, blue, what] : kRings) {
        SCOPED_TRACE(what);
        // Up, down, left and right of the middle, 20 out (the picture ends at
        // 16): a band 7 pixels across, filled, not a wireframe's edges.
        for (const auto& [dx, dy] : {std::pair{20, 0}, {-20, 0}, {0, 20}, {0, -20}}) {
            int reds = 0, blues = 0;
            for (int along = -3; along <= 3; ++along) {
                const Pixel p = frame.At(Sx(x) + dx + (dx ? 0 : along), Sy(y) + dy + (dy ? 0 : along));
                reds += RedTint(p);
                blues += BlueTint(p);
            }
            EXPECT_EQ(std::pair(reds, blues), std::pair(red ? 7 : 0, blue ? 7 : 0)) << dx << ", " << dy;
        }
        EXPECT_FALSE(Near(frame, RedTint, Sx(x) + 26, Sy(y), 1) || Near(frame, BlueTint, Sx(x) + 26, Sy(y), 1))
            << "a thin ring";
    }
    // Inside the ring the Red ship's picture is the sideless one's, pixel for pixel.
    for (int dy = -17; dy <= 17; ++dy) {
        for (int dx = -17; dx <= 17; ++dx) {
            if (dx * dx + dy * dy > 17 * 17)
                continue;
            const Pixel plain = frame.At(Sx(180) + dx, Sy(330) + dy), red = frame.At(Sx(260) + dx, Sy(330) + dy);
            ASSERT_TRUE(plain.r == red.r && plain.g == red.g && plain.b == red.b) << dx << ", " << dy;
        }
    }
}

// Capture the flag: each base under what moves, a flag on its base, lying
// where it fell, or held up at its carrier's right whatever the carrier's
// heading; with no flags heard nothing of them is drawn.
TEST_F(WorldScene, FlagsStandOnTheirBasesLieWhereDroppedAndGoWithTheirCarrier)
{
    Ship* carrier = Add(std::make_unique<Ship>(), 356, 256);
    world.SetShipId(carrier, 8);
    carrier->SetHeading(90.0f);
    const Vector3 redBase(176, 256, 0), blueBase(256, 176, 0);
    KnownFlags known;
    known.bases = {redBase, blueBase};
    known.flags[0] = Flag{Team::Red, FlagPlace::Home, 0, redBase, redBase};
    known.flags[1] = Flag{Team::Blue, FlagPlace::Carried, 8, blueBase, Vector3(300, 300, 0)};
    const Frame frame = DrawAll(known);
    // A base's ring lies 13 to 15 from its middle; a pennant's middle at
    // (4, -9) from its flag's.
    EXPECT_TRUE(Near(frame, RedTint, Sx(176) + 14, Sy(256), 1)) << "the red base";
    EXPECT_TRUE(Near(frame, BlueTint, Sx(256) - 14, Sy(176), 1)) << "the blue base";
    EXPECT_TRUE(Near(frame, RedTint, Sx(180), Sy(247), 1)) << "the red flag on its base";
    EXPECT_TRUE(Near(frame, BlueTint, Sx(356 + 14 + 4), Sy(256 - 14 - 9), 1)) << "the blue flag with its carrier";
    EXPECT_FALSE(Near(frame, BlueTint, Sx(300), Sy(300), 8)) << "not where the carrier was when taken";
    EXPECT_FALSE(Near(frame, BlueTint, Sx(260), Sy(167), 1)) << "nor on its base";

    known.flags[0]->place = FlagPlace::Dropped;
    known.flags[0]->at = Vector3(200, 340, 0);
    carrier->Kill();
    const Frame later = DrawAll(known);
    EXPECT_TRUE(Near(later, RedTint, Sx(204), Sy(331), 1)) << "the red flag where it fell";
    EXPECT_FALSE(Near(later, RedTint, Sx(180), Sy(247), 1)) << "its base is bare";
    EXPECT_TRUE(Near(later, BlueTint, Sx(304), Sy(291), 1)) << "a dead carrier's flag shows where it was heard of";

    const Frame none = DrawAll();
    EXPECT_FALSE(Near(none, RedTint, Sx(176) + 14, Sy(256), 1) || Near(none, RedTint, Sx(204), Sy(331), 1) ||
                 Near(none, BlueTint, Sx(256) - 14, Sy(176), 1) || Near(none, BlueTint, Sx(304), Sy(291), 1))
        << "no flags, no bases";
}

// Exposes the outline drawing, to draw a ship's outline alone.
class OutlineProbe : public Ship {
public:
    void DrawOutlineOnly(int sx, int sy) { DrawOutlines(Hull(), sx, sy); }
};

// F12's outlines must sit on the pictures: each picture is drawn upright
// for its design at every heading.
TEST_F(WorldScene, EveryDesignSitsOnItsOutlineAtEveryHeading)
{
    OutlineProbe* ship = Add(std::make_unique<OutlineProbe>(), 300, 300);
    const int sx = Sx(300), sy = Sy(300);
    for (int design = 0; design < Ship::kDesigns; ++design) {
        ship->SetShipType(design);
        ship->ClearTextures();
        for (int heading : {0, 90, 180, 270}) {
            ship->SetHeading(static_cast<float>(heading));
            renderer->BeginFrame();
            renderer->DrawObject(ship);
            const Frame sprite;
            glClear(GL_COLOR_BUFFER_BIT);
            glDisable(GL_TEXTURE_2D);
            glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
            glColor4f(1, 0, 0, 1);
            ship->DrawOutlineOnly(sx, sy);
            const Frame outline;
            renderer->EndFrame();
            int traced = 0, covered = 0;
            for (int y = sy - 19; y < sy + 19; ++y) {
                for (int x = sx - 19; x < sx + 19; ++x) {
                    if (kRed(outline.At(x, y))) {
                        ++traced;
                        covered += Near(sprite, kLit, x, y, 1);
                    }
                }
            }
            ASSERT_GT(traced, 10) << "design " << design;
            EXPECT_GE(covered * 10, traced * 9)
                << "design " << design << " at heading " << heading << ": " << covered << " of " << traced;
        }
    }
}

} // namespace
