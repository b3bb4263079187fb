#include "gfx/screens/CreditsScreen.h"

#include <GL/gl.h>

#include <memory>

namespace {

struct Line {
    float y;
    bool heading;
    const char* text;
};

constexpr Line kLines[] = {
    {60, true, "Quillrock!"},
    {100, true, "Created By"},
    {120, false, "The Quillrock developers"},
    {160, true, "Additional Programming"},
    {180, false, "The platform and network team"},
    {220, true, "Special Thanks To"},
    {240, false, "The SDL developers"},
    {260, false, "The ENet developers"},
    {280, false, "The Mesa developers"},
    {320, true, "Level Design"},
    // Each group's lines have one length with the colon at one place, so
    // that, centred, their colons line up.
    {340, false, "  Arena: the map team"},
    {360, false, " Warren: the map team"},
    {380, false, "Expanse: the map team"},
    {420, true, "Testers"},
    {440, false, "The unit tests"},
    {460, false, "The sanitizers"},
    {480, false, "The fuzzers"},
    {500, false, "Everyone who plays on our LAN"},
    {540, true, "Hardcore Linear Algebra Guru"},
    {560, false, "The geometry maintainer"},
    {600, true, "Brindlewood Game Production Faculty and Staff"},
    {620, false, "Instructor: the lead developer"},
    {640, false, "        TA: the reviewers     "},
    {660, false, "        TA: the release crew  "},
};

} // namespace

bool CreditsScreen::LoadTextures()
{
    for (const char* picture :
         {"Triship.tga", "Twoship.tga", "XShip.tga", "YShip.tga", "CurveShip.tga", "TrekShip.tga", "pup_cloak.tga",
          "pup_fuel.tga", "pup_mine.tga", "pup_missile.tga", "pup_plasma.tga", "pup_tank.tga", "pup_triple.tga",
          "pup_repulse.tga", "FuelBlockIcon.tga"})
        Acquire(picture);
    return NoteError();
}

void CreditsScreen::DrawContent(float, float hh)
{
    for (const Line& line : kLines) {
        if (line.heading)
            glColor4f(0.0f, 1.0f, 0.0f, 1.0f);
        else
            glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        DrawCentred(hh - line.y, line.text);
    }
}
