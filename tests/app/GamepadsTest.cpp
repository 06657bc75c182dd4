// Real SDL game-controller code driven through SDL's virtual joystick.

#include "app/Gamepads.h"

#include "VirtualPad.h"
#include "app/Input.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

class Gamepads : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(pads.Start("/nonexistent/gamecontrollerdb.txt")); }
    void TearDown() override { pads.Stop(); }

    // Plugs a pad in and lets the layer open it.
    std::unique_ptr<CVirtualPad> PlugIn(const char* name = "Test Pad") {
        auto pad = std::make_unique<CVirtualPad>(name);
        EXPECT_TRUE(pad->IsPluggedIn()) << SDL_GetError();
        pads.Update(input, nullptr);
        return pad;
    }

    // The six flags as a word: u d l r f a, '-' for released.
    std::string Flags() {
        pads.Update(input, nullptr);
        std::string flags = "------";
        const int held[] = {input.GetUp(),    input.GetDown(), input.GetLeft(),
                            input.GetRight(), input.GetFire(), input.GetAccelerate()};
        for (int i = 0; i < 6; ++i) {
            if (held[i] != 0) {
                flags[i] = "udlrfa"[i];
            }
        }
        return flags;
    }

    CGamepads pads;
    CInput input;
};

TEST_F(Gamepads, TheStickSteersPastAQuarterAndLetsGoOnlyWellInside) {
    const auto pad = PlugIn();
    ASSERT_EQ(pads.GetCount(), 1);
    const struct {
        SDL_GameControllerAxis axis;
        int value;
        const char* flags;
    } steps[] = {
        {SDL_CONTROLLER_AXIS_LEFTX, -8000, "------"}, // inside the dead zone
        {SDL_CONTROLLER_AXIS_LEFTX, -8400, "--l---"},
        {SDL_CONTROLLER_AXIS_LEFTX, -7000, "--l---"}, // hysteresis holds it
        {SDL_CONTROLLER_AXIS_LEFTX, -6000, "------"},
        {SDL_CONTROLLER_AXIS_LEFTX, 9000, "---r--"},
        {SDL_CONTROLLER_AXIS_LEFTX, 0, "------"},
        {SDL_CONTROLLER_AXIS_LEFTY, -32768, "u-----"}, // negative y is up
        {SDL_CONTROLLER_AXIS_LEFTY, 32767, "-d----"},
        {SDL_CONTROLLER_AXIS_LEFTY, 0, "------"},
        {SDL_CONTROLLER_AXIS_RIGHTX, 32767, "------"}, // the right stick does nothing
        {SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 16000, "------"},
        {SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 17000, "-----a"}, // past half
        {SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 14000, "-----a"},
        {SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 12000, "------"},
        {SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767, "------"},
    };
    for (const auto& step : steps) {
        pad->Set(step.axis, step.value);
        EXPECT_EQ(Flags(), step.flags) << "axis " << step.axis << " at " << step.value;
    }
}

TEST_F(Gamepads, ButtonsAndDpadHoldTheirCommandsAndBackDoesNothing) {
    const auto pad = PlugIn();
    const struct {
        SDL_GameControllerButton button;
        const char* flags;
    } buttons[] = {
        {SDL_CONTROLLER_BUTTON_DPAD_UP, "u-----"},
        {SDL_CONTROLLER_BUTTON_DPAD_DOWN, "-d----"},
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, "--l---"},
        {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, "---r--"},
        {SDL_CONTROLLER_BUTTON_A, "----f-"},
        {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, "----f-"},
        {SDL_CONTROLLER_BUTTON_B, "-----a"},
        {SDL_CONTROLLER_BUTTON_BACK, "------"},
        {SDL_CONTROLLER_BUTTON_X, "------"},
        {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, "------"},
    };
    for (const auto& b : buttons) {
        pad->Set(b.button, true);
        EXPECT_EQ(Flags(), b.flags) << "button " << b.button;
        pad->Set(b.button, false);
        EXPECT_EQ(Flags(), "------") << "button " << b.button << " released";
    }
}

TEST_F(Gamepads, KeyboardAndPadsHoldAFlagWhileAnyOfThemHoldsIt) {
    const auto first = PlugIn("First");
    const auto second = PlugIn("Second");
    ASSERT_EQ(pads.GetCount(), 2);
    input.KeyDown(100, 0, 0); // the left arrow
    first->Set(SDL_CONTROLLER_AXIS_LEFTX, -32768);
    first->Set(SDL_CONTROLLER_BUTTON_A, true);
    second->Set(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    second->Set(SDL_CONTROLLER_BUTTON_B, true);
    EXPECT_EQ(Flags(), "--l-fa") << "the first pad fires, the second accelerates";
    first->Set(SDL_CONTROLLER_AXIS_LEFTX, 0);
    second->Set(SDL_CONTROLLER_BUTTON_DPAD_LEFT, false);
    EXPECT_EQ(Flags(), "--l-fa") << "the key still holds left";
    input.KeyUp(100, 0, 0);
    EXPECT_EQ(Flags(), "----fa");
    input.KeyDown('y', 0, 0);
    first->Set(SDL_CONTROLLER_BUTTON_A, false);
    EXPECT_EQ(Flags(), "----fa") << "y still holds fire";
    input.KeyUp('y', 0, 0);
    first->Set(SDL_CONTROLLER_BUTTON_A, true);

    // Pulled out in mid-press: what it held goes at once, the other pad's stays.
    first->Unplug();
    EXPECT_EQ(Flags(), "-----a");
    EXPECT_EQ(pads.GetCount(), 1);
    second->Unplug();
    EXPECT_EQ(Flags(), "------");
    EXPECT_EQ(pads.GetCount(), 0);
}

} // namespace
