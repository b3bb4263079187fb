#pragma once

#include "base/Singleton.h"
#include "gfx/screens/Screen.h"

// A fixed page of the controls, the powerups and the fuel gauge.
class InstructionsScreen : public Singleton<InstructionsScreen>, public Screen {
public:

    bool LoadTextures() override;
    // The right column's x: beside the longest control line.
    float RightColumn() const { return width / 2.0f - 10.0f * 33.0f - 40.0f; }

protected:
    void DrawContent(float hw, float hh) override;

private:
    friend class Singleton<InstructionsScreen>;
    InstructionsScreen() = default;
    void DrawIcon(int index, float x, float y);
};
