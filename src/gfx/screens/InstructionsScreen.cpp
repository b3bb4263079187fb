#include "gfx/screens/InstructionsScreen.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

#include "gfx/IconQuad.h"
#include "gfx/Renderer.h"
#include "gfx/screens/FitKeys.h"
#include "world/Powerup.h"
#include "world/Weapons.h"

namespace {

struct Line {
    float y;
    GameKey key;
    const char* text;
};

// The keys' column is nine characters wide, as the first keys need; a line
// is at most 33, where the powerups' column begins.
constexpr std::size_t kKeyColumn = 9;
constexpr std::size_t kLineWidth = 33;

constexpr Line kControls[] = {
    {140, kKeyTurnLeft, "Turn Left"},        {160, kKeyThrust, "Thrust"},
    {180, kKeyTurnRight, "Turn Right"},      {220, kKeyShields, "Shields"},
    {240, kKeyFuelUp, "Fuel Up"},            {260, kKeyCloak, "Activate Cloaking Device"},
};
// Below them one line a fire key, as the weapons list them.
constexpr float kFirstWeaponLine = 300.0f;
constexpr float kLineStep = 20.0f;
constexpr Line kMiscellaneous[] = {
    {440, kKeyQuit, "Quick Exit"},
    {460, kKeyNames, "Toggle Player Names"},
    {480, kKeyChat, "Chat"},
    {500, kKeyLeave, "(in-game) Return to Main Menu"},
};
constexpr std::pair<GameKey, const char*> kFirstKeys[] = {
    {kKeyQuit, "F9"},      {kKeyOutlines, "F12"},  {kKeyNames, "F11"}, {kKeyChat, "'"},       {kKeyTurnLeft, "J"},
    {kKeyTurnRight, "L"},  {kKeyThrust, "K"},      {kKeyShields, "D"}, {kKeyFire, "SPACE"},   {kKeyMissile, "V"},
    {kKeyMine, "C"},       {kKeyPlasmaMine, "E"},  {kKeyRepulsor, "R"}, {kKeyFuelUp, "F"},    {kKeyCloak, "S"},
    {kKeyLeave, "ESC"},
};
constexpr const char* kPictures[] = {
    "Triship.tga",   "Twoship.tga",     "XShip.tga",     "YShip.tga",       "CurveShip.tga",  "TrekShip.tga",
    "shield.tga",    "pup_cloak.tga",   "pup_fuel.tga",  "pup_mine.tga",    "pup_missile.tga", "pup_plasma.tga",
    "pup_tank.tga",  "pup_triple.tga",  "pup_repulse.tga", "FuelBlockIcon.tga"};
constexpr int kFuelBlockIcon = PictureIndex(kPictures, "FuelBlockIcon.tga");
static_assert(std::ranges::all_of(kPowerups,
                                  [](const PowerupRow& p) { return PictureIndex(kPictures, p.picture) >= 0; }),
              "every powerup has an icon");

} // namespace

InstructionsScreen::InstructionsScreen()
{
    for (const auto& [key, text] : kFirstKeys)
        keysText[key] = text;
}

void InstructionsScreen::SetKeysText(GameKey key, const std::string& text)
{
    if (key > kKeyNone && key < kKeyCodes && key != kKeyQuit)
        keysText[key] = text;
}

std::string InstructionsScreen::LineText(GameKey key, const char* text) const
{
    // Keys too long for the line show their first, and that cut to fit, so
    // the line never runs into the powerups beside it.
    const std::size_t room = kLineWidth - std::min(kLineWidth - 2, std::strlen(text)) - 1;
    std::string line = FitKeys(keysText[key], room);
    line.append(line.size() < kKeyColumn ? kKeyColumn - line.size() : 1, ' ');
    return line + text;
}

bool InstructionsScreen::LoadTextures()
{
    for (const char* picture : kPictures)
        Acquire(picture);
    return NoteError();
}

void InstructionsScreen::DrawIcon(int index, float x, float y)
{
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    DrawIconQuad(Texture(static_cast<std::size_t>(index)), x, y, FirstRow::Top);
}

void InstructionsScreen::DrawContent(float hw, float hh)
{
    Renderer* renderer = Renderer::Instance();
    const float left = -hw + 20.0f;
    const float right = RightColumn();
    const float green[4] = {0.0f, 1.0f, 0.0f, 1.0f};
    const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};

    glColor4fv(green);
    DrawCentred(hh - 60.0f, "Instructions");
    renderer->DrawText(left, hh - 120.0f, "Controlling Your Ship");
    glColor4fv(white);
    for (const Line& line : kControls)
        renderer->DrawText(left + 20.0f, hh - line.y, "%s", LineText(line.key, line.text).c_str());
    float y = kFirstWeaponLine;
    for (const WeaponRow& row : kWeapons) {
        if (!row.action)
            continue;
        renderer->DrawText(left + 20.0f, hh - y, "%s", LineText(row.key, row.action).c_str());
        y += kLineStep;
    }
    glColor4fv(green);
    renderer->DrawText(left, hh - 420.0f, "Miscellaneous");
    glColor4fv(white);
    for (const Line& line : kMiscellaneous)
        renderer->DrawText(left + 20.0f, hh - line.y, "%s", LineText(line.key, line.text).c_str());

    glColor4fv(green);
    renderer->DrawText(right, hh - 120.0f, "Powerups");
    for (int kind = 0; kind < Powerup::kKinds; ++kind) {
        const PowerupRow& powerup = kPowerups[kind];
        const float step = 40.0f * static_cast<float>(powerup.listed);
        glColor4fv(white);
        renderer->DrawText(right + 20.0f, hh - 148.0f - step, "     %s", powerup.name);
        DrawIcon(PictureIndex(kPictures, powerup.picture), right + 26.0f, hh - 140.0f - step);
    }

    glColor4fv(green);
    renderer->DrawText(left, hh - 540.0f, "Fuel");
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    const struct {
        float x0, x1, y0, y1;
        float r, g, b;
    } gauge[] = {{left + 20, left + 200, hh - 549, hh - 561, 1, 1, 1},
                 {left + 21, left + 199, hh - 550, hh - 560, 0, 0, 0},
                 {left + 21, left + 170, hh - 550, hh - 560, 0, 0, 1}};
    for (const auto& q : gauge) {
        glColor4f(q.r, q.g, q.b, 1.0f);
        glVertex2f(q.x0, q.y0);
        glVertex2f(q.x0, q.y1);
        glVertex2f(q.x1, q.y1);
        glVertex2f(q.x1, q.y0);
    }
    glEnd();
    glEnable(GL_TEXTURE_2D);

    DrawIcon(kFuelBlockIcon, left + 36.0f, hh - 600.0f);
    glColor4fv(white);
    renderer->DrawText(left + 236.0f, hh - 563.0f, "Current Fuel Level");
    renderer->DrawText(left + 236.0f, hh - 608.0f, "Fuel Source");
}
