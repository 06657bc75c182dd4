#include "fx/Hud.h"

#include "app/RenderSettings.h"
#include "render/TextureManager.h"
#include "render/Translucency.h"

#include <GL/glu.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

constexpr int kGlyphWidth = 8;
constexpr int kGlyphHeight = 13;
constexpr int kArtRows = 11; // the two rows below them stay empty for the raster origin
constexpr int kGlyphAdvance = 10;
constexpr int kMessageBoxCentre = 390;  // the box spans 262 to 517
constexpr int kMessageLineSpacing = 16; // pixels between a message's lines
constexpr int kPanelLineSpacing = 20;
constexpr int kPanelTop = 520;   // the first line's baseline
constexpr int kPanelMargin = 16; // between the box's edge and the text
constexpr int kPanelLeft = 170;  // the box spans 170 to 630: 44 glyphs and the margins

constexpr int kFirstLetter = 0;
constexpr int kFirstDigit = 26;
constexpr int kColon = 36;
constexpr int kFullStop = 37;
constexpr int kBlank = 38;
constexpr int kNumberSign = 39; // the board's ranks: "BOARD #3 OF 41"
constexpr int kGlyphCount = 40;

// Which character codes have a glyph, and where: the font's lists and the width of a run of
// text both follow this.
struct SGlyphRun {
    unsigned char firstCode;
    int firstGlyph;
    int count;
};
constexpr SGlyphRun kGlyphRuns[] = {{'A', kFirstLetter, 26}, {' ', kBlank, 1},
                                    {'0', kFirstDigit, 10},  {':', kColon, 1},
                                    {'.', kFullStop, 1},     {'#', kNumberSign, 1}};

bool HasGlyph(char c) {
    const auto code = static_cast<unsigned char>(c);
    for (const SGlyphRun& run : kGlyphRuns) {
        if (code >= run.firstCode && code < run.firstCode + run.count) {
            return true;
        }
    }
    return false;
}

