#include "assets/Sprites.h"

#include <algorithm>
#include <cmath>

#include "mapmaker/Canvas.h"

namespace {

using Shape = std::vector<Point>;

// Object coordinates to canvas pixels.
Shape At(std::initializer_list<Point> points, float scale = 1.0f)
{
    Shape shape;
    for (const Point& p : points)
        shape.push_back({16.0f + p.x * scale, 16.0f + p.y * scale});
    return shape;
}

Point P(float x, float y)
{
    return {16.0f + x, 16.0f + y};
}

Colour Shade(Colour c, float f)
{
    return {c.r * f, c.g * f, c.b * f, c.a};
}

void Outline(Canvas& canvas, const Shape& shape, Colour colour, float thickness = 1.0f)
{
    for (std::size_t i = 0; i < shape.size(); ++i)
        canvas.Line(shape[i], shape[(i + 1) % shape.size()], thickness, colour);
}

// A hull: filled, a lighter inner plate, a dark rim.
void Hull(Canvas& canvas, const Shape& shape, Colour colour)
{
    canvas.FillPolygon(shape, colour);
    Shape inner;
    float cx = 0, cy = 0;
    for (const Point& p : shape) {
        cx += p.x;
        cy += p.y;
    }
    cx /= static_cast<float>(shape.size());
    cy /= static_cast<float>(shape.size());
    for (const Point& p : shape)
        inner.push_back({cx + (p.x - cx) * 0.55f, cy + (p.y - cy) * 0.55f});
    canvas.FillPolygon(inner, Shade(colour, 1.25f));
    Outline(canvas, shape, Shade(colour, 0.45f));
}

// Engine flames at the back (towards -y).
void Flame(Canvas& canvas, float x, float y, float width)
{
    canvas.FillPolygon(At({{x - width, y}, {x + width, y}, {x, y - 4.5f}}), {1.0f, 0.55f, 0.1f, 0.95f});
    canvas.FillPolygon(At({{x - width / 2, y}, {x + width / 2, y}, {x, y - 2.5f}}), {1.0f, 0.95f, 0.5f, 1.0f});
}

void Cockpit(Canvas& canvas, float x, float y, float r)
{
    canvas.FillCircle(P(x, y), r, {0.15f, 0.55f, 1.0f, 1.0f});
    canvas.FillCircle(P(x - r / 3, y - r / 3), r / 3, {0.8f, 0.95f, 1.0f, 1.0f});
}

std::vector<std::uint8_t> Triship()
{
    Canvas c(kSpriteSize, kSpriteSize);
    Flame(c, -1, -7, 2.5f);
    Hull(c, At({{6, -7}, {-1, 11}, {-8, -7}}), {0.85f, 0.2f, 0.2f, 1});
    Cockpit(c, -1, 1, 2.2f);
    return c.Rgba();
}

std::vector<std::uint8_t> Curveship()
{
    Canvas c(kSpriteSize, kSpriteSize);
    Flame(c, -4, -10, 2);
    Flame(c, 4, -10, 2);
    Hull(c, At({{-10, 5}, {-8, -8}, {-3, -11}, {3, -11}, {8, -8}, {10, 5}, {0, 8}}), {0.95f, 0.55f, 0.1f, 1});
    c.Line(P(-7, -6), P(-7, 3), 1.5f, {0.55f, 0.25f, 0.05f, 1});
    c.Line(P(7, -6), P(7, 3), 1.5f, {0.55f, 0.25f, 0.05f, 1});
    Cockpit(c, 0, 0, 2.5f);
    return c.Rgba();
}

std::vector<std::uint8_t> Trekship()
{
    Canvas c(kSpriteSize, kSpriteSize);
    Flame(c, -6, -7, 1.5f);
    Flame(c, 6, -7, 1.5f);
    Hull(c, At({{-10, -3}, {-10, -5}, {-4, -10}, {4, -10}, {10, -5}, {10, -3}, {0, 11}}), {0.65f, 0.72f, 0.85f, 1});
    c.FillRing(P(0, -4), 4.5f, 3.2f, {0.3f, 0.4f, 0.6f, 1});
    Cockpit(c, 0, 3, 2);
    return c.Rgba();
}

std::vector<std::uint8_t> Xship()
{
    Canvas c(kSpriteSize, kSpriteSize);
    Flame(c, -6, -8, 2);
    Flame(c, 6, -8, 2);
    Hull(c, At({{-10, 4}, {-10, -8}, {10, -8}, {10, 4}, {0, 11}}), {0.25f, 0.75f, 0.3f, 1});
    c.Line(P(-10, -8), P(0, 4), 1.3f, {0.1f, 0.35f, 0.12f, 1});
    c.Line(P(10, -8), P(0, 4), 1.3f, {0.1f, 0.35f, 0.12f, 1});
    Cockpit(c, 0, 4, 2);
    return c.Rgba();
}

std::vector<std::uint8_t> Yship()
{
    Canvas c(kSpriteSize, kSpriteSize);
    Flame(c, -7, -7, 2);
    Flame(c, 7, -7, 2);
    const Colour body{0.6f, 0.35f, 0.85f, 1};
    Hull(c, At({{-10, 7}, {-10, -7}, {10, -7}, {10, 7}}), body);
    Hull(c, At({{-7, -6}, {-3, -11}, {3, -11}, {7, -6}, {0, 0}}), Shade(body, 0.8f));
    Cockpit(c, 0, 3, 2.3f);
    return c.Rgba();
}

std::vector<std::uint8_t> Twoship()
{
    Canvas c(kSpriteSize, kSpriteSize);
    Flame(c, 0, -6, 3);
    Hull(c, At({{-10, -6}, {10, -6}, {0, 0}}), {0.15f, 0.7f, 0.75f, 1});
    Hull(c, At({{-5, -2}, {5, -2}, {0, 10}}), {0.95f, 0.85f, 0.2f, 1});
    Cockpit(c, 0, 2, 1.6f);
    return c.Rgba();
}

std::vector<std::uint8_t> Shield()
{
    Canvas c(kSpriteSize, kSpriteSize);
    Shape octagon;
    for (int k = 0; k < 8; ++k) {
        const float a = static_cast<float>(k) * 3.14159265f / 4.0f;
        octagon.push_back({16.0f - 15.5f * std::sin(a), 16.0f - 15.5f * std::cos(a)});
    }
    c.FillPolygon(octagon, {0.3f, 0.8f, 1.0f, 0.22f});
    Outline(c, octagon, {0.5f, 0.95f, 1.0f, 0.95f}, 1.6f);
    return c.Rgba();
}

std::vector<std::uint8_t> Cloak()
{
    // A haze with a faint lattice: the local player sees a ghost of the ship.
    Canvas c(kSpriteSize, kSpriteSize);
    c.FillCircle(P(0, 0), 13, {0.55f, 0.5f, 0.75f, 0.45f});
    for (int i = -12; i <= 12; i += 4) {
        c.Line(P(static_cast<float>(i), -12), P(static_cast<float>(i) + 6, 12), 0.7f, {0.85f, 0.85f, 1.0f, 0.35f});
    }
    c.FillRing(P(0, 0), 13.5f, 12.5f, {0.8f, 0.75f, 1.0f, 0.6f});
    return c.Rgba();
}

// The plate every powerup sits on: its collision octagon.
Canvas PowerupPlate(Colour rim)
{
    Canvas c(kSpriteSize, kSpriteSize);
    Shape octagon;
    for (int k = 0; k < 8; ++k) {
        const float a = static_cast<float>(k) * 3.14159265f / 4.0f;
        octagon.push_back({16.0f - 15.0f * std::sin(a), 16.0f - 15.0f * std::cos(a)});
    }
    c.FillPolygon(octagon, {0.08f, 0.09f, 0.14f, 0.92f});
    Outline(c, octagon, rim, 1.6f);
    return c;
}

std::vector<std::uint8_t> PupTriple()
{
    Canvas c = PowerupPlate({1.0f, 0.6f, 0.1f, 1});
    for (int angle : {-30, 0, 30}) {
        const float a = static_cast<float>(angle) * 3.14159265f / 180.0f;
        const Point tip = P(9 * std::sin(a), -9 * std::cos(a));
        c.Line(P(0, 7), tip, 2.0f, {1.0f, 0.8f, 0.3f, 1});
        c.FillCircle(tip, 2.0f, {1, 1, 0.7f, 1});
    }
    return c.Rgba();
}

std::vector<std::uint8_t> PupMissile()
{
    Canvas c = PowerupPlate({0.95f, 0.25f, 0.2f, 1});
    c.FillPolygon(At({{-2.5f, -5}, {2.5f, -5}, {2.5f, 6}, {-2.5f, 6}}), {0.85f, 0.85f, 0.9f, 1});
    c.FillPolygon(At({{-2.5f, -5}, {2.5f, -5}, {0, -10}}), {0.95f, 0.25f, 0.2f, 1});
    c.FillPolygon(At({{-2.5f, 3}, {-6, 8}, {-2.5f, 6}}), {0.95f, 0.25f, 0.2f, 1});
    c.FillPolygon(At({{2.5f, 3}, {6, 8}, {2.5f, 6}}), {0.95f, 0.25f, 0.2f, 1});
    c.FillPolygon(At({{-1.5f, 6}, {1.5f, 6}, {0, 10}}), {1, 0.7f, 0.2f, 1});
    return c.Rgba();
}

std::vector<std::uint8_t> PupMine()
{
    Canvas c = PowerupPlate({0.75f, 0.75f, 0.8f, 1});
    for (int k = 0; k < 8; ++k) {
        const float a = static_cast<float>(k) * 3.14159265f / 4.0f;
        c.Line(P(0, 0), P(8.5f * std::sin(a), 8.5f * std::cos(a)), 1.6f, {0.7f, 0.7f, 0.75f, 1});
    }
    c.FillCircle(P(0, 0), 5.5f, {0.45f, 0.45f, 0.5f, 1});
    c.FillCircle(P(0, 0), 2.0f, {1.0f, 0.2f, 0.2f, 1});
    return c.Rgba();
}

std::vector<std::uint8_t> PupPlasma()
{
    Canvas c = PowerupPlate({0.8f, 0.35f, 1.0f, 1});
    c.FillCircle(P(0, 0), 9, {0.6f, 0.2f, 0.9f, 0.5f});
    c.FillCircle(P(0, 0), 6.5f, {0.8f, 0.4f, 1.0f, 0.9f});
    c.FillCircle(P(0, 0), 3.5f, {1.0f, 0.9f, 1.0f, 1});
    return c.Rgba();
}

std::vector<std::uint8_t> PupTank()
{
    Canvas c = PowerupPlate({0.3f, 0.9f, 0.35f, 1});
    c.FillPolygon(At({{-6, -7}, {6, -7}, {6, 9}, {-6, 9}}), {0.25f, 0.7f, 0.3f, 1});
    c.FillCircle(P(0, -7), 6, {0.3f, 0.8f, 0.35f, 1});
    c.FillPolygon(At({{-1.5f, -13}, {1.5f, -13}, {1.5f, -10}, {-1.5f, -10}}), {0.8f, 0.8f, 0.8f, 1});
    c.FillPolygon(At({{-1.2f, -3}, {1.2f, -3}, {1.2f, 7}, {-1.2f, 7}}), {1, 1, 1, 1});
    c.FillPolygon(At({{-5, 0.8f}, {5, 0.8f}, {5, 3.2f}, {-5, 3.2f}}), {1, 1, 1, 1});
    return c.Rgba();
}

std::vector<std::uint8_t> PupFuel()
{
    Canvas c = PowerupPlate({1.0f, 0.75f, 0.15f, 1});
    c.FillCircle(P(0, 3), 6.5f, {1.0f, 0.75f, 0.15f, 1});
    c.FillPolygon(At({{-5.8f, 1}, {5.8f, 1}, {0, -11}}), {1.0f, 0.75f, 0.15f, 1});
    c.FillCircle(P(-2.2f, 3.5f), 2.0f, {1.0f, 0.95f, 0.7f, 1});
    return c.Rgba();
}

std::vector<std::uint8_t> PupCloak()
{
    Canvas c = PowerupPlate({0.6f, 0.85f, 1.0f, 1});
    // An eye, half hidden.
    c.FillPolygon(At({{-10, 0}, {-5, -5}, {5, -5}, {10, 0}, {5, 5}, {-5, 5}}), {0.85f, 0.92f, 1.0f, 1});
    c.FillCircle(P(0, 0), 3.6f, {0.2f, 0.35f, 0.8f, 1});
    c.FillCircle(P(0, 0), 1.6f, {0.02f, 0.02f, 0.05f, 1});
    c.Line(P(-9, 8), P(9, -8), 2.2f, {0.08f, 0.09f, 0.14f, 1});
    c.Line(P(-9, 8), P(9, -8), 1.0f, {0.6f, 0.85f, 1.0f, 1});
    return c.Rgba();
}

std::vector<std::uint8_t> PupRepulse()
{
    Canvas c = PowerupPlate({0.2f, 1.0f, 0.9f, 1});
    c.FillCircle(P(0, 0), 2.5f, {0.8f, 1, 1, 1});
    c.FillRing(P(0, 0), 6.0f, 4.8f, {0.3f, 1.0f, 0.9f, 1});
    c.FillRing(P(0, 0), 10.0f, 8.8f, {0.2f, 0.8f, 0.75f, 0.8f});
    return c.Rgba();
}

std::vector<std::uint8_t> MinePicture(Colour body, Colour light)
{
    Canvas c(kSpriteSize, kSpriteSize);
    for (float x : {-4.0f, 0.0f, 4.0f}) {
        c.Line(P(x, -3), P(x, -5.5f), 1.2f, Shade(body, 0.7f));
        c.Line(P(x, 3), P(x, 5.5f), 1.2f, Shade(body, 0.7f));
    }
    Hull(c, At({{-6, -3}, {6, -3}, {6, 3}, {-6, 3}}), body);
    c.FillCircle(P(0, 0), 1.6f, light);
    return c.Rgba();
}

std::vector<std::uint8_t> Missile()
{
    Canvas c(kSpriteSize, kSpriteSize);
    c.FillPolygon(At({{-2, -6}, {2, -6}, {0, -11}}), {1.0f, 0.6f, 0.1f, 0.95f});
    c.FillPolygon(At({{-3, -6}, {-5.5f, -7}, {-3, -2}}), {0.8f, 0.2f, 0.15f, 1});
    c.FillPolygon(At({{3, -6}, {5.5f, -7}, {3, -2}}), {0.8f, 0.2f, 0.15f, 1});
    Hull(c, At({{-3, -6}, {3, -6}, {3, 3}, {-3, 3}}), {0.85f, 0.85f, 0.9f, 1});
    c.FillPolygon(At({{-3, 3}, {3, 3}, {0, 6}}), {0.9f, 0.25f, 0.2f, 1});
    return c.Rgba();
}

std::vector<std::uint8_t> Shard(const Shape& shape, Colour colour)
{
    Canvas c(kSpriteSize, kSpriteSize);
    Hull(c, shape, colour);
    return c.Rgba();
}

// A turret facing up: a mount filling its outline's triangle and a barrel
// towards -y; the other facings are this turned.
std::vector<std::uint8_t> Turret(int quarterTurns, bool alive)
{
    Canvas c(kSpriteSize, kSpriteSize);
    auto turn = [quarterTurns](float x, float y) {
        for (int i = 0; i < quarterTurns; ++i) {
            const float nx = -y;
            y = x;
            x = nx;
        }
        return P(x, y);
    };
    const Colour metal = alive ? Colour{0.55f, 0.58f, 0.62f, 1} : Colour{0.22f, 0.2f, 0.18f, 1};
    if (alive) {
        c.Line(turn(0, 0), turn(0, -13), 3.0f, {0.35f, 0.37f, 0.4f, 1});
        c.Line(turn(0, -12), turn(0, -14), 3.2f, {0.2f, 0.2f, 0.22f, 1});
    } else {
        c.Line(turn(0, 0), turn(3, -7), 3.0f, {0.25f, 0.2f, 0.18f, 1});
        c.Line(turn(3, -7), turn(7, -9), 2.6f, {0.2f, 0.17f, 0.15f, 1});
    }
    const Shape mount = {turn(0, 0), turn(16, 16), turn(-16, 16)};
    Hull(c, mount, metal);
    c.FillCircle(turn(0, 5), 4.0f, Shade(metal, 0.8f));
    c.FillCircle(turn(0, 5), 1.8f, alive ? Colour{0.2f, 1.0f, 0.3f, 1} : Colour{0.35f, 0.1f, 0.05f, 1});
    if (!alive) {
        c.FillCircle(turn(-5, 11), 2.5f, {0.05f, 0.05f, 0.05f, 0.8f});
        c.FillCircle(turn(6, 12), 2.0f, {0.05f, 0.05f, 0.05f, 0.8f});
    }
    return c.Rgba();
}

std::vector<std::uint8_t> FuelBlock()
{
    Canvas c(kSpriteSize, kSpriteSize);
    const Colour amber{0.95f, 0.65f, 0.1f, 1};
    c.FillPolygon({{0, 0}, {32, 0}, {32, 32}, {0, 32}}, Shade(amber, 0.55f));
    c.FillPolygon({{2, 2}, {30, 2}, {30, 30}, {2, 30}}, amber);
    // A drop over a gauge: which end is up matters, so it is checked.
    c.FillCircle({16, 14}, 5.5f, {0.25f, 0.12f, 0.02f, 1});
    c.FillPolygon({{11.2f, 12.5f}, {20.8f, 12.5f}, {16, 4}}, {0.25f, 0.12f, 0.02f, 1});
    c.FillPolygon({{7, 23}, {25, 23}, {25, 27}, {7, 27}}, {0.25f, 0.12f, 0.02f, 1});
    c.FillPolygon({{8, 24}, {20, 24}, {20, 26}, {8, 26}}, {0.3f, 0.9f, 0.3f, 1});
    return c.Rgba();
}

// A team's flag: a pennant on a pole, upright whatever its carrier's heading.
std::vector<std::uint8_t> FlagPicture(Colour cloth)
{
    Canvas c(kSpriteSize, kSpriteSize);
    c.FillCircle(P(-5, 13), 2.5f, {0.25f, 0.25f, 0.28f, 1});
    c.Line(P(-5, 13), P(-5, -14), 2.0f, {0.85f, 0.85f, 0.8f, 1});
    const Shape pennant = At({{-4, -14}, {12, -8}, {-4, -2}});
    c.FillPolygon(pennant, cloth);
    c.FillPolygon(At({{-4, -11}, {6, -8}, {-4, -5}}), Shade(cloth, 1.2f));
    Outline(c, pennant, Shade(cloth, 0.5f));
    return c.Rgba();
}

// A team's base: a pad ringed in the team's colour, open enough that the
// flag standing on it reads at a glance.
std::vector<std::uint8_t> BasePicture(Colour ring)
{
    Canvas c(kSpriteSize, kSpriteSize);
    c.FillCircle(P(0, 0), 15.0f, {0.1f, 0.1f, 0.12f, 0.85f});
    c.FillRing(P(0, 0), 15.5f, 12.5f, ring);
    c.FillRing(P(0, 0), 8.0f, 6.5f, Shade(ring, 0.6f));
    for (int k = 0; k < 4; ++k) {
        const float a = static_cast<float>(k) * 3.14159265f / 2.0f + 3.14159265f / 4.0f;
        c.Line(P(9.5f * std::sin(a), 9.5f * std::cos(a)), P(12.0f * std::sin(a), 12.0f * std::cos(a)), 1.5f,
               Shade(ring, 0.8f));
    }
    return c.Rgba();
}

// The same picture upside down: drawn where texture row 0 lands at the bottom.
std::vector<std::uint8_t> Flipped(const std::vector<std::uint8_t>& rgba)
{
    std::vector<std::uint8_t> out(rgba.size());
    const std::size_t row = kSpriteSize * 4;
    for (std::size_t y = 0; y < kSpriteSize; ++y)
        std::copy_n(rgba.begin() + static_cast<std::ptrdiff_t>(y * row), row,
                    out.begin() + static_cast<std::ptrdiff_t>((kSpriteSize - 1 - y) * row));
    return out;
}

} // namespace

