#pragma once

namespace platform {

class Window;
using GLContextHandle = void*;

// An OpenGL compatibility context on the game window; null on failure.
GLContextHandle CreateGLContext(Window* window);
void DeleteGLContext(GLContextHandle context);
bool MakeCurrent(Window* window, GLContextHandle context);
void ReleaseCurrent();
void SwapBuffers(Window* window);

} // namespace platform
