#include "gfx/screens/OptionsScreen.h"

#include <GL/gl.h>

#include <memory>

#include "base/TextCopy.h"
#include "gfx/GLDisplay.h"
#include "gfx/IconQuad.h"
#include "gfx/Renderer.h"

namespace {

// By slot, 1 to 6 from left to right.
constexpr int kSlotType[OptionsScreen::kSlots] = {0, 5, 2, 3, 4, 1};
constexpr float kSlotX[OptionsScreen::kSlots] = {-160.0f, -96.0f, -32.0f, 32.0f, 96.0f, 160.0f};
// The texture of each ship type in this screen's set.
constexpr int kTypeTexture[OptionsScreen::kSlots] = {0, 4, 5, 2, 3, 1};
constexpr int kShieldTexture = 6;

} // namespace

bool OptionsScreen::LoadTextures()
{
    for (const char* picture : {"Triship.tga", "Twoship.tga", "XShip.tga", "YShip.tga", "CurveShip.tga",
                                "TrekShip.tga", "shield.tga"})
        Acquire(picture);
    return NoteError();
}

void OptionsScreen::PreviousShip()
{
    if (--slot < 1)
        slot = kSlots;
}

void OptionsScreen::NextShip()
{
    if (++slot > kSlots)
        slot = 1;
}

int OptionsScreen::ShipType() const
{
    return slot >= 1 && slot <= kSlots ? kSlotType[slot - 1] : 0;
}

void OptionsScreen::SetShipType(int type)
{
    slot = 1;
    for (int s = 1; s <= kSlots; ++s) {
        if (kSlotType[s - 1] == type)
            slot = s;
    }
}

void OptionsScreen::Name(char* buffer, int size) const
{
    CopyText(buffer, size, name.c_str());
}

void OptionsScreen::SetName(const char* text)
{
    if (text)
        name = text;
}

void OptionsScreen::PreviousMode()
{
    if (--modeIndex < 0)
        modeIndex = GLDisplay::Instance()->ModeCount() - 1;
}

void OptionsScreen::NextMode()
{
    if (++modeIndex > GLDisplay::Instance()->ModeCount() - 1)
        modeIndex = 0;
}

bool OptionsScreen::SelectedMode(int& width, int& height, int& bits, int& refresh) const
{
    GLDisplay* display = GLDisplay::Instance();
    display->EnumerateModes();
    width = display->ModeWidth(modeIndex);
    height = display->ModeHeight(modeIndex);
    bits = display->ModeBits(modeIndex);
    refresh = display->ModeRefresh(modeIndex);
    return modeIndex >= 0 && modeIndex < display->ModeCount();
}

void OptionsScreen::SelectMode(int width, int height, int bits, int refresh)
{
    GLDisplay* display = GLDisplay::Instance();
    display->EnumerateModes();
    for (int i = 0; i < display->ModeCount(); ++i) {
        if (display->ModeWidth(i) == width && display->ModeHeight(i) == height && display->ModeBits(i) == bits &&
            display->ModeRefresh(i) == refresh)
            modeIndex = i;
    }
}

void OptionsScreen::DrawShipIcon(int type, float x, float y)
{
    if (type < 0 || type >= kSlots)
        return;
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    DrawIconQuad(Texture(static_cast<std::size_t>(kTypeTexture[type])), x, y, FirstRow::Bottom);
}

void OptionsScreen::DrawSelection(int selected, float hh)
{
    const float x = selected >= 1 && selected <= kSlots ? kSlotX[selected - 1] : 0.0f;
    DrawIconQuad(Texture(kShieldTexture), x, hh - 106.0f, FirstRow::Bottom);
}

void OptionsScreen::DrawContent(float, float hh)
{
    Renderer* renderer = Renderer::Instance();
    glColor4f(0.0f, 1.0f, 0.0f, 1.0f);
    DrawCentred(hh - 70.0f, "Choose Your Ship");
    for (int s = 1; s <= kSlots; ++s)
        DrawShipIcon(kSlotType[s - 1], kSlotX[s - 1], hh - 106.0f);
    DrawSelection(slot, hh);

    glColor4f(0.0f, 1.0f, 0.0f, 1.0f);
    DrawCentred(hh - 200.0f, "Enter Your Name");
    if (!name.empty()) {
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        DrawCentred(hh - 232.0f, name.c_str());
    }

    GLDisplay* display = GLDisplay::Instance();
    display->EnumerateModes();
    glColor4f(0.0f, 1.0f, 0.0f, 1.0f);
    DrawCentred(hh - 300.0f, "Resolutions");
    for (int i = 0; i < display->ModeCount(); ++i) {
        if (i == modeIndex)
            glColor4f(0.0f, 1.0f, 0.0f, 1.0f);
        else
            glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        renderer->DrawText(-60.0f, hh - 340.0f - 20.0f * static_cast<float>(i), "%4dx%4dx%2d", display->ModeWidth(i),
                           display->ModeHeight(i), display->ModeBits(i));
    }

    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    renderer->DrawText(-165.0f, -hh + 80.0f, "Left and Right Arrow Select Ship");
    DrawCentred(-hh + 60.0f, "Up and Down Arrow Selects Resolution");
    DrawCentred(-hh + 40.0f, "Enter Saves Changes and Returns to Main Menu");
    DrawCentred(-hh + 20.0f, "Escape Discards Changes and Returns to Main Menu");
}
