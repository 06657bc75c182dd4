#include "GlFeedback.h"
#include "GlFixture.h"

#include "app/RenderSettings.h"
#include "fx/Hud.h"
#include "render/TextureManager.h"

#include <GL/glu.h>
#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

// What a draw sent to OpenGL, in window coordinates (which are the HUD's pixels, the viewport
// being 800 x 600).
using SVertex = SFeedbackVertex;
struct SRgb {
    float red, green, blue;
};
struct SFeedback {
    std::vector<SVertex> polygonCorners; // every vertex of every polygon
    std::vector<SVertex> bitmaps;        // the raster position of every glyph drawn
};

class HudGl : public GlFixture {
protected:
    void SetUp() override {
        GlFixture::SetUp();
        if (IsSkipped()) {
            return;
        }
        LoadWithoutFiles(registry);
        hud = std::make_unique<CHud>(800, 600, registry);
    }

    SFeedback Capture() {
        SFeedback feedback;
        for (const SFeedbackPrimitive& sent : CaptureFeedback([&] { hud->Draw(settings); })) {
            if (sent.kind == GL_POLYGON_TOKEN) {
                feedback.polygonCorners.insert(feedback.polygonCorners.end(), sent.vertices.begin(),
                                               sent.vertices.end());
            } else if (sent.kind == GL_BITMAP_TOKEN) {
                feedback.bitmaps.push_back(sent.vertices.at(0));
            } else {
                ADD_FAILURE() << "unexpected feedback token " << sent.kind;
            }
        }
        return feedback;
    }

    // Every polygon vertex at pixel (x, y) carries texture coordinate (s, t) and the alpha.
    static void ExpectCorner(const SFeedback& feedback, int x, int y, float s, float t,
                             float alpha) {
        int found = 0;
        for (const SVertex& v : feedback.polygonCorners) {
            if (std::fabs(v.x - x) < 0.01f && std::fabs(v.y - y) < 0.01f) {
                ++found;
                EXPECT_NEAR(v.s, s, 1e-5f) << "at " << x << ", " << y;
                EXPECT_NEAR(v.t, t, 1e-5f) << "at " << x << ", " << y;
                EXPECT_NEAR(v.a, alpha, 1e-5f) << "at " << x << ", " << y;
            }
        }
        EXPECT_GT(found, 0) << "no corner at " << x << ", " << y;
    }

    // A quad from (left, bottom) to (right, top) showing texture u0 to u1, v0 to v1.
    static void ExpectQuad(const SFeedback& feedback, const int (&pixels)[4], const float (&tex)[4],
                           float alpha) {
        ExpectCorner(feedback, pixels[0], pixels[1], tex[0], tex[1], alpha);
        ExpectCorner(feedback, pixels[2], pixels[1], tex[2], tex[1], alpha);
        ExpectCorner(feedback, pixels[2], pixels[3], tex[2], tex[3], alpha);
        ExpectCorner(feedback, pixels[0], pixels[3], tex[0], tex[3], alpha);
    }

    // Glyphs drawn in a row starting at (x, y), each 10 pixels after the last, in one colour.
    static int CountGlyphRow(const SFeedback& feedback, int x, int y, float grey) {
        return CountGlyphRow(feedback, x, y, {grey, grey, grey});
    }
    static int CountGlyphRow(const SFeedback& feedback, int x, int y, const SRgb& colour) {
        int count = 0;
        for (const SVertex& v : feedback.bitmaps) {
            if (std::fabs(v.y - y) < 0.01f && std::fabs(v.x - (x + 10 * count)) < 0.01f) {
                EXPECT_NEAR(v.r, colour.red, 1e-5f);
                EXPECT_NEAR(v.g, colour.green, 1e-5f);
                EXPECT_NEAR(v.b, colour.blue, 1e-5f);
                ++count;
            }
        }
        return count;
    }

