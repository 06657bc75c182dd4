// Test-only, loaded into the real game with LD_PRELOAD: plugs in one of SDL's virtual game
// pads as soon as the game starts SDL's game-controller layer, and sets what the pad holds from
// a small text file that the test writes, named by ZELKORA_TEST_PAD. Each line is a control and
// a value: "trigger 32767" (the right trigger, 0 to 32767), "x -32768" (the left stick across),
// "a 1", "b 1", "start 1" (buttons). The file is read again whenever it changes.

#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <string>
#include <sys/stat.h>

namespace {

SDL_Joystick* pad = nullptr;
time_t readAt = 0;
long readAtNanoseconds = -1;

template <typename Function> Function Real(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

void PlugIn() {
    const int index = SDL_JoystickAttachVirtual(
        SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
    pad = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
    if (pad != nullptr) { // released triggers: their joystick axes span the whole range
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
    }
}

void Apply(const char* control, int value) {
    if (std::strcmp(control, "trigger") == 0) {
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT,
                                   static_cast<Sint16>(value * 2 - 32768));
    } else if (std::strcmp(control, "x") == 0) {
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, static_cast<Sint16>(value));
    } else if (std::strcmp(control, "y") == 0) {
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTY, static_cast<Sint16>(value));
    } else if (std::strcmp(control, "down") == 0) {
        SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_DPAD_DOWN, value != 0);
    } else if (std::strcmp(control, "a") == 0) {
        SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_A, value != 0);
    } else if (std::strcmp(control, "b") == 0) {
        SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_B, value != 0);
    } else if (std::strcmp(control, "start") == 0) {
        SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_START, value != 0);
    }
}

void ReadCommands() {
    const char* path = std::getenv("ZELKORA_TEST_PAD");
    struct stat status {};
    if (pad == nullptr || path == nullptr || stat(path, &status) != 0 ||
        (status.st_mtim.tv_sec == readAt && status.st_mtim.tv_nsec == readAtNanoseconds)) {
        return;
    }
    readAt = status.st_mtim.tv_sec;
    readAtNanoseconds = status.st_mtim.tv_nsec;
    if (FILE* file = std::fopen(path, "r")) {
        char control[16];
        int value = 0;
        while (std::fscanf(file, "%15s %d", control, &value) == 2) {
            Apply(control, value);
        }
        std::fclose(file);
    }
}

} // namespace

extern "C" int SDL_InitSubSystem(Uint32 flags) {
    static const auto real = Real<int (*)(Uint32)>("SDL_InitSubSystem");
    const int result = real(flags);
    if (result == 0 && (flags & SDL_INIT_GAMECONTROLLER) != 0 && pad == nullptr) {
        PlugIn();
    }
    return result;
}

extern "C" int SDL_PollEvent(SDL_Event* event) {
    static const auto real = Real<int (*)(SDL_Event*)>("SDL_PollEvent");
    ReadCommands();
    return real(event);
}
