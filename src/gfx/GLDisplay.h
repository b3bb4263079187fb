#pragma once

#include <cstdint>

#include "base/Singleton.h"
#include "platform/GLContext.h"

namespace platform {
class Window;
}

struct DisplayMode {
    std::int32_t width;
    std::int32_t height;
    std::int32_t bits;
    std::int32_t refresh;
};

// Owns the full-screen display mode and the OpenGL context of the game
// window, and lists the display modes the options screen offers.
class GLDisplay : public Singleton<GLDisplay> {
public:
    static constexpr int kMaxModes = 50;

    virtual ~GLDisplay();

    bool Attach(platform::Window* window);
    bool CreateContext();
    bool Release();
    void MakeCurrent();
    void ReleaseCurrent();
    void Swap();

    bool ChangeMode(int width, int height, int bits, int refresh);
    bool RestoreDefaultMode();
    void EnumerateModes();
    // Fills the mode list from what a display reports, keeping only the
    // modes the options screen offers, at most 50, in the order given.
    void ListModes(const DisplayMode* reported, int count);
    int ModeCount() const { return modeCount; }
    int ModeWidth(int i) const { return InRange(i) ? modes[i].width : 0; }
    int ModeHeight(int i) const { return InRange(i) ? modes[i].height : 0; }
    int ModeBits(int i) const { return InRange(i) ? modes[i].bits : 0; }
    int ModeRefresh(int i) const { return InRange(i) ? modes[i].refresh : 0; }
    int Width() const { return width; }
    int Height() const { return height; }

    // An orthographic volume of w x h units centred on the origin (a zero
    // side follows the other by the screen's aspect). False when GL
    // reported errors, each of which is shown.
    bool SetProjection(float w, float h);

    // The mode offered on the options screen, by the filter of that screen.
    static bool Offered(const DisplayMode& mode);

private:
    friend class Singleton<GLDisplay>;
    GLDisplay() = default;
    bool InRange(int i) const { return i >= 0 && i < modeCount && i < kMaxModes; }

    std::int32_t width = 1024;
    std::int32_t height = 768;
    std::int32_t bits = 32;
    std::int32_t refresh = 60;
    platform::Window* window = nullptr;
    platform::Window* deviceContext = nullptr;
    platform::GLContextHandle renderingContext = nullptr;
    DisplayMode modes[kMaxModes] = {};
    std::int32_t modeCount = 0;
};
