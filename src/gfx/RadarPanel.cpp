#include "gfx/RadarPanel.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "gfx/CTexture.h"
#include "gfx/DrawBatch.h"
#include "gfx/IconQuad.h"
#include "gfx/Renderer.h"
#include "gfx/Standings.h"
#include "gfx/TeamView.h"
#include "world/Map.h"
#include "world/Powerup.h"
#include "world/Ship.h"
#include "world/ShownName.h"
#include "world/Torus.h"
#include "world/Weapons.h"
#include "world/World.h"

namespace {

// Half the side of a base's square on the minimap.
constexpr float kMarkHalf = 5.0f;

constexpr const char* kPictures[] = {"pup_cloak.tga", "pup_missile.tga", "pup_mine.tga", "pup_plasma.tga",
                                     "pup_tank.tga",  "pup_fuel.tga",    "pup_triple.tga", "pup_repulse.tga"};
static_assert(std::ranges::all_of(kPowerups,
                                  [](const PowerupRow& p) { return PictureIndex(kPictures, p.picture) >= 0; }),
              "every powerup has an icon");

struct Colour {
    float r, g, b, a;
};
constexpr Colour kBlack{0, 0, 0, 1}, kWhite{1, 1, 1, 1}, kGreen{0, 1, 0, 1}, kBlue{0, 0, 1, 1};

// A quad's corners in the order the panel has always sent them.
void Quad(std::vector<BatchVertex>& out, Colour c, float left, float right, float top, float bottom)
{
    for (const auto& [px, py] : {std::pair{left, top}, {left, bottom}, {right, bottom}, {right, top}})
        out.push_back({px, py, 0.0f, 0.0f, 0.0f, c.r, c.g, c.b, c.a});
}

void Dot(std::vector<BatchVertex>& out, Colour c, float x, float y)
{
    Quad(out, c, x - 1.0f, x + 1.0f, y + 1.0f, y - 1.0f);
}

Colour TintColour(std::size_t index)
{
    const TeamTint tint = TintOf(static_cast<Team>(index + 1));
    return {tint.r, tint.g, tint.b, 1.0f};
}

// A base: a hollow square, so the dots of those guarding it show inside.
void BaseMark(std::vector<BatchVertex>& out, Colour c, float x, float y)
{
    Quad(out, c, x - kMarkHalf, x + kMarkHalf, y + kMarkHalf, y + kMarkHalf - 1.0f);
    Quad(out, c, x - kMarkHalf, x + kMarkHalf, y - kMarkHalf + 1.0f, y - kMarkHalf);
    Quad(out, c, x - kMarkHalf, x - kMarkHalf + 1.0f, y + kMarkHalf, y - kMarkHalf);
    Quad(out, c, x + kMarkHalf - 1.0f, x + kMarkHalf, y + kMarkHalf, y - kMarkHalf);
}

// A flag: larger than any ship's dot, ringed in white to stand out on a base.
void FlagMark(std::vector<BatchVertex>& out, Colour c, float x, float y)
{
    Quad(out, kWhite, x - 3.0f, x + 3.0f, y + 3.0f, y - 3.0f);
    Quad(out, c, x - 2.0f, x + 2.0f, y + 2.0f, y - 2.0f);
}

} // namespace

void RadarPanel::SetMapName(const char* name)
{
    if (!name)
        return;
    mapName = name;
    hasMapName = true;
}

bool RadarPanel::LoadTextures()
{
    if (!hasMapName)
        return false;
    char path[128] = {};
    std::snprintf(path, sizeof path, "..\\Maps\\%s.bmp", mapName.c_str());
    // Kept apart from the icons, whose places do not hang on it.
    mapPicture = picture == Map::kNoRadarPicture
                     ? nullptr
                     : Renderer::Instance()->GetTexture(picture.empty() ? path : picture.c_str());
    for (const char* picture : kPictures)
        Acquire(picture);
    return NoteError();
}

void RadarPanel::DotOffset(double dx, double dy, double worldWidth, double worldHeight, float halfSide, float& outX,
                           float& outY)
{
    dx = FoldDifference(dx, worldWidth);
    dy = FoldDifference(dy, worldHeight);
    outX = static_cast<float>(dx / (worldWidth / 2.0) * halfSide);
    outY = static_cast<float>(-halfSide * (dy / (worldHeight / 2.0)));
}

bool RadarPanel::Draw(int ix, int iy)
{
    const float x = static_cast<float>(ix);
    const float y = static_cast<float>(iy);
    // A free camera follows no ship, so the panel shows no tank or weapons.
    const Ship* local = world && !Renderer::Instance()->CameraHeld() ? world->FirstShip() : nullptr;
    const float fill = local && local->IsAlive() && local->GetMaxFuel() > 0.0f ? local->GetFuel() / local->GetMaxFuel()
                                                                                : 0.0f;
    const Map* map = world ? world->GetMap() : nullptr;
    const double worldWidth = map && map->WorldWidth() > 0 ? map->WorldWidth() : 1.0;
    const double worldHeight = map && map->WorldHeight() > 0 ? map->WorldHeight() : 1.0;

    const Centre centre = CentreOf(local);
    DrawFrame(x, y, fill);
    DrawMinimap(x, y, centre, worldWidth, worldHeight);
    DrawScoreboard(x, y);
    DrawDots(x, y, centre, worldWidth, worldHeight);
    if (local)
        DrawInventory(x, y, *local);
    return true;
}

