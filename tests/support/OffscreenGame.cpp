#include "support/OffscreenGame.h"

#include <GL/gl.h>
#include <unistd.h>

#include <cstdlib>

#include "app/AppState.h"
#include "app/WindowProc.h"
#include "gfx/GLDisplay.h"
#include "platform/Display.h"
#include "platform/Window.h"

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
        platform::Window* window = platform::Window::Create("Quillrock test", "QUILLROCKOGL", 1024, 768, WindowProc);
        if (!window)
            return false;
        window->Show();
        return true;
    }();
    return open;
}

Pixel ReadScreenPixel(int x, int y)
{
    Pixel pixel{};
    glReadPixels(x + g_screenWidth / 2, y + g_screenHeight / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &pixel);
    return pixel;
}
