#include "support/OffscreenGame.h"

#include <GL/gl.h>
#include <SDL2/SDL_events.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "app/AppState.h"
#include "app/WindowProc.h"
#include "gfx/GLDisplay.h"
#include "gfx/Renderer.h"
#include "gfx/screens/Screen.h"
#include "platform/Display.h"
#include "platform/Window.h"

namespace {

std::function<bool(std::uint32_t message, std::uintptr_t wParam)> g_spy;

long SpiedWindowProc(platform::Window* window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)
{
    if (g_spy && g_spy(message, wParam))
        return 0;
    return WindowProc(window, message, wParam, lParam);
}

} // namespace

bool OpenOffscreenGame()
{
    static const bool open = [] {
        ::setenv("SDL_VIDEODRIVER", "offscreen", 1);
        ::setenv("QUILLROCK_NO_DIALOGS", "1", 1);
        if (::chdir(QR_DATA_DIR) != 0 || !platform::VideoInit())
            return false;
        GLDisplay::Instance()->ChangeMode(1024, 768, 32, 60);
        g_screenWidth = GLDisplay::Instance()->Width();
        g_screenHeight = GLDisplay::Instance()->Height();
        platform::Window* window =
            platform::Window::Create("Quillrock test", "QUILLROCKOGL", 1024, 768, SpiedWindowProc);
        if (!window)
            return false;
        window->Show();
        return true;
    }();
    return open;
}

Frame::Frame() : width(g_screenWidth), height(g_screenHeight), rgba(static_cast<std::size_t>(width * height) * 4)
{
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
}

Pixel Frame::At(int x, int y) const
{
    x += width / 2;
    y += height / 2;
    if (x < 0 || y < 0 || x >= width || y >= height)
        return {};
    const unsigned char* p = &rgba[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

bool Frame::Lit(int x, int y) const
{
    const Pixel p = At(x, y);
    return p.r + p.g + p.b > 60;
}

bool Frame::Any(int x, int y, int w, int h, const std::function<bool(Pixel)>& test) const
{
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i)
            if (test ? test(At(i, j)) : Lit(i, j))
                return true;
    return false;
}

char Frame::Band(int y, int x0, int x1) const
{
    for (int j = y; j < y + 16; ++j) {
        for (int x = x0; x < x1; ++x) {
            const Pixel p = At(x, j);
            if (p.g > 200)
                return p.r > 200 ? 'w' : 'g';
        }
    }
    return 0;
}

Frame PresentedFrame()
{
    GLDisplay::Instance()->MakeCurrent();
    glReadBuffer(GL_FRONT);
    Frame frame;
    glReadBuffer(GL_BACK);
    GLDisplay::Instance()->ReleaseCurrent();
    return frame;
}

namespace {

// DrawContent is the screens' own; Draw would present the frame.
class ContentOf : public Screen {
public:
    static void DrawOf(Screen* screen)
    {
        (screen->*(&ContentOf::DrawContent))(screen->Width() / 2.0f, screen->Height() / 2.0f);
    }
};

} // namespace

Frame DrawScreenContent(Screen* screen)
{
    screen->SetSize(1024.0f, 768.0f);
    Renderer::Instance()->BeginFrame();
    glPolygonMode(GL_FRONT, GL_FILL);
    glPolygonMode(GL_BACK, GL_LINE);
    glEnable(GL_TEXTURE_2D);
    screen->LoadTextures();
    ContentOf::DrawOf(screen);
    Frame frame;
    Renderer::Instance()->EndFrame();
    return frame;
}

void RunProbed(const std::function<void()>& loop, const std::function<bool(bool timeUp)>& look)
{
    std::atomic<bool> timeUp{false}, done{false};
    g_spy = [&](std::uint32_t message, std::uintptr_t key) {
        if (message != platform::kMsgKeyDown || key != platform::kVkLeft)
            return false;
        if (!done)
            done = look(timeUp);
        return true;
    };
    std::thread prober([&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!done) {
            timeUp = std::chrono::steady_clock::now() > deadline;
            SDL_Event event{};
            event.type = SDL_KEYDOWN;
            event.key.keysym.sym = SDLK_LEFT;
            SDL_PushEvent(&event);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
    loop();
    done = true;
    prober.join();
    g_spy = nullptr;
}
