#pragma once

#include "Shapes.h"

#include <string>

// Digits drawn as rounded strokes: a font of our own for the course marks. Each glyph lies in a
// cell 1 wide and 1.6 high; glyphs are 1.35 apart.
class CStrokeFont {
public:
    static constexpr double kGlyphHeight = 1.6;
    static constexpr double kAdvance = 1.35;

    // Distance from p to the centre lines of the text's strokes. The text is laid out from
    // origin (its lower left) with glyphs `scale` units wide; characters other than digits are
    // blanks.
    static double DistanceToText(const std::string& text, const CVec2& p, const CVec2& origin,
                                 double scale);
    static double TextWidth(const std::string& text, double scale); // in the same units
};