    // The polygon corners at height y, left to right, with the colour of the last.
    static std::vector<float> CornersAt(const SFeedback& feedback, int y, SRgb& colour) {
        std::vector<float> xs;
        for (const SVertex& v : feedback.polygonCorners) {
            if (std::fabs(v.y - y) < 0.01f) {
                xs.push_back(v.x);
                colour = {v.r, v.g, v.b};
            }
        }
        std::sort(xs.begin(), xs.end());
        xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
        return xs;
    }

    bool BoxShown(const SFeedback& feedback) const {
        for (const SVertex& v : feedback.polygonCorners) {
            if (v.x == 262.0f && v.y == 15.0f) {
                return true;
            }
        }
        return false;
    }

    // One frame at game time `seconds`: whether the box and how many message glyphs showed.
    std::pair<bool, int> Frame(double seconds) {
        hud->SetTime(seconds);
        const SFeedback feedback = Capture();
        return {BoxShown(feedback), CountGlyphRow(feedback, 372, 70, 1.0f)};
    }

    void ExpectPixel(int x, int y, GLubyte red, GLubyte green, GLubyte blue) {
        GLubyte rgba[4];
        ReadPixel(x, y, rgba);
        EXPECT_EQ(rgba[0], red) << "at " << x << ", " << y;
        EXPECT_EQ(rgba[1], green) << "at " << x << ", " << y;
        EXPECT_EQ(rgba[2], blue) << "at " << x << ", " << y;
    }

    CTextureManager registry;
    CRenderSettings settings;
    std::unique_ptr<CHud> hud;
};

using FrameResult = std::pair<bool, int>;
const FrameResult kBoxAndText{true, 5}; // "HALLO"
const FrameResult kBoxOnly{true, 0};
const FrameResult kNothing{false, 0};

TEST_F(HudGl, BarsMapTheirFractionsOntoTheTextureStrip) {
    hud->SetEnergy(1.0f);
    hud->SetSpeed(0.5f);
    const SFeedback full = Capture();
    ExpectQuad(full, {580, 20, 680, 120}, {0.5f, 0.25f, 0.75f, 0.5f}, 0.5f); // alpha .5 x .4 + .3
    ExpectQuad(full, {20, 20, 220, 120}, {0.0f, 0.25f, 0.5f, 0.5f}, 0.7f);

    hud->SetEnergy(0.0f);
    const SFeedback empty = Capture();
    int emptyBarCorners = 0;
    for (const SVertex& v : empty.polygonCorners) {
        if (v.x < 300.0f) { // left of the turn indicator: only the empty energy bar
            EXPECT_EQ(v.x, 220.0f);
            EXPECT_NEAR(v.s, 0.5f, 1e-5f);
            ++emptyBarCorners;
        }
    }
    EXPECT_GT(emptyBarCorners, 0);
}

TEST_F(HudGl, TurnIndicatorShowsTheCellOfTheTurnLevel) {
    hud->SetTurn(-2.0f);
    const SFeedback left = Capture();
    ExpectQuad(left, {350, 480, 450, 580}, {0.5f, 0.75f, 0.75f, 1.0f}, 0.5f);

    hud->SetTurn(0.0f);
    const SFeedback straight = Capture();
    ExpectQuad(straight, {350, 480, 450, 580}, {0.0f, 0.5f, 0.25f, 0.75f}, 0.5f);
}

