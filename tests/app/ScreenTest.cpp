#include "app/Screen.h"

#include <gtest/gtest.h>

namespace {

TEST(Screen, ThePictureIsTheLargestCentredFourByThreeRectangle) {
    const struct {
        int windowWidth, windowHeight;
        int x, y, width, height;
    } cases[] = {
        {800, 600, 0, 0, 800, 600},       // the design's window: nothing changes
        {1280, 1024, 0, 32, 1280, 960},   // bars above and below
        {1920, 1080, 240, 0, 1440, 1080}, // bars left and right
        {1024, 768, 0, 0, 1024, 768},
        {801, 600, 0, 0, 800, 600}, // one spare column, rounded to the left
        {3, 1, 1, 0, 1, 1},
        {0, 0, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        const CScreen::SRectangle fitted = CScreen::FitPicture(c.windowWidth, c.windowHeight);
        EXPECT_EQ(fitted.x, c.x) << c.windowWidth << " x " << c.windowHeight;
        EXPECT_EQ(fitted.y, c.y) << c.windowWidth << " x " << c.windowHeight;
        EXPECT_EQ(fitted.width, c.width) << c.windowWidth << " x " << c.windowHeight;
        EXPECT_EQ(fitted.height, c.height) << c.windowWidth << " x " << c.windowHeight;
    }
}

} // namespace
