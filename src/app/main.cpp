#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "app/AppState.h"
#include "app/DemoSession.h"
#include "app/Input.h"
#include "app/Settings.h"
#include "app/SettingsHandover.h"
#include "app/SoundBoard.h"
#include "app/StateLoops.h"
#include "app/WindowProc.h"
#include "base/Singleton.h"
#include "demo/DemoReader.h"
#include "gfx/GLDisplay.h"
#include "gfx/TgaImage.h"
#include "net/NetClient.h"
#include "platform/DataDirectory.h"
#include "platform/HttpUrl.h"
#include "platform/Display.h"
#include "platform/MessageBox.h"
#include "platform/PathResolver.h"
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

constexpr const char* kUsage = "Usage: quillrock [--data DIR] [--no-sound] [--volume N] [--master URL]... [[--demo] FILE]\n"
                                "Quillrock: fly, fight and refuel on a wrap-around map against other players.\n"
                                "\n"
                                "  --data DIR  the folder holding the game's Graphics, Sounds and Maps\n"
                                "  --no-sound  play without sound (F8 mutes and unmutes while playing)\n"
                                "  --volume N  the sound's volume from 0 to 10, kept for the next games (7 at first)\n"
                                "  --master URL\n"
                                "              a master listing internet servers (http://HOST:PORT), repeatable,\n"
                                "              asked in order and kept for the next games; Tab on the address\n"
                                "              screen lists their servers\n"
                                "  --demo FILE play a recorded game: SPACE pauses, + and - change the speed,\n"
                                "              Left and Right seek 10 s, Home restarts, Tab follows the next\n"
                                "              ship, ESC or F9 leaves; games are kept in\n"
                                "              $XDG_DATA_HOME/quillrock/demos (~/.local/share/quillrock/demos)\n"
                                "  --help      show this text\n";

struct CommandLine {
    bool wanted = true;
    int volume = -1; // none given
    std::string demo; // a recorded game to play instead of the menus
    std::vector<std::string> masters; // none given: the saved ones stand
};

// A volume named on the command line: a whole number from 0 to 10.
bool ReadVolume(const char* text, int& volume)
{
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 0 || value > SoundBoard::kVolumeSteps)
        return false;
    volume = static_cast<int>(value);
    return true;
}

// The game names its pictures and maps relative to their folder, so it works
// from there. Returns the exit code when the program should end at once.
std::optional<int> EnterDataDirectory(int argc, char** argv, CommandLine& options)
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
        if (std::strcmp(argv[i], "--demo") == 0 && i + 1 < argc) {
            options.demo = std::filesystem::absolute(argv[++i]).string();
            continue;
        }
        if (std::strcmp(argv[i], "--master") == 0 && i + 1 < argc) {
            std::string why;
            if (!platform::HttpUrl::Parse(argv[++i], why)) {
                std::fprintf(stderr, "quillrock: --master '%s' %s\n%s", argv[i], why.c_str(), kUsage);
                return 2;
            }
            options.masters.emplace_back(argv[i]);
            continue;
        }
        if (std::strcmp(argv[i], "--no-sound") == 0) {
            options.wanted = false;
            continue;
        }
        if (std::strcmp(argv[i], "--volume") == 0) {
            if (i + 1 < argc && ReadVolume(argv[i + 1], options.volume)) {
                ++i;
                continue;
            }
            std::fprintf(stderr, "quillrock: --volume needs a number from 0 to 10\n%s", kUsage);
            return 2;
        }
        // A file opened from a file manager comes alone, without --demo.
        if (argv[i][0] != '-' && options.demo.empty()) {
            options.demo = std::filesystem::absolute(argv[i]).string();
            continue;
        }
        std::fprintf(stderr, "quillrock: %s '%s'\n%s", std::strcmp(argv[i], "--data") == 0   ? "missing folder after"
                     : std::strcmp(argv[i], "--demo") == 0 ? "missing file after"
                     : std::strcmp(argv[i], "--master") == 0 ? "missing address after"
                                                           : "unknown option",
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

// Why the demo cannot be played, empty when it can.
std::string DemoError(const std::string& path, DemoReader& demo)
{
    std::string error;
    if (!demo.ReadFile(path, error))
        return error;
    // A map in neither the Maps folder nor the downloads is said on the
    // console as the game plays, as it would have been in the game.
    if (demo.Records().empty())
        return "no part of the game in it can be read";
    return "";
}

// The demo named on the command line, read whole; false, once the player
// is told why, when it cannot be played.
bool ReadDemo(const std::string& path, DemoReader& demo)
{
    const std::string error = DemoError(path, demo);
    if (error.empty())
        return true;
    const std::string text = "Cannot play the demo \"" + path + "\": " + error + ".";
    std::fprintf(stderr, "quillrock: %s\n", text.c_str());
    platform::ShowMessageBox(text.c_str(), "Error", platform::MessageIcon::Stop);
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    CommandLine options;
    if (const std::optional<int> exitCode = EnterDataDirectory(argc, argv, options))
        return *exitCode;
    DemoReader demo;
    if (!options.demo.empty() && !ReadDemo(options.demo, demo))
        return 1;

    char title[kTitleSize] = {};
    char className[kTitleSize] = {};
    std::strncpy(title, "Quillrock (OpenGL)", sizeof title - 1);
    std::strncpy(className, "QUILLROCKOGL", sizeof className - 1);

    LoadSettings(g_settings);
    if (options.volume >= 0) {
        g_settings.Volume = options.volume;
        WriteSettings(g_settings);
    }
    if (!options.masters.empty()) {
        g_settings.Masters = options.masters;
        WriteControlSettings(g_settings);
    }
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
    SoundBoard::Instance()->SetVolume(g_settings.Volume);
    SoundBoard::Instance()->Start(options.wanted);

    platform::ShowCursor(false);
    Input::Instance();
    g_appState = AppState::Intro;
    g_quitRequested = false;
    if (options.demo.empty())
        RunDispatcher();
    else
        RunDemoLoop(demo);

    GLDisplay::Instance()->RestoreDefaultMode();
    NetClient::Destroy();
    platform::ShowCursor(true);
    if (platform::Window* open = platform::Window::Current())
        open->Destroy();
    Singletons::ShutdownAll();
    platform::VideoShutdown();
    return 0;
}
