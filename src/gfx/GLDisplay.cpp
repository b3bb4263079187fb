#include "gfx/GLDisplay.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <memory>
#include <vector>

#include "platform/Display.h"
#include "platform/MessageBox.h"

GLDisplay::~GLDisplay()
{
    Release();
}

bool GLDisplay::Attach(platform::Window* target)
{
    Release();
    deviceContext = target;
    const bool created = CreateContext();
    window = target;
    return created;
}

bool GLDisplay::CreateContext()
{
    if (!deviceContext)
        return false;
    bool result = true;
    if (renderingContext) {
        platform::ReleaseCurrent();
        platform::DeleteGLContext(renderingContext);
        renderingContext = nullptr;
    }
    renderingContext = platform::CreateGLContext(deviceContext);
    if (!renderingContext) {
        platform::ShowMessageBox("Unable to create OpenGL rendering context", "Error", platform::MessageIcon::Stop);
        return false;
    }
    if (!platform::MakeCurrent(deviceContext, renderingContext)) {
        platform::ShowMessageBox("Unable to make the newly created rendering context \"current\".", "Error",
                                 platform::MessageIcon::Stop);
        result = false;
    }
    glPolygonMode(GL_FRONT, GL_FILL);
    glPolygonMode(GL_BACK, GL_LINE);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    platform::ReleaseCurrent();
    return result;
}

bool GLDisplay::Release()
{
    if (renderingContext) {
        platform::ReleaseCurrent();
        platform::DeleteGLContext(renderingContext);
        renderingContext = nullptr;
    }
    deviceContext = nullptr;
    return true;
}

void GLDisplay::MakeCurrent()
{
    platform::MakeCurrent(deviceContext, renderingContext);
}

void GLDisplay::ReleaseCurrent()
{
    platform::ReleaseCurrent();
}

void GLDisplay::Swap()
{
    platform::SwapBuffers(deviceContext);
}

bool GLDisplay::ChangeMode(int newWidth, int newHeight, int newBits, int newRefresh)
{
    if (!platform::ChangeDisplayMode(newWidth, newHeight, newBits, newRefresh))
        return false;
    width = newWidth;
    height = newHeight;
    bits = newBits;
    return true;
}

bool GLDisplay::RestoreDefaultMode()
{
    return platform::RestoreDisplayMode();
}

bool GLDisplay::Offered(const DisplayMode& mode)
{
    const bool size = (mode.width == 1024 && mode.height == 768) || (mode.width == 1152 && mode.height == 864) ||
                      (mode.width == 1280 && mode.height == 1024) || (mode.width == 1600 && mode.height == 1200);
    return (mode.bits == 32 || mode.bits == 16) && size && mode.refresh == 60;
}

void GLDisplay::EnumerateModes()
{
    std::vector<DisplayMode> reported;
    platform::DisplayModeInfo info;
    for (int i = 0; platform::EnumDisplayMode(i, info); ++i)
        reported.push_back({info.width, info.height, info.bits, info.refresh});
    if (reported.empty())
        platform::ShowMessageBox("The display reports no modes.", "Error", platform::MessageIcon::Information);
    ListModes(reported.data(), static_cast<int>(reported.size()));
}

void GLDisplay::ListModes(const DisplayMode* reported, int count)
{
    modeCount = 0;
    for (int i = 0; i < count && reported; ++i) {
        if (modeCount < kMaxModes && Offered(reported[i]))
            modes[modeCount++] = reported[i];
    }
}

bool GLDisplay::SetProjection(float w, float h)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const float screenWidth = static_cast<float>(width);
    const float screenHeight = static_cast<float>(height);
    float hw = w / 2.0f;
    float hh = h / 2.0f;
    if (w == 0.0f && h == 0.0f) {
        hw = screenWidth / 2.0f;
        hh = screenHeight / 2.0f;
    } else if (h == 0.0f) {
        hh = (screenHeight / screenWidth) * w / 2.0f;
    } else if (w == 0.0f) {
        hw = (screenWidth / screenHeight) * h / 2.0f;
    }
    glOrtho(-hw, hw, -hh, hh, -100.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    bool clean = true;
    // A lost context can report errors forever; a handful is all one could read.
    int reported = 0;
    for (GLenum error = glGetError(); error != GL_NO_ERROR && reported < 8; error = glGetError(), ++reported) {
        platform::ShowMessageBox(reinterpret_cast<const char*>(gluErrorString(error)), "OpenGL Error",
                                 platform::MessageIcon::Exclamation);
        clean = false;
    }
    return clean;
}
