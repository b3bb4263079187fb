#include "platform/MessageBox.h"

#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform {

namespace {
bool SomeoneCanAnswer()
{
    if (std::getenv("QUILLROCK_NO_DIALOGS"))
        return false;
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && (std::strcmp(driver, "x11") == 0 || std::strcmp(driver, "wayland") == 0);
}
} // namespace

void ShowMessageBox(const char* text, const char* title, MessageIcon icon)
{
    std::fprintf(stderr, "%s: %s\n", title ? title : "", text ? text : "");
    if (!SomeoneCanAnswer())
        return;
    const Uint32 flags = icon == MessageIcon::Stop          ? SDL_MESSAGEBOX_ERROR
                         : icon == MessageIcon::Exclamation ? SDL_MESSAGEBOX_WARNING
                                                            : SDL_MESSAGEBOX_INFORMATION;
    SDL_ShowSimpleMessageBox(flags, title, text, nullptr);
}

} // namespace platform
