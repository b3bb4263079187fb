#pragma once

#include <cstdint>

namespace platform {
class Window;
}

// The window procedure of the game window: it makes and tears down the
// drawing context and the input, keeps the viewport in step with the size,
// and turns typed keys into state changes and text edits.
long WindowProc(platform::Window* window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
