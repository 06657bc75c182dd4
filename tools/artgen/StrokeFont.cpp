#include "StrokeFont.h"

#include <limits>
#include <vector>

namespace {

using CPolyline = std::vector<CVec2>;

// Each digit as polylines in its 1 x 1.6 cell.
const std::vector<CPolyline>& Glyph(char digit) {
    static const std::vector<CPolyline> kGlyphs[10] = {
        {{{0, 0.25},
          {0, 1.35},
          {0.25, 1.6},
          {0.75, 1.6},
          {1, 1.35},
          {1, 0.25},
          {0.75, 0},
          {0.25, 0},
          {0, 0.25}}},
        {{{0.2, 1.3}, {0.5, 1.6}, {0.5, 0}}, {{0.2, 0}, {0.8, 0}}},
        {{{0, 1.35},
          {0.25, 1.6},
          {0.75, 1.6},
          {1, 1.35},
          {1, 1.05},
          {0.75, 0.8},
          {0.25, 0.8},
          {0, 0.55},
          {0, 0},
          {1, 0}}},
        {{{0, 1.35}, {0.25, 1.6}, {0.75, 1.6}, {1, 1.35}, {1, 1.05}, {0.75, 0.8}, {0.3, 0.8}},
         {{0.75, 0.8}, {1, 0.55}, {1, 0.25}, {0.75, 0}, {0.25, 0}, {0, 0.25}}},
        {{{0.75, 0}, {0.75, 1.6}, {0, 0.5}, {1, 0.5}}},
        {{{1, 1.6},
          {0, 1.6},
          {0, 0.85},
          {0.75, 0.85},
          {1, 0.6},
          {1, 0.25},
          {0.75, 0},
          {0.25, 0},
          {0, 0.25}}},
        {{{1, 1.35},
          {0.75, 1.6},
          {0.25, 1.6},
          {0, 1.35},
          {0, 0.25},
          {0.25, 0},
          {0.75, 0},
          {1, 0.25},
          {1, 0.6},
          {0.75, 0.85},
          {0, 0.85}}},
        {{{0, 1.6}, {1, 1.6}, {1, 1.35}, {0.4, 0}}},
        {{{0.25, 0.8},
          {0, 1.05},
          {0, 1.35},
          {0.25, 1.6},
          {0.75, 1.6},
          {1, 1.35},
          {1, 1.05},
          {0.75, 0.8},
          {0.25, 0.8},
          {0, 0.55},
          {0, 0.25},
          {0.25, 0},
          {0.75, 0},
          {1, 0.25},
          {1, 0.55},
          {0.75, 0.8}}},
        {{{0, 0.25},
          {0.25, 0},
          {0.75, 0},
          {1, 0.25},
          {1, 1.35},
          {0.75, 1.6},
          {0.25, 1.6},
          {0, 1.35},
          {0, 1.0},
          {0.25, 0.75},
          {1, 0.75}}},
    };
    static const std::vector<CPolyline> kBlank;
    return digit >= '0' && digit <= '9' ? kGlyphs[digit - '0'] : kBlank;
}

} // namespace

double CStrokeFont::DistanceToText(const std::string& text, const CVec2& p, const CVec2& origin,
                                   double scale) {
    double nearest = std::numeric_limits<double>::max();
    for (size_t i = 0; i < text.size(); ++i) {
        const CVec2 cellOrigin = origin + CVec2{kAdvance * scale * static_cast<double>(i), 0.0};
        for (const CPolyline& line : Glyph(text[i])) {
            for (size_t k = 0; k + 1 < line.size(); ++k) {
                nearest = std::min(nearest, DistanceToSegment(p, cellOrigin + line[k] * scale,
                                                              cellOrigin + line[k + 1] * scale));
            }
        }
    }
    return nearest;
}

double CStrokeFont::TextWidth(const std::string& text, double scale) {
    return text.empty() ? 0.0 : scale * (kAdvance * (text.size() - 1) + 1.0);
}