TEST_F(HudGl, FrameRateAndClockArePrintedWhiteThenBlackOnePixelDownRight) {
    hud->SetFps(7); // "07 FPS"
    hud->SetTime(61.5);
    SFeedback feedback = Capture();
    EXPECT_EQ(CountGlyphRow(feedback, 20, 570, 1.0f), 6);
    EXPECT_EQ(CountGlyphRow(feedback, 21, 569, 0.0f), 6);
    EXPECT_EQ(CountGlyphRow(feedback, 730, 570, 1.0f), 4); // "1:01"
    EXPECT_EQ(CountGlyphRow(feedback, 731, 569, 0.0f), 4);

    hud->SetFps(1234);
    feedback = Capture();
    EXPECT_EQ(CountGlyphRow(feedback, 20, 570, 1.0f), 8);
    EXPECT_EQ(CountGlyphRow(feedback, 21, 569, 0.0f), 8);

    settings.SetHideFps(1);
    feedback = Capture();
    EXPECT_EQ(CountGlyphRow(feedback, 20, 570, 1.0f), 0);
    EXPECT_EQ(feedback.bitmaps.size(), 8u); // the clock alone
}

TEST_F(HudGl, AMessageCountsDownByNewSeconds) {
    hud->SetTime(10.2);
    hud->ShowMessage("HALLO", 0, 3);
    EXPECT_EQ(Frame(10.5), kBoxAndText);
    EXPECT_EQ(Frame(11.0), kBoxAndText);
    EXPECT_EQ(hud->GetMessageSeconds(), 2);
    EXPECT_EQ(Frame(12.0), kBoxAndText);
    EXPECT_EQ(Frame(12.9), kBoxAndText);
    EXPECT_EQ(Frame(13.0), kBoxOnly); // the last second's first frame: box without text
    EXPECT_EQ(hud->GetMessageSeconds(), 0);
    EXPECT_EQ(Frame(13.1), kNothing);
    EXPECT_EQ(Frame(20.0), kNothing);
}

TEST_F(HudGl, TheMinuteWrapDoesNotCountSoTheMessageLastsASecondLonger) {
    hud->SetTime(58.2);
    hud->ShowMessage("HALLO", 0, 3);
    EXPECT_EQ(Frame(59.0), kBoxAndText);
    EXPECT_EQ(Frame(60.0), kBoxAndText);
    EXPECT_EQ(hud->GetMessageSeconds(), 2);
    EXPECT_EQ(Frame(61.0), kBoxAndText);
    EXPECT_EQ(Frame(62.0), kBoxOnly);
    EXPECT_EQ(Frame(62.5), kNothing);
}

TEST_F(HudGl, ANewMessageReplacesTextStyleAndTimeAtOnce) {
    hud->ShowMessage("FPS OFF", 0, 3);
    hud->SetTime(0.5);
    ExpectCorner(Capture(), 262, 15, 0.0f, 0.5f, 0.5f); // style 0: upper half
    hud->ShowMessage("SORRY. NO HLP", 1, 3);
    EXPECT_STREQ(hud->GetMessageText(), "SORRY. NO HLP");
    EXPECT_EQ(hud->GetMessageStyle(), 1);
    EXPECT_EQ(hud->GetMessageSeconds(), 3);
    const SFeedback feedback = Capture();
    ExpectQuad(feedback, {262, 15, 517, 142}, {0.0f, 0.0f, 1.0f, 0.5f},
               0.5f); // style 1: lower half
    EXPECT_EQ(CountGlyphRow(feedback, 372, 70, 1.0f), 13);
    for (const SVertex& v : feedback.bitmaps) {
        if (v.y == 70.0f) {
            EXPECT_EQ(v.z, 0.0f); // z = 1 in the HUD's projection: in front of everything
        }
    }
}

TEST_F(HudGl, FurtherMessageLinesAreCentredInTheBoxBelowTheFirst) {
    hud->ShowMessage("AUS:MAUS\n1:23.45 NEW BEST\n^$ 7", 1, 5);
    const SFeedback feedback = Capture();
    EXPECT_EQ(CountGlyphRow(feedback, 372, 70, 1.0f), 8);
    EXPECT_EQ(CountGlyphRow(feedback, 310, 54, 1.0f), 16) << "160 pixels about x = 390";
    EXPECT_EQ(CountGlyphRow(feedback, 380, 38, 1.0f), 2) << "only ' 7' takes room";
}

