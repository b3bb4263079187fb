#include "platform/Gamepads.h"

#include <SDL2/SDL.h>

#include <utility>

#include "platform/Window.h"

namespace platform {

namespace {

constexpr const char* kNames[kPadInputs] = {
    "Pad A",          "Pad B",         "Pad X",          "Pad Y",          "Pad Back",         "Pad Guide",
    "Pad Start",      "Pad Left Stick", "Pad Right Stick", "Pad Left Shoulder", "Pad Right Shoulder",
    "Pad Up",         "Pad Down",      "Pad Left",       "Pad Right",      "Pad Stick Left",   "Pad Stick Right",
    "Pad Stick Up",   "Pad Stick Down", "Pad Left Trigger", "Pad Right Trigger"};

// SDL's buttons A to D-pad right come in the order of the first inputs.
constexpr int kButtons = SDL_CONTROLLER_BUTTON_DPAD_RIGHT + 1;
static_assert(kButtons == kPadRight + 1);

// -1, 0 or 1 for an axis value, with the dead zone around 0.
int Direction(int value)
{
    return value < -Gamepads::kDeadZone ? -1 : value > Gamepads::kDeadZone ? 1 : 0;
}

void Hold(std::uint8_t state[256], PadInput input)
{
    state[PadCode(input)] = 0x80;
}

} // namespace

Gamepads::Gamepads()
{
    // SDL would freeze a controller's state while the window is in the
    // background, so a button let go there stays held when the focus comes
    // back; the game ignores controllers in the background itself.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);
}

Gamepads::~Gamepads()
{
    for (auto& [id, controller] : open)
        SDL_GameControllerClose(static_cast<SDL_GameController*>(controller));
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

int Gamepads::StickPress(int axis, int value)
{
    const int direction = Direction(value);
    switch (axis) {
    case SDL_CONTROLLER_AXIS_LEFTX: {
        const int before = std::exchange(stickX, direction);
        if (direction == before || direction == 0)
            return -1;
        return direction < 0 ? kPadStickLeft : kPadStickRight;
    }
    case SDL_CONTROLLER_AXIS_LEFTY: {
        const int before = std::exchange(stickY, direction);
        if (direction == before || direction == 0)
            return -1;
        return direction < 0 ? kPadStickUp : kPadStickDown;
    }
    case SDL_CONTROLLER_AXIS_TRIGGERLEFT:
        return !std::exchange(leftTrigger, direction > 0) && direction > 0 ? kPadLeftTrigger : -1;
    case SDL_CONTROLLER_AXIS_TRIGGERRIGHT:
        return !std::exchange(rightTrigger, direction > 0) && direction > 0 ? kPadRightTrigger : -1;
    default: return -1;
    }
}

int Gamepads::Handle(const void* raw)
{
    const SDL_Event& event = *static_cast<const SDL_Event*>(raw);
    switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED:
        if (SDL_GameController* controller = SDL_GameControllerOpen(event.cdevice.which)) {
            const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
            if (!open.emplace(id, controller).second)
                SDL_GameControllerClose(controller);
        }
        return -1;
    case SDL_CONTROLLERDEVICEREMOVED:
        if (const auto found = open.find(event.cdevice.which); found != open.end()) {
            SDL_GameControllerClose(static_cast<SDL_GameController*>(found->second));
            open.erase(found);
        }
        return -1;
    case SDL_CONTROLLERBUTTONDOWN:
        return event.cbutton.button < kButtons ? event.cbutton.button : -1;
    case SDL_CONTROLLERAXISMOTION: return StickPress(event.caxis.axis, event.caxis.value);
    default: return -1;
    }
}

float PushedShare(int value)
{
    constexpr int kFull = 30000;
    const int magnitude = value < 0 ? -value : value;
    if (magnitude <= Gamepads::kDeadZone)
        return 0.0f;
    if (magnitude >= kFull)
        return 1.0f;
    return static_cast<float>(magnitude - Gamepads::kDeadZone) / static_cast<float>(kFull - Gamepads::kDeadZone);
}

bool HeldThisRead(float share, float& carried)
{
    if (share <= 0.0f) {
        carried = 0.0f;
        return false;
    }
    carried += share;
    if (carried < 1.0f)
        return false;
    carried -= 1.0f;
    return true;
}

bool Gamepads::ReadState(std::uint8_t state[256])
{
    int turn = 0;
    for (const auto& [id, opened] : open) {
        auto* controller = static_cast<SDL_GameController*>(opened);
        for (int button = 0; button < kButtons; ++button) {
            if (SDL_GameControllerGetButton(controller, static_cast<SDL_GameControllerButton>(button)))
                Hold(state, static_cast<PadInput>(button));
        }
        const int x = SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTX);
        if (PushedShare(x) > PushedShare(turn))
            turn = x;
        const int y = Direction(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTY));
        if (y)
            Hold(state, y < 0 ? kPadStickUp : kPadStickDown);
        if (Direction(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_TRIGGERLEFT)) > 0)
            Hold(state, kPadLeftTrigger);
        if (Direction(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_TRIGGERRIGHT)) > 0)
            Hold(state, kPadRightTrigger);
    }
    if (HeldThisRead(PushedShare(turn), turnShare))
        Hold(state, turn < 0 ? kPadStickLeft : kPadStickRight);
    return !open.empty();
}

bool ReadPadState(std::uint8_t state[256])
{
    Window* window = Window::Current();
    return window && window->Pads().ReadState(state);
}

const char* PadName(std::uint8_t code)
{
    return IsPadCode(code) ? kNames[code - kFirstPadCode] : "";
}

} // namespace platform