// The panel's frame with its strips under the minimap and the gauge, and
// the fuel gauge filled by the share of the tank left.
void RadarPanel::DrawFrame(float x, float y, float fill)
{
    const float hw = width / 2.0f, hh = height / 2.0f, b = border, w = width;
    glPolygonMode(GL_FRONT, GL_FILL);
    glPolygonMode(GL_BACK, GL_LINE);
    glDisable(GL_TEXTURE_2D);
    std::vector<BatchVertex> quads;
    // The green panel shows only as a frame round the opaque black inside,
    // so only the frame is drawn; the strips share the inside's edges.
    Quad(quads, kGreen, x - hw, x + hw, y + hh, y + hh - b);
    Quad(quads, kGreen, x - hw, x + hw, y - hh + b, y - hh);
    Quad(quads, kGreen, x - hw, x - hw + b, y + hh - b, y - hh + b);
    Quad(quads, kGreen, x + hw - b, x + hw, y + hh - b, y - hh + b);
    Quad(quads, kBlack, x - hw + b, x + hw - b, y + hh - b, y - hh + b);
    Quad(quads, kGreen, x - hw + b, x + hw - b, y + hh - w - b, y + hh - w - 2 * b);
    Quad(quads, kWhite, x - hw + 10 - 1 + b, x + hw - 10 + 1 - b, y + hh - w - b - 10 + 1, y + hh - w - b - 20 - 1);
    Quad(quads, kBlack, x - hw + 10 + b, x + hw - 10 - b, y + hh - w - b - 10, y + hh - w - b - 20);
    Quad(quads, kBlue, x - hw + 10 + b, x - hw + 10 + (w - 20) * fill - b, y + hh - w - b - 10, y + hh - w - b - 20);
    Quad(quads, kGreen, x - hw + b, x + hw - b, y + hh - (w + 32), y + hh - (w + 32) - b);
    Renderer::Instance()->Batch().Add({GL_QUADS, false, 0, GL_FILL, GL_LINE}, quads.data(), quads.size(), false);
}

RadarPanel::Centre RadarPanel::CentreOf(const Ship* local) const
{
    const Renderer& renderer = *Renderer::Instance();
    if (renderer.CameraHeld())
        return {true, static_cast<double>(renderer.CameraX()), static_cast<double>(renderer.CameraY()), nullptr};
    if (!local)
        return {};
    return {true, local->Position().x, local->Position().y, local};
}

// The map picture repeated, shifted so the centre sits mid-square.
void RadarPanel::DrawMinimap(float x, float y, const Centre& centre, double worldWidth, double worldHeight)
{
    const float hw = width / 2.0f, hh = height / 2.0f, b = border, w = width;
    const float u = static_cast<float>(centre.x / worldWidth);
    const float v = static_cast<float>(centre.y / worldHeight);
    glEnable(GL_TEXTURE_2D);
    glColor4f(0, 0, 0, 1);
    CTexture* picture = mapPicture;
    Colour tint = kBlack;
    if (picture) {
        glColor4f(1, 1, 1, 1);
        tint = kWhite;
    }
    const BatchState mapState = DrawBatch::Current(GL_QUADS, picture);
    const BatchVertex square[4] = {
        {x - hw + b, y + hh - b, 0.0f, u - 0.5f, 1.5f - v, tint.r, tint.g, tint.b, tint.a},
        {x - hw + b, y + hh - w - b, 0.0f, u - 0.5f, 0.5f - v, tint.r, tint.g, tint.b, tint.a},
        {x + hw - b, y + hh - w - b, 0.0f, u + 0.5f, 0.5f - v, tint.r, tint.g, tint.b, tint.a},
        {x + hw - b, y + hh - b, 0.0f, u + 0.5f, 1.5f - v, tint.r, tint.g, tint.b, tint.a}};
    Renderer::Instance()->Batch().Add(mapState, square, 4, true);
    if (picture)
        picture->Unbind();
}

// Every ship's name and score, in the colour left by the minimap.
void RadarPanel::DrawScoreboard(float x, float y)
{
    if (!world)
        return;
    const float hw = width / 2.0f, hh = height / 2.0f, b = border, w = width;
    const float left = static_cast<float>(static_cast<int>(x - hw + 10 + b));
    const float top = y + hh - (w + 32) - b - 10 - 16;
    int i = 0;
    if (PlaysTeams(world)) {
        i = DrawTeamScoreboard(left, top);
    } else {
        for (Ship* ship = world->ShipsBegin(); ship; ship = world->ShipsNext(), ++i) {
            Renderer::Instance()->DrawText(left, top - 16.0f * static_cast<float>(i), "%-14s %3d",
                                           ScoreboardName(*ship).c_str(), ship->GetScore());
        }
    }
    if (watchers > 0) {
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        Renderer::Instance()->DrawText(left, top - 16.0f * static_cast<float>(i + 1), "%d watching", watchers);
    }
}