TEST_F(HudGl, AMessageLongerThan31CharactersIsCutToItsFirst31) {
    const std::string thirtyOne = "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234";
    hud->ShowMessage(thirtyOne.c_str(), 0, 3);
    EXPECT_EQ(hud->GetMessageText(), thirtyOne);
    hud->ShowMessage((thirtyOne + "56789").c_str(), 0, 3);
    EXPECT_EQ(hud->GetMessageText(), thirtyOne);
    EXPECT_EQ(CountGlyphRow(Capture(), 372, 70, 1.0f), 31);
    hud->ShowMessage(nullptr, 0, 3);
    EXPECT_STREQ(hud->GetMessageText(), "");
}

TEST_F(HudGl, WithAlphaOnTheHudLeavesTheTranslucencyStateBehind) {
    glMatrixMode(GL_MODELVIEW);
    hud->Draw(settings);
    EXPECT_EQ(GetInteger(GL_MATRIX_MODE), GL_PROJECTION);
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
    EXPECT_EQ(GetInteger(GL_COLOR_MATERIAL_FACE), GL_FRONT);
    EXPECT_EQ(GetInteger(GL_COLOR_MATERIAL_PARAMETER), GL_DIFFUSE);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(GetInteger(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(GetInteger(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(GetInteger(GL_DEPTH_WRITEMASK), GL_TRUE);
    EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_EQ(GetInteger(GL_ALPHA_TEST_FUNC), GL_GREATER);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLint environmentMode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &environmentMode);
    EXPECT_EQ(environmentMode, GL_MODULATE);
    EXPECT_EQ(GetInteger(GL_UNPACK_ALIGNMENT), 1);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0] + colour[1] + colour[2], 3.0f);
}

TEST_F(HudGl, APanelShowsItsLinesOnADarkBoxAndLeavesTheStateAsTheHudAlwaysDid) {
    const auto boxCorner = [](const SFeedback& feedback) -> const SVertex* {
        for (const SVertex& v : feedback.polygonCorners) {
            // The lower left: two lines 20 apart, a margin of 16.
            if (std::fabs(v.x - 170.0f) < 0.01f && std::fabs(v.y - 484.0f) < 0.01f) {
                return &v;
            }
        }
        return nullptr;
    };
    hud->SetPanel({"RECORDS", std::string(50, 'A')});
    EXPECT_EQ(hud->GetPanel()[1].size(), static_cast<std::size_t>(CHud::kPanelColumns));
    const SFeedback shown = Capture();
    const SVertex* corner = boxCorner(shown);
    ASSERT_NE(corner, nullptr);
    EXPECT_NEAR(corner->r + corner->g, 0.0f, 1e-5f);
    EXPECT_NEAR(corner->a, 0.7f, 1e-5f);
    EXPECT_EQ(CountGlyphRow(shown, 186, 520, 1.0f), 7); // "RECORDS"
    EXPECT_EQ(CountGlyphRow(shown, 186, 500, 1.0f), CHud::kPanelColumns);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));

    hud->SetPanel(std::vector<std::string>());
    EXPECT_EQ(boxCorner(Capture()), nullptr);
}