// The glyphs as drawn, top row first: A to Z, 0 to 9, colon, full stop, blank, number sign. Block
// shapes, strokes two pixels thick; '#' is a lit pixel.
constexpr const char* kGlyphArt[kGlyphCount][kArtRows] = {
    {"########", "########", "##....##", "##....##", "##....##", "########", "########", "##....##",
     "##....##", "##....##", "##....##"}, // A
    {"#######.", "########", "##....##", "##....##", "##...##.", "#######.", "########", "##....##",
     "##....##", "########", "#######."}, // B
    {"########", "########", "##......", "##......", "##......", "##......", "##......", "##......",
     "##......", "########", "########"}, // C
    {"######..", "#######.", "##...###", "##....##", "##....##", "##....##", "##....##", "##....##",
     "##...###", "#######.", "######.."}, // D
    {"########", "########", "##......", "##......", "##......", "######..", "######..", "##......",
     "##......", "########", "########"}, // E
    {"########", "########", "##......", "##......", "##......", "######..", "######..", "##......",
     "##......", "##......", "##......"}, // F
    {"########", "########", "##......", "##......", "##......", "##..####", "##..####", "##....##",
     "##....##", "########", "########"}, // G
    {"##....##", "##....##", "##....##", "##....##", "##....##", "########", "########", "##....##",
     "##....##", "##....##", "##....##"}, // H
    {".######.", ".######.", "...##...", "...##...", "...##...", "...##...", "...##...", "...##...",
     "...##...", ".######.", ".######."}, // I
    {"......##", "......##", "......##", "......##", "......##", "......##", "......##", "##....##",
     "##....##", "########", "########"}, // J
    {"##...###", "##..###.", "##.###..", "#####...", "####....", "###.....", "####....", "#####...",
     "##.###..", "##..###.", "##...###"}, // K
    {"##......", "##......", "##......", "##......", "##......", "##......", "##......", "##......",
     "##......", "########", "########"}, // L
    {"##....##", "###..###", "########", "##.##.##", "##.##.##", "##....##", "##....##", "##....##",
     "##....##", "##....##", "##....##"}, // M
    {"##....##", "###...##", "####..##", "####..##", "##.##.##", "##.##.##", "##..####", "##..####",
     "##...###", "##....##", "##....##"}, // N
    {"########", "########", "##....##", "##....##", "##....##", "##....##", "##....##", "##....##",
     "##....##", "########", "########"}, // O
    {"########", "########", "##....##", "##....##", "##....##", "########", "########", "##......",
     "##......", "##......", "##......"}, // P
    {"########", "########", "##....##", "##....##", "##....##", "##....##", "##.##.##", "##..####",
     "##...###", "########", "########"}, // Q
    {"########", "########", "##....##", "##....##", "##....##", "########", "########", "##.##...",
     "##..##..", "##...##.", "##....##"}, // R
    {"########", "########", "##......", "##......", "##......", "########", "########", "......##",
     "......##", "########", "########"}, // S
    {"########", "########", "...##...", "...##...", "...##...", "...##...", "...##...", "...##...",
     "...##...", "...##...", "...##..."}, // T
    {"##....##", "##....##", "##....##", "##....##", "##....##", "##....##", "##....##", "##....##",
     "##....##", "########", "########"}, // U
    {"##....##", "##....##", "##....##", "##....##", "##....##", "##....##", ".##..##.", ".##..##.",
     "..####..", "..####..", "...##..."}, // V
    {"##....##", "##....##", "##....##", "##....##", "##....##", "##.##.##", "##.##.##", "##.##.##",
     "########", "###..###", "##....##"}, // W
    {"##....##", "##....##", ".##..##.", "..####..", "...##...", "...##...", "...##...", "..####..",
     ".##..##.", "##....##", "##....##"}, // X
    {"##....##", "##....##", ".##..##.", "..####..", "...##...", "...##...", "...##...", "...##...",
     "...##...", "...##...", "...##..."}, // Y
    {"########", "########", ".....###", "....###.", "...###..", "..###...", ".###....", "###.....",
     "##......", "########", "########"}, // Z
    {"########", "########", "##....##", "##...###", "##..####", "##.##.##", "####..##", "###...##",
     "##....##", "########", "########"}, // 0, slashed to tell it from O
    {"...##...", "..###...", ".####...", "...##...", "...##...", "...##...", "...##...", "...##...",
     "...##...", ".######.", ".######."}, // 1
    {"########", "########", "......##", "......##", "......##", "########", "########", "##......",
     "##......", "########", "########"}, // 2
    {"########", "########", "......##", "......##", "......##", ".#######", ".#######", "......##",
     "......##", "########", "########"}, // 3
    {"##....##", "##....##", "##....##", "##....##", "##....##", "########", "########", "......##",
     "......##", "......##", "......##"}, // 4
    {"########", "########", "##......", "##......", "##......", "#######.", "########", "......##",
     "......##", "########", "#######."}, // 5, rounder than S
    {"########", "########", "##......", "##......", "##......", "########", "########", "##....##",
     "##....##", "########", "########"}, // 6
    {"########", "########", "......##", "......##", ".....##.", "....##..", "...##...", "...##...",
     "...##...", "...##...", "...##..."}, // 7
    {"########", "########", "##....##", "##....##", "##....##", ".######.", "########", "##....##",
     "##....##", "########", "########"}, // 8
    {"########", "########", "##....##", "##....##", "########", "########", "......##", "......##",
     "......##", "########", "########"}, // 9
    {"........", "........", "...##...", "...##...", "........", "........", "........", "...##...",
     "...##...", "........", "........"}, // colon
    {"........", "........", "........", "........", "........", "........", "........", "........",
     "........", "...##...", "...##..."}, // full stop
    {"........", "........", "........", "........", "........", "........", "........", "........",
     "........", "........", "........"}, // blank
    {"........", ".##..##.", ".##..##.", "########", "########", ".##..##.", ".##..##.", "########",
     "########", ".##..##.", ".##..##."}, // number sign
};

using SGlyphBitmap = std::array<GLubyte, kGlyphHeight>;

// glBitmap's layout: one byte per row, the bottom row first, the leftmost pixel in the top bit.
constexpr std::array<SGlyphBitmap, kGlyphCount> MakeGlyphBitmaps() {
    std::array<SGlyphBitmap, kGlyphCount> bitmaps{};
    for (int glyph = 0; glyph < kGlyphCount; ++glyph) {
        for (int row = 0; row < kArtRows; ++row) {
            GLubyte bits = 0;
            for (int column = 0; column < kGlyphWidth; ++column) {
                bits = static_cast<GLubyte>(bits << 1 | (kGlyphArt[glyph][row][column] == '#'));
            }
            bitmaps[glyph][kGlyphHeight - 1 - row] = bits;
        }
    }
    return bitmaps;
}

constexpr bool ArtRowsAreGlyphWide() {
    for (const auto& glyph : kGlyphArt) {
        for (const char* row : glyph) {
            int length = 0;
            while (row[length] != '\0') {
                ++length;
            }
            if (length != kGlyphWidth) {
                return false;
            }
        }
    }
    return true;
}
static_assert(ArtRowsAreGlyphWide(), "every glyph row is 8 pixels wide");

constexpr std::array<SGlyphBitmap, kGlyphCount> kGlyphBitmaps = MakeGlyphBitmaps();

// A texture rectangle in texture coordinates and a screen rectangle in pixels.
struct STexRect {
    float left, bottom, right, top;
};
struct SPixelRect {
    int left, bottom, right, top;
};