std::vector<Sprite> RenderSprites()
{
    std::vector<Sprite> sprites = {
        {"Triship.tga", Triship()},
        {"CurveShip.tga", Curveship()},
        {"TrekShip.tga", Trekship()},
        {"XShip.tga", Xship()},
        {"YShip.tga", Yship()},
        {"Twoship.tga", Twoship()},
        {"shield.tga", Shield()},
        {"cloak.tga", Cloak()},
        {"mine.tga", MinePicture({0.6f, 0.6f, 0.65f, 1}, {1.0f, 0.2f, 0.2f, 1})},
        {"plasmamine.tga", MinePicture({0.55f, 0.25f, 0.8f, 1}, {1.0f, 0.8f, 1.0f, 1})},
        {"missile.tga", Missile()},
        {"shrapnel1.tga", Shard(At({{3, 0}, {-5, 4}, {0, -5}}), {0.7f, 0.6f, 0.5f, 1})},
        {"shrapnel2.tga", Shard(At({{2, 2}, {-3, 2}, {-3, -3}, {3, -5}}), {0.6f, 0.55f, 0.6f, 1})},
        {"pup_triple.tga", PupTriple()},
        {"pup_missile.tga", PupMissile()},
        {"pup_mine.tga", PupMine()},
        {"pup_plasma.tga", PupPlasma()},
        {"pup_tank.tga", PupTank()},
        {"pup_fuel.tga", PupFuel()},
        {"pup_cloak.tga", PupCloak()},
        {"pup_repulse.tga", PupRepulse()},
        {"FuelBlockIcon.tga", FuelBlock()},
        {"FuelBlock.tga", Flipped(FuelBlock())},
    };
    const char* facings[] = {"up", "right", "down", "left"};
    for (int d = 0; d < 4; ++d) {
        sprites.push_back({std::string("turret_ok_") + facings[d] + ".tga", Turret(d, true)});
        sprites.push_back({std::string("turret_dead_") + facings[d] + ".tga", Turret(d, false)});
    }
    // The sides' tints of the names and radar dots, so a flag reads as its side's.
    const Colour red{1.0f, 0.35f, 0.3f, 1}, blue{0.4f, 0.75f, 1.0f, 1};
    sprites.push_back({"flag_red.tga", FlagPicture(red)});
    sprites.push_back({"flag_blue.tga", FlagPicture(blue)});
    sprites.push_back({"base_red.tga", BasePicture(red)});
    sprites.push_back({"base_blue.tga", BasePicture(blue)});
    return sprites;
}
