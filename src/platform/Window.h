#pragma once

#include <cstdint>
#include <memory>

#include "platform/Gamepads.h"

namespace platform {

// The window messages the game's window procedure handles, with the
// meanings (and numbers) it was written against.
enum WindowMessage : std::uint32_t {
    kMsgCreate = 0x0001,
    kMsgDestroy = 0x0002,
    kMsgSize = 0x0005,   // lParam: width in the low 16 bits, height in the high 16
    kMsgSetFocus = 0x0007,
    kMsgKillFocus = 0x0008,
    kMsgKeyDown = 0x0100, // wParam: virtual key or 0; lParam: set-1 scan code in bits 16-23, bit 30 on a repeat
    kMsgChar = 0x0102,    // wParam: the typed character
    kMsgSysKeyDown = 0x0104, // a key with Alt held; wParam: virtual key (only Enter)
};

// Virtual keys delivered with kMsgKeyDown.
enum VirtualKey : std::uint32_t {
    kVkBack = 0x08,
    kVkTab = 0x09,
    kVkReturn = 0x0D,
    kVkEscape = 0x1B,
    kVkPageUp = 0x21,
    kVkPageDown = 0x22,
    kVkLeft = 0x25,
    kVkUp = 0x26,
    kVkRight = 0x27,
    kVkDown = 0x28,
    kVkF1 = 0x70,
    kVkF2 = 0x71,
    kVkF3 = 0x72,
    kVkF4 = 0x73,
    kVkF5 = 0x74,
    kVkF6 = 0x75,
};

class Window;
using WindowProcedure = long (*)(Window* window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

// The game's one window: an SDL window whose events are turned into the
// messages above and handed to the window procedure.
class Window {
public:
    // Creates the window full-screen at (0, 0) with the given size and
    // delivers kMsgCreate while it is being made. Null when it cannot be made.
    static Window* Create(const char* title, const char* className, int width, int height,
                          WindowProcedure procedure);

    // Delivers kMsgDestroy and closes the window.
    void Destroy();
    // Shows the window; delivers kMsgSize with its client size.
    void Show();
    // Moves to (0, 0) and resizes; no message is delivered.
    void Move(int width, int height);
    // Full screen in the chosen display mode, or without one a borderless
    // window of the given size at (0, 0), as the window starts.
    void SetFullScreen(int width, int height);
    // A framed window of the given size that the player may resize.
    void SetWindowed(int width, int height);
    bool IsWindowed() const { return windowed; }
    // Delivers every pending message; false once the window is gone.
    static bool PumpMessages();
    // Sets the picture of the window's icon from RGBA pixels, first row on top.
    void SetIcon(const std::uint8_t* rgba, int width, int height);

    // The SDL window, for the other pieces of the platform layer.
    void* Native() const { return native; }
    bool HasFocus() const;
    Gamepads& Pads() { return *pads; }

    static Window* Current() { return current; }

private:
    explicit Window(WindowProcedure procedure) : procedure(procedure) {}
    long Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
    void Translate(const void* event);
    void TranslateWindowEvent(const void* event);
    void SendPadPress(int input);

    static Window* current;
    WindowProcedure procedure;
    void* native = nullptr;
    bool windowed = false;
    bool focused = true; // as the window's focus events last said
    std::unique_ptr<Gamepads> pads;
};

void ShowCursor(bool show);

} // namespace platform
