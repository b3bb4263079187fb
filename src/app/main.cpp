#include <cstring>

#include "app/AppState.h"
#include "app/Input.h"
#include "app/Settings.h"
#include "app/SettingsHandover.h"
#include "app/StateLoops.h"
#include "app/WindowProc.h"
#include "base/Singleton.h"
#include "gfx/GLDisplay.h"
#include "gfx/TgaImage.h"
#include "net/NetClient.h"
#include "platform/Display.h"
#include "platform/MessageBox.h"
#include "platform/Window.h"

namespace {

constexpr int kTitleSize = 100;
constexpr int kLargeIcon = 101;

void SetWindowIcon(platform::Window* window)
{
    TgaImage icon;
    if (!icon.LoadFromResource(kLargeIcon))
        return;
    icon.ConvertTo(kOrderRGBA);
    window->SetIcon(icon.Pixels().data(), icon.Width(), icon.Height());
}

} // namespace

int main()
{
    char title[kTitleSize] = {};
    char className[kTitleSize] = {};
    std::strncpy(title, "Quillrock (OpenGL)", sizeof title - 1);
    std::strncpy(className, "QUILLROCKOGL", sizeof className - 1);

    LoadSettings(g_settings);
    HandSettingsToOptions();

    if (!platform::VideoInit()) {
        platform::ShowMessageBox("No display to draw on.", "Error", platform::MessageIcon::Stop);
        return 0;
    }
    GLDisplay* display = GLDisplay::Instance();
    display->ChangeMode(g_settings.ResWidth, g_settings.ResHeight, g_settings.ResDepth, g_settings.ResFreq);
    g_screenWidth = display->Width();
    g_screenHeight = display->Height();

    platform::Window* window = platform::Window::Create(title, className, g_screenWidth, g_screenHeight, WindowProc);
    if (!window) {
        display->RestoreDefaultMode();
        platform::VideoShutdown();
        return 0;
    }
    SetWindowIcon(window);
    window->Show();

    platform::ShowCursor(false);
    Input::Instance();
    g_appState = AppState::Intro;
    g_quitRequested = false;
    RunDispatcher();

    GLDisplay::Instance()->RestoreDefaultMode();
    NetClient::Destroy();
    platform::ShowCursor(true);
    if (platform::Window* open = platform::Window::Current())
        open->Destroy();
    Singletons::ShutdownAll();
    platform::VideoShutdown();
    return 0;
}