// Each side's total and its ships in its tint, Red first.
int RadarPanel::DrawTeamScoreboard(float left, float top)
{
    int lines = 0;
    for (const Standing& standing : BuildTeamStandings(world, redScore, blueScore)) {
        UseTeamTint(standing.team);
        Renderer::Instance()->DrawText(left, top - 16.0f * static_cast<float>(lines), "%-14s %3d",
                                       standing.name.substr(0, kShownNameLength).c_str(), standing.score);
        ++lines;
    }
    return lines;
}

// The local ship green in the minimap's middle, the visible others round
// it: red, or in a team game their sides' tints. A free camera's middle is
// no ship: the followed one shows among the others.
void RadarPanel::DrawDots(float x, float y, const Centre& centre, double worldWidth, double worldHeight)
{
    const float hw = width / 2.0f, hh = height / 2.0f, b = border;
    glDisable(GL_TEXTURE_2D);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    const float cy = y + hh - hw - b;
    std::vector<BatchVertex> dots;
    if (centre.ship || !centre.known)
        Dot(dots, kGreen, x, cy);
    glColor4f(0, 1, 0, 1);
    const auto offset = [&](const Vector3& at, float& dx, float& dy) {
        DotOffset(at.x - centre.x, at.y - centre.y, worldWidth, worldHeight, hw, dx, dy);
    };
    // A base or a flag half across the map is kept whole inside the square
    // rather than cut at its edge, the screen's own edge on the left.
    const float markReach = hw - b - kMarkHalf;
    const auto markOffset = [&](const Vector3& at, float& dx, float& dy) {
        offset(at, dx, dy);
        dx = std::clamp(dx, -markReach, markReach);
        dy = std::clamp(dy, -markReach, markReach);
    };
    if (world && centre.known) {
        for (std::size_t i = 0; i < kTeams; ++i) {
            float dx = 0.0f, dy = 0.0f;
            if (flags.bases[i]) {
                markOffset(*flags.bases[i], dx, dy);
                BaseMark(dots, TintColour(i), x + dx, cy + dy);
            }
        }
        glColor4f(1, 0, 0, 1);
        for (Ship* ship = world->ShipsBegin(); ship; ship = world->ShipsNext()) {
            if (ship == centre.ship || !ship->IsAlive() || ship->HasFlags(kFlagCloaked))
                continue;
            float dx = 0.0f, dy = 0.0f;
            offset(ship->Position(), dx, dy);
            const TeamTint mark = MarkTintOf(ship->GetTeam());
            Dot(dots, {mark.r, mark.g, mark.b, 1.0f}, x + dx, cy + dy);
        }
        for (std::size_t i = 0; i < kTeams; ++i) {
            float dx = 0.0f, dy = 0.0f;
            if (flags.flags[i]) {
                markOffset(FlagShownAt(*flags.flags[i], *world), dx, dy);
                FlagMark(dots, TintColour(i), x + dx, cy + dy);
            }
        }
    }
    Renderer::Instance()->Batch().Add({GL_QUADS, false, 0, GL_FILL, GL_FILL}, dots.data(), dots.size(), false);
}

// The icons of the tank, the cloak and each weapon carried, with the
// count of rounds on those that have them.
void RadarPanel::DrawInventory(float x, float y, const Ship& local)
{
    glEnable(GL_TEXTURE_2D);
    const int bx = static_cast<int>(x - width / 2.0f + border + 16);
    const int by = static_cast<int>(y - height / 2.0f + border + 16);
    if (local.HasFlags(kFlagLargeTank))
        DrawIcon(kPowerupTank, bx, by);
    if (local.HasFlags(kFlagCloakDevice))
        DrawIcon(kPowerupCloak, bx + 32, by);
    for (const WeaponRow& row : kWeapons) {
        const bool stocked = row.ammunition == Ammunition::None ? local.HasFlags(static_cast<signed char>(row.needs))
                                                                : local.Rounds(row.ammunition) != 0;
        if (row.pickup < 0 || !stocked)
            continue;
        const auto [at, up] = row.icon;
        DrawIcon(row.pickup, bx + at, by + up);
        if (row.ammunition == Ammunition::None)
            continue;
        glColor4f(0, 1, 0, 1);
        Renderer::Instance()->DrawText(static_cast<float>(bx - 19 + at), static_cast<float>(by + 6 + up), "%d",
                                       local.Rounds(row.ammunition));
    }
}

void RadarPanel::DrawIcon(int kind, int x, int y)
{
    const int texture = kind < 0 || kind >= Powerup::kKinds ? -1 : PictureIndex(kPictures, kPowerups[kind].picture);
    if (texture < 0)
        return;
    glColor4f(1, 1, 1, 1);
    DrawIconQuad(Texture(static_cast<std::size_t>(texture)), static_cast<float>(x), static_cast<float>(y),
                 FirstRow::Top);
}
