#pragma once

#include "gfx/Drawable.h"

// The pattern every front-end screen shares: a size to lay out on, a frame
// thickness, and the common frame of Draw around the screen's content.
class Screen : public Drawable {
public:
    void SetSize(float newWidth, float newHeight)
    {
        width = newWidth;
        height = newHeight;
    }
    float Width() const { return width; }
    float Height() const { return height; }

    // Brackets the frame, acquires the textures, then DrawContent(hw, hh).
    bool Draw(int x, int y) override;

    // The x at which a text of length characters is centred.
    static float Centred(int length) { return -5.0f * static_cast<float>(length); }
    // One line centred on x = 0, its bottom edge at y, in the current colour.
    static void DrawCentred(float y, const char* text);

protected:
    virtual void DrawContent(float hw, float hh) = 0;

    float height = 600.0f;
    float width = 800.0f;
    float border = 2.0f;
};
