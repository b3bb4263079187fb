#pragma once

#include <SDL2/SDL.h>

// A controller that a test plugs in and moves, through SDL's virtual
// joysticks, as a player's would be. SDL drops what is set before the game
// has opened it, so a test moves it only once the game has it.
class VirtualPad {
public:
    VirtualPad()
    {
        index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                          SDL_CONTROLLER_BUTTON_MAX, 0);
        joystick = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
    }
    ~VirtualPad() { Unplug(); }
    VirtualPad(const VirtualPad&) = delete;
    VirtualPad& operator=(const VirtualPad&) = delete;

    void Axis(SDL_GameControllerAxis axis, Sint16 value) { SDL_JoystickSetVirtualAxis(joystick, axis, value); }
    void Button(SDL_GameControllerButton button, bool down) { SDL_JoystickSetVirtualButton(joystick, button, down); }
    void Unplug()
    {
        if (!joystick)
            return;
        SDL_JoystickClose(joystick);
        SDL_JoystickDetachVirtual(index);
        joystick = nullptr;
    }

private:
    int index = -1;
    SDL_Joystick* joystick = nullptr;
};
