#pragma once

#include <GL/gl.h>

// The HUD's bitmap font: 8 x 13 block glyphs, one display list per 7-bit character code, each
// advancing the raster position by 10 pixels. Glyphs: A to Z, a to z as small capitals, 0 to 9,
// blank and ! # % & ' ( ) + , - . / : < = > ? @ [ ] _ ~; every other character draws nothing
// and takes no room.
class CHudFont {
public:
    static constexpr GLsizei kLists = 128; // one display list per 7-bit character code
    static constexpr int kAdvance = 10;    // pixels from one glyph to the next
    static constexpr int kGlyphHeight = 13;

    // Needs a current OpenGL context; leaves the unpack alignment at 1. Without display lists
    // to spare, prints nothing. The lists live as long as the context, as the HUD does.
    CHudFont();
    CHudFont(const CHudFont&) = delete;
    CHudFont& operator=(const CHudFont&) = delete;

    // Draws a text at the current raster position, in the current raster colour. The list base
    // is restored afterwards. A null text is an empty one.
    void Print(const char* text) const;

    static bool HasGlyph(char c);
    static int RunWidth(const char* text); // pixels; characters without a glyph take none

private:
    GLuint base = 0;
};