// One quad inside glBegin(GL_QUADS): lower left, lower right, upper right, upper left.
void Quad(const STexRect& tex, const SPixelRect& pixels) {
    glTexCoord2f(tex.left, tex.bottom);
    glVertex2i(pixels.left, pixels.bottom);
    glTexCoord2f(tex.right, tex.bottom);
    glVertex2i(pixels.right, pixels.bottom);
    glTexCoord2f(tex.right, tex.top);
    glVertex2i(pixels.right, pixels.top);
    glTexCoord2f(tex.left, tex.top);
    glVertex2i(pixels.left, pixels.top);
}

} // namespace

CHud::CHud(int width, int height, const CTextureManager& textures) : width(width), height(height) {
    BuildFont();
    messageBoxTexture = textures.Find("msgbox");
    hudTexture = textures.Find("hud");
}

void CHud::BuildFont() {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1); // glyph rows are single bytes; stays so for the run
    fontBase = glGenLists(kFontLists);
    if (fontBase == 0) {
        return;
    }
    for (const SGlyphRun& run : kGlyphRuns) {
        CompileGlyphs(run.firstCode, run.firstGlyph, run.count);
    }
}

void CHud::CompileGlyphs(unsigned char firstCode, int firstGlyph, int count) const {
    for (int i = 0; i < count; ++i) {
        glNewList(fontBase + firstCode + i, GL_COMPILE);
        glBitmap(kGlyphWidth, kGlyphHeight, 0.0f, 2.0f, kGlyphAdvance, 0.0f,
                 kGlyphBitmaps[firstGlyph + i].data());
        glEndList();
    }
}

void CHud::SetFps(int value) {
    framesPerSecond = value;
}

void CHud::SetEnergy(float fraction) {
    energy = fraction;
}

void CHud::SetSpeed(float fraction) {
    speed = fraction;
}

void CHud::SetTurn(float level) {
    turn = level;
}

void CHud::SetTime(double seconds) {
    newSecond = IsNewSecond(time, seconds);
    time = seconds;
}

void CHud::ShowMessage(const char* text, int style, int seconds) {
    int length = 0;
    while (text != nullptr && length < kMaxMessageLength && text[length] != '\0') {
        messageText[length] = text[length];
        ++length;
    }
    messageText[length] = '\0';
    messageStyle = style;
    messageSeconds = seconds;
}

int CHud::IsNewSecond(double oldSeconds, double newSeconds) {
    return static_cast<int>(newSeconds) % 60 > static_cast<int>(oldSeconds) % 60 ? 1 : 0;
}

void CHud::FormatFps(int value, char (&text)[kTextSize]) {
    std::snprintf(text, sizeof text, "%02d FPS", value);
}

void CHud::FormatTime(double seconds, char (&text)[kTextSize]) {
    const int minutes = static_cast<int>(seconds * (1.0 / 60.0));
    std::snprintf(text, sizeof text, "%d:%02d", minutes, static_cast<int>(seconds) % 60);
}

void CHud::Draw(const CRenderSettings& settings) {
    const bool translucent = settings.GetNoAlpha() == 0;
    if (translucent) {
        TrackDiffuseColour();
        BeginTranslucency();
    }
    SetOrthographicProjection();
    DrawGauges();
    if (messageSeconds > 0) {
        DrawMessageBox();
    }
    if (translucent) {
        EndTranslucency();
    }
    // Bitmaps are textured like any fragment; the texts keep their plain raster colour.
    glDisable(GL_TEXTURE_2D);
    if (!panelLines.empty()) {
        DrawPanelBox(translucent);
    }
    char text[kTextSize];
    if (settings.GetHideFps() == 0) {
        FormatFps(framesPerSecond, text);
        PrintTwoPass(text, 20, 570);
    }
    FormatTime(time, text);
    PrintTwoPass(text, 730, 570);
    // The box may have had its last frame above: then it shows without its text.
    if (messageSeconds > 0) {
        PrintMessageLines();
    }
    if (!panelLines.empty()) {
        PrintPanelLines();
    }
    glEnable(GL_TEXTURE_2D);
}

void CHud::SetPanel(std::vector<std::string> lines) {
    for (std::string& line : lines) {
        line.resize(std::min(line.size(), static_cast<std::size_t>(kPanelColumns)));
    }
    panelLines = std::move(lines);
}

void CHud::DrawPanelBox(bool translucent) const {
    const int lines = static_cast<int>(panelLines.size());
    const int top = kPanelTop + kGlyphHeight + kPanelMargin;
    const int bottom = kPanelTop - (lines - 1) * kPanelLineSpacing - kPanelMargin;
    const int right = kPanelLeft + 2 * kPanelMargin + kPanelColumns * kGlyphAdvance;
    // A plain dark box: unlit and untextured, whatever the scene left switched on.
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    if (translucent) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    glColor4f(0.0f, 0.0f, 0.05f, translucent ? 0.7f : 1.0f);
    glBegin(GL_QUADS);
    glVertex2i(kPanelLeft, bottom);
    glVertex2i(right, bottom);
    glVertex2i(right, top);
    glVertex2i(kPanelLeft, top);
    glEnd();
    glPopAttrib();
}