// Each line's text in its colour, its bar from the centre of the last 14 columns (x = 556, 60
// pixels each way), level with the capitals; the title card's box the same, higher up.
TEST_F(HudGl, PanelLinesTakeTheirColourAndABarGreenToTheLeftRedToTheRight) {
    using EColour = CHud::EColour;
    struct SCase {
        const char* what;
        bool title;
        CHud::SPanelLine line;
        SRgb text;
        std::vector<float> barEnds; // none without a bar
        SRgb bar;
    };
    const SRgb green{0.3f, 1.0f, 0.3f};
    const SRgb red{1.0f, 0.3f, 0.3f};
    const SCase cases[] = {
        {"plain", false, {"PLAIN"}, {1.0f, 1.0f, 1.0f}, {}, {}},
        {"faster", false, {"DISC 1", EColour::Green, -0.5f}, green, {526.0f, 556.0f}, green},
        {"slower, past the end", false, {"DISC 2", EColour::Red, 1.5f}, red, {556.0f, 616.0f}, red},
        {"highlighted", false, {"SOUND", EColour::Yellow}, {1.0f, 0.9f, 0.2f}, {}, {}},
        {"title",
         true,
         {"SPACE FLY", EColour::Grey, 0.25f},
         {0.6f, 0.6f, 0.6f},
         {556.0f, 571.0f},
         red},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        hud->SetPanel(c.title ? std::vector<CHud::SPanelLine>() : std::vector{c.line});
        hud->SetTitle(c.title ? std::vector{c.line} : std::vector<CHud::SPanelLine>());
        const int baseline = c.title ? 550 : 520;
        const SFeedback feedback = Capture();
        EXPECT_EQ(CountGlyphRow(feedback, 186, baseline, c.text),
                  static_cast<int>(c.line.text.size()));
        SRgb bottomColour{};
        SRgb topColour{};
        EXPECT_EQ(CornersAt(feedback, baseline + 1, bottomColour), c.barEnds);
        EXPECT_EQ(CornersAt(feedback, baseline + 10, topColour), c.barEnds);
        if (!c.barEnds.empty()) {
            EXPECT_NEAR(topColour.red, c.bar.red, 1e-5f);
            EXPECT_NEAR(topColour.green, c.bar.green, 1e-5f);
        }
    }
}

TEST_F(HudGl, WithAlphaOffTheHudChangesNoTranslucencyState) {
    settings.SetNoAlpha(1);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glDepthMask(GL_FALSE);
    glAlphaFunc(GL_LESS, 0.5f);
    glColorMaterial(GL_BACK, GL_AMBIENT);
    glListBase(7);
    hud->ShowMessage("ALPHA OFF", 0, 3);
    hud->Draw(settings);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(GetInteger(GL_BLEND_SRC), GL_ONE);
    EXPECT_EQ(GetInteger(GL_BLEND_DST), GL_ONE);
    EXPECT_EQ(GetInteger(GL_DEPTH_WRITEMASK), GL_FALSE);
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_EQ(GetInteger(GL_ALPHA_TEST_FUNC), GL_LESS);
    EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
    EXPECT_EQ(GetInteger(GL_COLOR_MATERIAL_FACE), GL_BACK);
    EXPECT_EQ(GetInteger(GL_COLOR_MATERIAL_PARAMETER), GL_AMBIENT);
    EXPECT_EQ(GetInteger(GL_LIST_BASE), 7); // printing restores the list base
    EXPECT_EQ(GetInteger(GL_MATRIX_MODE), GL_PROJECTION);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
}

// The font as it lands on the screen: glyph rows, orientation and advance.
class HudFontGl : public HudGl {
protected:
    void SetUp() override {
        HudGl::SetUp();
        if (IsSkipped()) {
            return;
        }
        glMatrixMode(GL_PROJECTION);
        gluOrtho2D(0.0, 800.0, 0.0, 600.0);
        glClear(GL_COLOR_BUFFER_BIT);
        glColor3f(1.0f, 1.0f, 1.0f);
    }

