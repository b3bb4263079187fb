#include <gtest/gtest.h>

#include <GL/gl.h>

#include <array>
#include <tuple>

#include "app/AppState.h"
#include "app/Settings.h"
#include "app/WindowProc.h"
#include "gfx/GLDisplay.h"
#include "platform/Window.h"
#include "support/OffscreenGame.h"
#include "support/TempDir.h"

namespace {

// Alt+Enter, and only Alt+Enter, flips the window setting and keeps it,
// with the window's size.
TEST(WindowMode, AltEnterFlipsTheWindowSettingAndKeepsIt)
{
    ScopedConfigHome home;
    g_settings = Settings();
    g_settings.WindowWidth = 640;
    g_settings.WindowHeight = 400;
    const struct {
        std::uint32_t message;
        std::uint32_t key;
        int windowed;
    } steps[] = {{platform::kMsgSysKeyDown, platform::kVkReturn, 1},
                 {platform::kMsgSysKeyDown, platform::kVkEscape, 1},
                 {platform::kMsgKeyDown, platform::kVkReturn, 1},
                 {platform::kMsgSysKeyDown, platform::kVkReturn, 0}};
    for (const auto& step : steps) {
        WindowProc(nullptr, step.message, step.key, 0);
        Settings stored;
        LoadSettings(stored);
        EXPECT_EQ(std::tuple(g_settings.Windowed, stored.Windowed, stored.WindowWidth, stored.WindowHeight),
                  std::tuple(step.windowed, step.windowed, 640, 400));
    }
    g_settings = Settings();
}

class WindowSize : public OffscreenTest {
protected:
    void TearDown() override { Send(g_screenWidth, g_screenHeight); }
    static void Send(int width, int height)
    {
        WindowProc(nullptr, platform::kMsgSize, 0, static_cast<std::intptr_t>(height) << 16 | width);
    }
    static std::array<GLint, 4> Viewport()
    {
        std::array<GLint, 4> viewport{};
        GLDisplay::Instance()->MakeCurrent();
        glGetIntegerv(GL_VIEWPORT, viewport.data());
        GLDisplay::Instance()->ReleaseCurrent();
        return viewport;
    }
};

// A window of another size shows the mode's layout scaled to fit, centred;
// the window script scales it to half.
TEST_F(WindowSize, TheLayoutIsScaledAndCentredInTheWindow)
{
    ASSERT_EQ(std::tuple(g_screenWidth, g_screenHeight), std::tuple(1024, 768));
    const struct {
        int width, height;
        std::array<GLint, 4> viewport;
    } cases[] = {
        {1024, 968, {0, 100, 1024, 768}},
        {2048, 1000, {357, 0, 1333, 1000}},
    };
    for (const auto& c : cases) {
        Send(c.width, c.height);
        EXPECT_EQ(Viewport(), c.viewport) << c.width << "x" << c.height;
    }
}

} // namespace
