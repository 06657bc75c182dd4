#pragma once

#include "fx/HudFont.h"

#include <GL/gl.h>
#include <string>
#include <vector>

class CRenderSettings;
class CTextureManager;

// The head-up display drawn over the finished scene once a frame: the speed and energy bars,
// the turn indicator, a message box that stays for some seconds of the game clock, the frame
// rate and the course time, and two boxes of coloured text lines: the panel (a menu, the records
// table, a run's results) and the title card. Texts use the block font of CHudFont. Positions are
// pixels of an orthographic projection with the origin at the lower left.
class CHud {
public:
    static constexpr int kMaxMessageLength = 31; // longer message texts are cut to this
    static constexpr int kTextSize = 32;         // buffer for a formatted text, NUL included
    static constexpr GLsizei kFontLists = CHudFont::kLists;

    enum class EColour { White, Green, Red, Yellow, Grey };
    // One line of the panel or the title card. bar: -1 to 1, clamped; 0 draws none. A bar is
    // drawn right of the text, from the centre of the box's last kBarColumns columns: to the
    // left in green for a negative value (faster), to the right in red for a positive one
    // (slower), its length in proportion. A line with a bar keeps its text to the columns
    // before.
    struct SPanelLine {
        std::string text;
        EColour colour = EColour::White;
        float bar = 0.0f;
    };
    static constexpr int kPanelColumns = 44;
    static constexpr int kBarColumns = 14;

    // Needs a current OpenGL context. Builds the font (the unpack alignment is left at 1), then
    // looks up "msgbox" and "hud"; a texture that is not in the table is 0, OpenGL's default.
    CHud(int width, int height, const CTextureManager& textures);
    CHud(const CHud&) = delete;
    CHud& operator=(const CHud&) = delete;

    // Fed every frame before Draw, in this order.
    void SetFps(int framesPerSecond);
    void SetEnergy(float fraction); // 0 to 1
    void SetSpeed(float fraction);  // 0 to 1
    void SetTurn(float level);      // whole number, -3 to 3; negative turns the other way
    void SetTime(double seconds);   // game clock; notes whether a new second began

    // Replaces the current message at once. A line end starts a further line, centred in the
    // box below the first. Style 0 shows the upper half of the box texture,
    // any other the lower half. The message stays until `seconds` new seconds of the game clock
    // have begun (the wrap from 59 to 0 does not count). A null text is an empty one.
    void ShowMessage(const char* text, int style, int seconds);

    // A panel of text lines over the upper middle of the picture, on a dark box that keeps it
    // readable over any tunnel (translucent with alpha on); no lines, no panel. Lines are cut to
    // kPanelColumns. The plain texts are white lines.
    void SetPanel(std::vector<SPanelLine> lines);
    void SetPanel(const std::vector<std::string>& lines);
    std::vector<std::string> GetPanel() const; // the lines' texts
    const std::vector<SPanelLine>& GetPanelLines() const { return panelLines; }
    // The title card: a box like the panel's, higher up, clear of the middle of the picture,
    // where the start mark shows. Drawn under the panel when both are set.
    void SetTitle(std::vector<SPanelLine> lines);
    const std::vector<SPanelLine>& GetTitle() const { return titleLines; }

    // Draws the whole HUD and counts the message down. Leaves GL_PROJECTION as the matrix mode,
    // GL_TEXTURE_2D enabled and white as the colour; with alpha on, leaves blending off, depth
    // writes on, and alpha test and colour material enabled; with alpha off, touches none of
    // those. Relies on the model-view matrix being the identity.
    void Draw(const CRenderSettings& settings);
    // Draws a text at the current raster position, in the current raster colour, advancing
    // it by 10 pixels per glyph. The list base is restored afterwards.
    void PrintText(const char* text) const;

    const char* GetMessageText() const { return messageText; } // "" when none was shown
    int GetMessageStyle() const { return messageStyle; }
    int GetMessageSeconds() const { return messageSeconds; } // shown while above 0

    // 1 when the whole seconds modulo 60 went up from old to new, else 0: so 0 in the frame
    // that wraps from second 59 to second 0 of the next minute.
    static int IsNewSecond(double oldSeconds, double newSeconds);
    static void FormatFps(int framesPerSecond, char (&text)[kTextSize]); // "07 FPS"
    static void FormatTime(double seconds, char (&text)[kTextSize]);     // "1:05" minutes:seconds

private:
    void SetOrthographicProjection() const;
    void DrawGauges() const;
    void DrawMessageBox();
    // White, or the colour given, then black one pixel down and right.
    void PrintTwoPass(const char* text, int x, int y, EColour colour = EColour::White) const;
    void PrintMessageLines() const;
    // A box of lines whose first baseline is at top: the dark box with the lines' bars; their
    // texts come after every quad of the HUD.
    void DrawBox(const std::vector<SPanelLine>& lines, int top, bool translucent) const;
    void PrintBoxLines(const std::vector<SPanelLine>& lines, int top) const;

    int width;
    int height;
    int messageBoxTexture = 0;
    int hudTexture = 0;
    int framesPerSecond = 0;
    double time = 0.0;
    float energy = 0.0f;
    float speed = 0.0f;
    float turn = 0.0f;
    char messageText[kMaxMessageLength + 1] = {};
    int messageStyle = 0;
    int messageSeconds = 0;
    int newSecond = 0;
    CHudFont font;
    std::vector<SPanelLine> panelLines;
    std::vector<SPanelLine> titleLines;
};