    // The pixels from (x, y) up: one string per row, top row first, '#' for white.
    std::vector<std::string> ReadBlock(int x, int y, int columns, int rows) {
        std::vector<GLubyte> pixels(static_cast<size_t>(columns * rows * 4));
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(x, y, columns, rows, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        std::vector<std::string> block;
        for (int row = rows - 1; row >= 0; --row) {
            std::string line;
            for (int column = 0; column < columns; ++column) {
                line += pixels[static_cast<size_t>((row * columns + column) * 4)] > 128 ? '#' : '.';
            }
            block.push_back(line);
        }
        return block;
    }

    float RasterX() {
        GLfloat position[4];
        glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
        return position[0];
    }
};

// An F printed at (100, 100): 8 x 11 pixels from y = 100 up to 110 in a 10-pixel cell, rows
// 98 and 99 empty below it.
const std::vector<std::string> kPrintedF = {
    "########..", "########..", "##........", "##........", "##........",
    "######....", "######....", "##........", "##........", "##........",
    "##........", "..........", "..........",
};

TEST_F(HudFontGl, AGlyphIsDrawnUprightFromTwoRowsBelowTheRasterPosition) {
    glRasterPos2i(100, 100);
    hud->PrintText("F");
    EXPECT_EQ(ReadBlock(100, 98, 10, 13), kPrintedF);
    EXPECT_EQ(RasterX(), 110.0f);
}

TEST_F(HudFontGl, CharactersWithoutAGlyphDrawNothingAndTakeNoRoom) {
    glRasterPos2i(100, 100);
    hud->PrintText("^$\xc3\x84"
                   "F{|"); // an UTF-8 letter among them
    EXPECT_EQ(RasterX(), 110.0f);
    std::vector<std::string> expected(4, std::string(30, '.'));
    for (const std::string& row : kPrintedF) {
        expected.push_back(std::string(10, '.') + row + std::string(10, '.'));
    }
    EXPECT_EQ(ReadBlock(90, 98, 30, 17), expected);
}

// A typed name's and a board address's characters: lower case as small capitals, the strokes of
// the capital kept two pixels thick in the lower eight rows, and the signs in the same style.
TEST_F(HudFontGl, LowerCaseAndSignsDrawInTheBlockStyle) {
    struct SCase {
        const char* text;
        std::vector<std::string> art; // 11 rows of 8, top first
    };
    const std::string none(8, '.');
    const SCase cases[] = {
        {"e",
         {none, none, none, "########", "########", "##......", "######..", "######..", "##......",
          "########", "########"}},
        {"k",
         {none, none, none, "##...###", "##..###.", "##.###..", "###.....", "####....", "#####...",
          "##..###.", "##...###"}},
        {"-", {none, none, none, none, none, ".######.", ".######.", none, none, none, none}},
        {"_", {none, none, none, none, none, none, none, none, none, "########", "########"}},
        {"/",
         {"......##", "......##", ".....##.", "....##..", "....##..", "...##...", "..##....",
          "..##....", ".##.....", "##......", "##......"}},
        {">",
         {none, "##......", "####....", "..####..", "....####", "......##", "....####", "..####..",
          "####....", "##......", none}},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.text);
        glClear(GL_COLOR_BUFFER_BIT);
        glRasterPos2i(100, 100);
        hud->PrintText(c.text);
        EXPECT_EQ(RasterX(), 110.0f);
        std::vector<std::string> expected;
        for (const std::string& row : c.art) {
            expected.push_back(row + "..");
        }
        expected.insert(expected.end(), 2, std::string(10, '.'));
        EXPECT_EQ(ReadBlock(100, 98, 10, 13), expected);
    }
}

TEST_F(HudFontGl, TheFrameRateShowsBlackGlyphsWithAWhiteEdgeUpAndLeft) {
    // A green HUD texture, bound and enabled as the game leaves it: the texts must not take it.
    const GLubyte green[4] = {0, 255, 0, 255};
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(registry.Find("hud")));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, green);
    glEnable(GL_TEXTURE_2D);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    hud->SetFps(7); // the 0 starts with two full rows
    hud->Draw(settings);
    ExpectPixel(20, 580, 255, 255, 255);
    ExpectPixel(27, 580, 255, 255, 255);
    ExpectPixel(28, 580, 0, 0, 255);
    ExpectPixel(20, 579, 255, 255, 255);
    ExpectPixel(21, 579, 0, 0, 0);
    ExpectPixel(28, 579, 0, 0, 0);
    ExpectPixel(29, 579, 0, 0, 255);
}

} // namespace
