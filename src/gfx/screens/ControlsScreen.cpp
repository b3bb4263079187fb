#include "gfx/screens/ControlsScreen.h"

#include <GL/gl.h>

#include "gfx/Renderer.h"
#include "gfx/screens/FitKeys.h"

namespace {

constexpr float kFirstRow = 120.0f;
constexpr float kRowHeight = 20.0f;
constexpr float kLabelX = -320.0f;
constexpr float kKeysX = 0.0f;
constexpr float kPadsX = 160.0f;
// Characters of the game's font that fit the keys and controller columns.
constexpr std::size_t kKeysRoom = 15;
constexpr std::size_t kPadsRoom = 35;

} // namespace

void ControlsScreen::SetRow(int row, const Row& line)
{
    if (row < 0)
        return;
    if (static_cast<std::size_t>(row) >= rows.size())
        rows.resize(static_cast<std::size_t>(row) + 1);
    rows[static_cast<std::size_t>(row)] = line;
}

void ControlsScreen::SelectPrevious()
{
    if (!rows.empty())
        selected = selected > 0 ? selected - 1 : RowCount() - 1;
}

void ControlsScreen::SelectNext()
{
    if (!rows.empty())
        selected = selected + 1 < RowCount() ? selected + 1 : 0;
}

void ControlsScreen::DrawContent(float, float hh)
{
    Renderer* renderer = Renderer::Instance();
    glColor4f(0.0f, 1.0f, 0.0f, 1.0f);
    DrawCentred(hh - 60.0f, "Controls");
    renderer->DrawText(kKeysX, hh - kFirstRow + kRowHeight * 1.5f, "Keys");
    renderer->DrawText(kPadsX, hh - kFirstRow + kRowHeight * 1.5f, "Controller");
    float y = hh - kFirstRow;
    for (int row = 0; row < RowCount(); ++row, y -= kRowHeight) {
        if (row == selected)
            glColor4f(0.0f, 1.0f, 0.0f, 1.0f);
        else
            glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        const Row& line = rows[static_cast<std::size_t>(row)];
        renderer->DrawText(kLabelX, y, "%s", line.label.c_str());
        renderer->DrawText(kKeysX, y, "%s", FitKeys(line.keys, kKeysRoom).c_str());
        renderer->DrawText(kPadsX, y, "%s", FitKeys(line.pads, kPadsRoom).c_str());
    }
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    if (!notice.empty())
        DrawCentred(y - kRowHeight, notice.c_str());
    DrawCentred(-hh + 60.0f, "Up and Down Arrow Select an Action");
    DrawCentred(-hh + 40.0f, "Enter Binds a Key or Button, Backspace Clears the Line");
    DrawCentred(-hh + 20.0f, "Escape Returns to Options");
}
