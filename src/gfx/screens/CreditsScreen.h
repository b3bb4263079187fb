#pragma once

#include "gfx/screens/Screen.h"

// A fixed page of headings and the people behind the game.
class CreditsScreen : public Screen {
public:
    static CreditsScreen* Instance();

    bool LoadTextures() override;

protected:
    void DrawContent(float hw, float hh) override;

private:
    CreditsScreen() = default;
};
