#include "support/OffscreenGame.h"

#include <GL/gl.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

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

void SaveScreenForReview(const char* name)
{
    const char* folder = std::getenv("QR_SHOT_DIR");
    if (!folder)
        return;
    const int width = g_screenWidth;
    const int height = g_screenHeight;
    std::vector<unsigned char> rgb(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    std::ofstream out(std::string(folder) + "/" + name + ".ppm", std::ios::binary);
    out << "P6\n" << width << " " << height << "\n255\n";
    for (int y = height - 1; y >= 0; --y)
        out.write(reinterpret_cast<const char*>(&rgb[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 3]),
                  width * 3);
}
