#pragma once

#include <string>

#include "base/Singleton.h"
#include "gfx/screens/Screen.h"
#include "world/GameKey.h"

// A page of the controls as bound, the powerups and the fuel gauge.
class InstructionsScreen : public Singleton<InstructionsScreen>, public Screen {
public:
    static constexpr int kKeyCodes = kKeyLeave + 1;

    bool LoadTextures() override;
    // The right column's x: beside the longest control line.
    float RightColumn() const { return width / 2.0f - 10.0f * 33.0f - 40.0f; }
    // The keys shown for a game key ("J", "A/J"); F9 always quits and stays.
    void SetKeysText(GameKey key, const std::string& text);
    // One line of the controls: the keys, padded to their column, and text.
    std::string LineText(GameKey key, const char* text) const;

protected:
    void DrawContent(float hw, float hh) override;

private:
    friend class Singleton<InstructionsScreen>;
    InstructionsScreen();
    void DrawIcon(int index, float x, float y);

    std::string keysText[kKeyCodes];
};
