#pragma once

#include "base/Singleton.h"
#include "gfx/screens/Screen.h"

// A fixed page of headings and the people behind the game.
class CreditsScreen : public Singleton<CreditsScreen>, public Screen {
public:

    bool LoadTextures() override;

protected:
    void DrawContent(float hw, float hh) override;

private:
    friend class Singleton<CreditsScreen>;
    CreditsScreen() = default;
};
