#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

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
#include "platform/DataDirectory.h"
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

constexpr const char* kUsage = "Usage: quillrock [--data DIR]\n"
                                "Quillrock: fly, fight and refuel on a wrap-around map against other players.\n"
                                "\n"
                                "  --data DIR  the folder holding the game's Graphics and Maps\n"
                                "  --help      show this text\n";

// The game names its pictures and maps relative to their folder, so it works
// from there. Returns the exit code when the program should end at once.
std::optional<int> EnterDataDirectory(int argc, char** argv)
{
    std::string named;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--data") == 0 && i + 1 < argc) {
            named = argv[++i];
            continue;
        }
        std::fprintf(stderr, "quillrock: %s '%s'\n%s", std::strcmp(argv[i], "--data") == 0 ? "missing folder after" : "unknown option",
                     argv[i], kUsage);
        return 2;
    }
    const std::string folder = platform::FindDataDirectory(named);
    std::error_code error;
    if (!folder.empty())
        std::filesystem::current_path(folder, error);
    if (folder.empty() || error) {
        const std::string text = named.empty()
                                     ? "Cannot find the game's pictures and maps. Name their folder with --data DIR."
                                     : "No Graphics or Maps folder in \"" + named + "\".";
        platform::ShowMessageBox(text.c_str(), "Error", platform::MessageIcon::Stop);
        return 1;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv)
{
    if (const std::optional<int> exitCode = EnterDataDirectory(argc, argv))
        return *exitCode;

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
