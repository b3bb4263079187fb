#pragma once

#include <string>

#include "base/Singleton.h"
#include "gfx/screens/Screen.h"

// The player picks a ship, types a name and chooses a display mode.
class OptionsScreen : public Singleton<OptionsScreen>, public Screen {
public:
    static constexpr int kSlots = 6;


    bool LoadTextures() override;

    void PreviousShip();
    void NextShip();
    int Slot() const { return slot; }
    // The ship type of the selected slot.
    int ShipType() const;
    // Selects the slot of a type; an unknown type selects the first slot.
    void SetShipType(int type);

    void Name(char* buffer, int size) const;
    void SetName(const char* text);
    const std::string& NameText() const { return name; }

    void PreviousMode();
    void NextMode();
    int ModeIndex() const { return modeIndex; }
    // The mode under the selection in the freshly listed modes; false, with
    // zeros, when the list has no such entry.
    bool SelectedMode(int& width, int& height, int& bits, int& refresh) const;
    // Selects the last listed mode equal to the given one; no match, no change.
    void SelectMode(int width, int height, int bits, int refresh);

protected:
    void DrawContent(float hw, float hh) override;

private:
    friend class Singleton<OptionsScreen>;
    OptionsScreen() = default;
    void DrawShipIcon(int type, float x, float y);
    void DrawSelection(int slot, float hh);

    std::string name;
    int slot = 1;
    int modeIndex = 0;
};