void CHud::PrintPanelLines() const {
    int y = kPanelTop;
    for (const std::string& line : panelLines) {
        PrintTwoPass(line.c_str(), kPanelLeft + kPanelMargin, y);
        y -= kPanelLineSpacing;
    }
}

void CHud::SetOrthographicProjection() const {
    // The camera leaves the model-view matrix at the identity, so the projection alone decides.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0.0, width, 0.0, height);
}

void CHud::DrawGauges() const {
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(hudTexture));
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    const int speedWidth = static_cast<int>(speed * 200.0f);
    const int energyWidth = static_cast<int>(energy * 200.0f);
    const int energyLeft = static_cast<int>(200.0f - energy * 200.0f + 20.0f);
    const float energyU = 0.5f - energy * 0.5f;
    // The lower half of the texture is a 4 x 2 grid of cells: column by magnitude, the upper
    // row for turning one way (and straight on), the lower row for the other.
    const float turnU = std::fabs(turn) * 0.25f;
    const float turnV = turn < 0.0f ? 0.75f : 0.5f;

    glBegin(GL_QUADS);
    glColor4f(1.0f, 1.0f, 1.0f, speed * 0.4f + 0.3f);
    Quad({0.5f, 0.25f, 0.5f + speed * 0.5f, 0.5f}, {580, 20, 580 + speedWidth, 120});
    glColor4f(1.0f, 1.0f, 1.0f, 0.7f);
    Quad({energyU, 0.25f, energyU + energy * 0.5f, 0.5f},
         {energyLeft, 20, energyLeft + energyWidth, 120});
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
    Quad({turnU, turnV, turnU + 0.25f, turnV + 0.25f}, {350, 480, 450, 580});
    glEnd();
}

void CHud::DrawMessageBox() {
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(messageBoxTexture));
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    const float lowerV = messageStyle != 0 ? 0.0f : 0.5f;
    // 255 x 127 pixels, in the turn indicator's colour.
    glBegin(GL_QUADS);
    Quad({0.0f, lowerV, 1.0f, lowerV + 0.5f}, {262, 15, 517, 142});
    glEnd();
    if (newSecond != 0) {
        --messageSeconds;
    }
}

void CHud::PrintMessageLines() const {
    // The first line stands where the box has always had it; further lines (the finish time)
    // are centred in the box below it.
    const char* line = messageText;
    int y = 70;
    for (bool first = true;; first = false, y -= kMessageLineSpacing) {
        const char* end = std::strchr(line, '\n');
        char text[kTextSize] = {};
        const std::size_t length =
            end != nullptr ? static_cast<std::size_t>(end - line) : std::strlen(line);
        std::memcpy(text, line, std::min(length, sizeof text - 1));
        const int x = first ? 372 : kMessageBoxCentre - GlyphRunWidth(text) / 2;
        glRasterPos3f(static_cast<float>(x), static_cast<float>(y), 1.0f);
        PrintText(text);
        if (end == nullptr) {
            break;
        }
        line = end + 1;
    }
}

int CHud::GlyphRunWidth(const char* text) {
    int glyphs = 0;
    for (const char* at = text; *at != '\0'; ++at) {
        glyphs += HasGlyph(*at) ? 1 : 0;
    }
    return glyphs * kGlyphAdvance;
}

void CHud::PrintTwoPass(const char* text, int x, int y) const {
    // The raster colour is taken when the raster position is set, so the colour comes first.
    glColor3f(1.0f, 1.0f, 1.0f);
    glRasterPos2i(x, y);
    PrintText(text);
    glColor3f(0.0f, 0.0f, 0.0f);
    glRasterPos2i(x + 1, y - 1);
    PrintText(text);
    glColor3f(1.0f, 1.0f, 1.0f);
}

void CHud::PrintText(const char* text) const {
    if (fontBase == 0 || text == nullptr) {
        return;
    }
    glPushAttrib(GL_LIST_BIT);
    glListBase(fontBase);
    // Bytes from 128 up would call lists beyond the font's 128, which may belong to anyone;
    // they have no glyph, so they are skipped and the runs between them are called.
    const char* run = text;
    for (const char* at = text;; ++at) {
        const auto code = static_cast<unsigned char>(*at);
        if (code == 0 || code >= kFontLists) {
            if (at > run) {
                glCallLists(static_cast<GLsizei>(at - run), GL_UNSIGNED_BYTE, run);
            }
            if (code == 0) {
                break;
            }
            run = at + 1;
        }
    }
    glPopAttrib();
}
