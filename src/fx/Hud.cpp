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

constexpr int kGlyphAdvance = CHudFont::kAdvance;
constexpr int kMessageBoxCentre = 390;  // the box spans 262 to 517
constexpr int kMessageLineSpacing = 16; // pixels between a message's lines
constexpr int kPanelLineSpacing = 20;
constexpr int kPanelTop = 520;   // the first line's baseline
constexpr int kTitleTop = 550;   // the title card's: above the panel's, the middle kept clear
constexpr int kPanelMargin = 16; // between the box's edge and the text
constexpr int kPanelLeft = 170;  // the box spans 170 to 642: 44 glyphs and the margins
constexpr int kPanelTextLeft = kPanelLeft + kPanelMargin;
constexpr int kBarCentre =
    kPanelTextLeft + (CHud::kPanelColumns - CHud::kBarColumns / 2) * kGlyphAdvance;
constexpr int kBarHalfWidth = (CHud::kBarColumns / 2 - 1) * kGlyphAdvance; // a glyph's room spare
constexpr int kBarBottom = 1; // above the baseline: the bar stands level with the capitals
constexpr int kBarTop = 10;

struct SRgb {
    float red, green, blue;
};

// In EColour's order; green and red light enough to read over the dark box.
constexpr SRgb kColours[] = {{1.0f, 1.0f, 1.0f},
                             {0.3f, 1.0f, 0.3f},
                             {1.0f, 0.3f, 0.3f},
                             {1.0f, 0.9f, 0.2f},
                             {0.6f, 0.6f, 0.6f}};

const SRgb& Rgb(CHud::EColour colour) {
    return kColours[static_cast<int>(colour)];
}

std::vector<CHud::SPanelLine> CutToColumns(std::vector<CHud::SPanelLine> lines) {
    for (CHud::SPanelLine& line : lines) {
        line.text.resize(std::min(line.text.size(), static_cast<std::size_t>(CHud::kPanelColumns)));
    }
    return lines;
}

void DrawBar(float bar, int baseline) {
    const float clamped = std::max(-1.0f, std::min(1.0f, bar));
    const int end = kBarCentre + static_cast<int>(std::lround(clamped * kBarHalfWidth));
    const SRgb& rgb = Rgb(clamped < 0.0f ? CHud::EColour::Green : CHud::EColour::Red);
    glColor4f(rgb.red, rgb.green, rgb.blue, 1.0f);
    glVertex2i(std::min(kBarCentre, end), baseline + kBarBottom);
    glVertex2i(std::max(kBarCentre, end), baseline + kBarBottom);
    glVertex2i(std::max(kBarCentre, end), baseline + kBarTop);
    glVertex2i(std::min(kBarCentre, end), baseline + kBarTop);
}

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
    messageBoxTexture = textures.Find("msgbox");
    hudTexture = textures.Find("hud");
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
    DrawBox(titleLines, kTitleTop, translucent);
    DrawBox(panelLines, kPanelTop, translucent);
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
    PrintBoxLines(titleLines, kTitleTop);
    PrintBoxLines(panelLines, kPanelTop);
    glEnable(GL_TEXTURE_2D);
}

void CHud::SetPanel(std::vector<SPanelLine> lines) {
    panelLines = CutToColumns(std::move(lines));
}

void CHud::SetPanel(const std::vector<std::string>& lines) {
    std::vector<SPanelLine> white;
    white.reserve(lines.size());
    for (const std::string& text : lines) {
        white.push_back({text});
    }
    SetPanel(std::move(white));
}

std::vector<std::string> CHud::GetPanel() const {
    std::vector<std::string> texts;
    texts.reserve(panelLines.size());
    for (const SPanelLine& line : panelLines) {
        texts.push_back(line.text);
    }
    return texts;
}

void CHud::SetTitle(std::vector<SPanelLine> lines) {
    titleLines = CutToColumns(std::move(lines));
}

void CHud::DrawBox(const std::vector<SPanelLine>& lines, int top, bool translucent) const {
    if (lines.empty()) {
        return;
    }
    const int count = static_cast<int>(lines.size());
    const int boxTop = top + CHudFont::kGlyphHeight + kPanelMargin;
    const int bottom = top - (count - 1) * kPanelLineSpacing - kPanelMargin;
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
    glVertex2i(right, boxTop);
    glVertex2i(kPanelLeft, boxTop);
    int baseline = top;
    for (const SPanelLine& line : lines) {
        if (line.bar != 0.0f) {
            DrawBar(line.bar, baseline);
        }
        baseline -= kPanelLineSpacing;
    }
    glEnd();
    glPopAttrib();
}

void CHud::PrintBoxLines(const std::vector<SPanelLine>& lines, int top) const {
    int y = top;
    for (const SPanelLine& line : lines) {
        PrintTwoPass(line.text.c_str(), kPanelTextLeft, y, line.colour);
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
        const int x = first ? 372 : kMessageBoxCentre - CHudFont::RunWidth(text) / 2;
        glRasterPos3f(static_cast<float>(x), static_cast<float>(y), 1.0f);
        PrintText(text);
        if (end == nullptr) {
            break;
        }
        line = end + 1;
    }
}

void CHud::PrintTwoPass(const char* text, int x, int y, EColour colour) const {
    // The raster colour is taken when the raster position is set, so the colour comes first.
    const SRgb& rgb = Rgb(colour);
    glColor3f(rgb.red, rgb.green, rgb.blue);
    glRasterPos2i(x, y);
    PrintText(text);
    glColor3f(0.0f, 0.0f, 0.0f);
    glRasterPos2i(x + 1, y - 1);
    PrintText(text);
    glColor3f(1.0f, 1.0f, 1.0f);
}

void CHud::PrintText(const char* text) const {
    font.Print(text);
}
