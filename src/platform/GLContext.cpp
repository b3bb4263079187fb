#include "platform/GLContext.h"

#include <SDL2/SDL.h>

#include "platform/Window.h"

namespace platform {

namespace {
SDL_Window* Native(Window* window)
{
    return window ? static_cast<SDL_Window*>(window->Native()) : nullptr;
}
} // namespace

GLContextHandle CreateGLContext(Window* window)
{
    SDL_Window* native = Native(window);
    if (!native)
        return nullptr;
    SDL_GLContext context = SDL_GL_CreateContext(native);
    if (context)
        SDL_GL_SetSwapInterval(1);
    return context;
}

void DeleteGLContext(GLContextHandle context)
{
    if (context)
        SDL_GL_DeleteContext(context);
}

bool MakeCurrent(Window* window, GLContextHandle context)
{
    SDL_Window* native = Native(window);
    return native && context && SDL_GL_MakeCurrent(native, context) == 0;
}

void ReleaseCurrent()
{
    if (SDL_GL_GetCurrentContext())
        SDL_GL_MakeCurrent(SDL_GL_GetCurrentWindow(), nullptr);
}

void SwapBuffers(Window* window)
{
    if (SDL_Window* native = Native(window))
        SDL_GL_SwapWindow(native);
}

} // namespace platform
