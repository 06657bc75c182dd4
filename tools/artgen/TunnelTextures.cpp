// The tunnel wall panels and the numbered course marks.
#include "Noise.h"
#include "Random.h"
#include "StrokeFont.h"
#include "Textures.h"

#include <cmath>

namespace {

// Wall panel geometry in texels: s runs along x (256), t around along y (512).
constexpr int kSegmentWidth = 256;
constexpr int kSegmentHeight = 512;
constexpr double kRibWidth = 14.0;
constexpr double kPanelSplitX = 128.0;
constexpr double kPanelHeight = 64.0; // eight panels around the tunnel
constexpr int kRibBolts = 24;         // one bolt per side of the 24-sided tunnel

const CColor kSteel = Hex(0x8a94a0);
const CColor kRibSteel = Hex(0x444b55);
const CColor kGroove = Hex(0x16191e);

// The panel a wall texel lies in, and its bounds.
struct SPanel {
    int column; // 0 or 1 along s
    int row;    // 0 to 7 around
    double x0, x1, y0, y1;

    double EdgeDistance(double x, double y) const {
        return std::min(std::min(x - x0, x1 - x), std::min(y - y0, y1 - y));
    }
    double CentreY() const { return (y0 + y1) * 0.5; }
};

SPanel PanelAt(double x, double y) {
    SPanel panel;
    panel.column = x < kPanelSplitX ? 0 : 1;
    panel.row = static_cast<int>(y / kPanelHeight);
    panel.x0 = panel.column == 0 ? kRibWidth : kPanelSplitX;
    panel.x1 = panel.column == 0 ? kPanelSplitX : kSegmentWidth - kRibWidth;
    panel.y0 = panel.row * kPanelHeight;
    panel.y1 = panel.y0 + kPanelHeight;
    return panel;
}

// A small domed bolt head, lit from the upper left.
CColor Bolt(const CColor& under, double dx, double dy, double radius) {
    const double cover = Coverage(std::hypot(dx, dy) - radius, 1.0);
    if (cover <= 0.0) {
        return under;
    }
    const double light = 0.55 + 0.45 * Clamp01((-dx + dy) / (radius * 1.4) + 0.3);
    return Mix(under, Hex(0xa7b0ba).Scaled(light), cover);
}

// Steel with grime and faint streaks; tiles around the tunnel.
CColor WallMetal(const CNoise& noise, double x, double y, double tint) {
    const double grime = noise.Fractal(x / 32.0, y / 32.0, 4, 0, kSegmentHeight / 32);
    const double streak = noise.Fractal(x / 4.0, y / 64.0, 2, 0, kSegmentHeight / 64);
    return kSteel.Scaled(tint * (0.8 + 0.32 * grime) * (0.94 + 0.08 * streak));
}

// The ring rib at both ends, the same on every variant so neighbouring segments join.
CColor Rib(double x, double y) {
    const double across = x < kPanelSplitX ? x / kRibWidth : (kSegmentWidth - x) / kRibWidth;
    if (across > 0.9) {
        return kGroove; // the seam to the panels
    }
    const double round = std::sin(Clamp01(across / 0.9) * M_PI); // lit in its middle
    const CColor colour = kRibSteel.Scaled(0.55 + 0.65 * round);
    const double boltPitch = static_cast<double>(kSegmentHeight) / kRibBolts;
    const double boltY = (std::floor(y / boltPitch) + 0.5) * boltPitch;
    const double boltX = x < kPanelSplitX ? kRibWidth * 0.45 : kSegmentWidth - kRibWidth * 0.45;
    return Bolt(colour, x - boltX, y - boltY, 3.2);
}

// Bevelled seam around a panel: dark groove, light upper and left lip, shaded lower and right.
CColor PanelEdges(const CColor& colour, const SPanel& panel, double x, double y) {
    const double edge = panel.EdgeDistance(x, y);
    if (edge < 1.5) {
        return kGroove;
    }
    if (edge >= 4.0) {
        return colour;
    }
    const bool lit = panel.y1 - y < 4.0 || x - panel.x0 < 4.0;
    return colour.Scaled(lit ? 1.2 : 0.72);
}

// Rivets in a line just inside the panel's long edges.
CColor Rivets(const CColor& colour, const SPanel& panel, double x, double y) {
    const double pitch = 14.0;
    const double rivetX = panel.x0 + 8.0 + std::round((x - panel.x0 - 8.0) / pitch) * pitch;
    if (rivetX > panel.x1 - 6.0) {
        return colour;
    }
    CColor result = Bolt(colour, x - rivetX, y - (panel.y0 + 7.0), 1.7);
    return Bolt(result, x - rivetX, y - (panel.y1 - 7.0), 1.7);
}

// A recessed frame: the inside of the rectangle lies lower, lit from the upper left.
CColor Recess(const CColor& colour, double x, double y, double x0, double y0, double x1, double y1,
              double depthShade) {
    if (x < x0 || x > x1 || y < y0 || y > y1) {
        return colour;
    }
    const double edge = std::min(std::min(x - x0, x1 - x), std::min(y - y0, y1 - y));
    if (edge < 2.0) {
        const bool shadowSide = y1 - y < 2.0 || x - x0 < 2.0; // the inner lip in shadow
        return colour.Scaled(shadowSide ? 0.55 : 1.25);
    }
    return colour.Scaled(depthShade);
}

// Glowing tube along s in the middle of a panel.
CColor LightStrip(const CColor& colour, const SPanel& panel, double x, double y,
                  const CColor& light) {
    const CVec2 a{panel.x0 + 12.0, panel.CentreY()};
    const CVec2 b{panel.x1 - 12.0, panel.CentreY()};
    const double distance = DistanceToSegment({x, y}, a, b);
    const double housing = 9.0;
    if (distance > housing + 10.0) {
        return colour;
    }
    CColor result = Mix(colour, light, 0.35 * std::exp(-std::pow((distance - housing) / 5.0, 2)));
    if (distance < housing) {
        result = Hex(0x23272e); // housing
    }
    if (distance < housing - 2.5) {
        const double core = 1.0 - distance / (housing - 2.5);
        result = Mix(light, CColor(1, 1, 1), core * core);
    }
    return result;
}

CColor Vents(const CColor& colour, const SPanel& panel, double x, double y) {
    const double x0 = panel.x0 + 10.0;
    const double x1 = panel.x1 - 10.0;
    const double y0 = panel.y0 + 12.0;
    const double y1 = panel.y1 - 12.0;
    CColor result = Recess(colour, x, y, x0, y0, x1, y1, 0.62);
    if (x > x0 + 4 && x < x1 - 4 && y > y0 + 4 && y < y1 - 4) {
        const double slot = std::fmod(x - x0 - 4.0, 8.0);
        if (slot < 4.0) {
            result = Hex(0x0c0d10);
        } else if (slot < 5.0) {
            result = result.Scaled(1.35);
        }
    }
    return result;
}

CColor HazardBand(const CColor& colour, double x, double y) {
    const double x0 = 102.0;
    const double x1 = 154.0;
    if (x < x0 || x > x1) {
        return colour;
    }
    if (x < x0 + 3.0 || x > x1 - 3.0) {
        return kGroove;
    }
    const bool yellow = std::fmod(x + y, 32.0) < 16.0;
    const CColor paint = yellow ? Hex(0xe2b21c) : Hex(0x202226);
    return Mix(paint, colour, 0.18); // worn into the steel
}

CColor Pipes(const CColor& colour, const SPanel& panel, double x, double y) {
    if (panel.row % 2 == 0) {
        return colour;
    }
    CColor result = colour;
    for (double centre : {panel.y0 + 20.0, panel.y0 + 44.0}) {
        const double radius = 8.0;
        const double dy = y - centre;
        if (std::fabs(dy) < radius + 2.0) {
            result = result.Scaled(0.6); // shadow on the wall under the pipe
        }
        if (std::fabs(dy) < radius) {
            const double round = std::sqrt(1.0 - (dy / radius) * (dy / radius));
            const double light = 0.35 + 0.75 * round + 0.25 * Clamp01(dy / radius);
            const bool clamp = std::fmod(x - panel.x0 + 200.0, 56.0) < 7.0;
            result = (clamp ? Hex(0x5c626b) : Hex(0x8c6a45)).Scaled(light);
        }
    }
    return result;
}

// Hexagonal armour tiles, periodic around the tunnel.
CColor HexTiles(const CColor& colour, const CNoise& noise, double x, double y) {
    const double columnPitch = 27.712813; // 32 * sqrt(3) / 2
    const double rowPitch = 32.0;
    const int rows = kSegmentHeight / 32;
    const int column = static_cast<int>(std::floor(x / columnPitch));
    double nearest = 1e9;
    double second = 1e9;
    int nearestColumn = 0;
    int nearestRow = 0;
    for (int c = column - 1; c <= column + 1; ++c) {
        const double offset = (c % 2 != 0) ? rowPitch * 0.5 : 0.0;
        const int row = static_cast<int>(std::floor((y - offset) / rowPitch));
        for (int r = row - 1; r <= row + 2; ++r) {
            const double cx = c * columnPitch;
            const double cy = r * rowPitch + offset;
            const double distance = std::hypot(x - cx, y - cy);
            if (distance < nearest) {
                second = nearest;
                nearest = distance;
                nearestColumn = c;
                nearestRow = ((r % rows) + rows) % rows;
            } else if (distance < second) {
                second = distance;
            }
        }
    }
    const double edge = (second - nearest) * 0.5; // distance to the cell border, near enough
    const double tint = 0.85 + 0.25 * HashToUnit(nearestColumn, nearestRow, 77);
    CColor result = colour.Scaled(tint * (0.95 + 0.1 * noise.Value(x / 6.0, y / 6.0, 0, 0)));
    if (edge < 1.2) {
        return kGroove;
    }
    if (edge < 3.5) {
        return result.Scaled(1.2);
    }
    return result;
}

CColor WarningLamps(const CColor& colour, const SPanel& panel, double x, double y) {
    CColor result = colour;
    const double centreY = panel.CentreY();
    for (int lamp = 0; lamp < 3; ++lamp) {
        const double lampX = panel.x0 + (panel.x1 - panel.x0) * (lamp + 1) / 4.0;
        const double distance = std::hypot(x - lampX, y - centreY);
        if (distance < 18.0) {
            result = Mix(result, Hex(0xffa02a), 0.4 * (1.0 - distance / 18.0));
        }
        if (distance < 8.5) {
            result = Hex(0x2a2420);
        }
        if (distance < 6.5) {
            const double core = 1.0 - distance / 6.5;
            result = Mix(Hex(0xff8c14), Hex(0xfff2c0), core * core);
        }
    }
    // Stencilled bars in the panel's corner, like a serial mark.
    const double bx = x - (panel.x0 + 8.0);
    const double by = y - (panel.y0 + 8.0);
    if (bx >= 0 && bx < 30 && by >= 0 && by < 6 && std::fmod(bx, 5.0) < 3.0) {
        result = Mix(result, Hex(0xe8e8e0), 0.8);
    }
    return result;
}

CColor SegmentTexel(int variant, const CNoise& noise, double x, double y) {
    if (x < kRibWidth || x >= kSegmentWidth - kRibWidth) {
        return Rib(x, y);
    }
    const SPanel panel = PanelAt(x, y);
    const double tint = 0.9 + 0.16 * HashToUnit(panel.column, panel.row, 1000 + variant);
    CColor colour = WallMetal(noise, x, y, tint);
    switch (variant) {
    case 1:
        colour = Rivets(colour, panel, x, y);
        break;
    case 2:
        if (panel.row % 2 == 0) {
            colour = LightStrip(colour, panel, x, y, Hex(0x56e6ff));
        }
        break;
    case 3:
        colour = Vents(colour, panel, x, y);
        break;
    case 4:
        colour = Rivets(colour, panel, x, y);
        colour = HazardBand(colour, x, y);
        break;
    case 5:
        colour = Pipes(colour, panel, x, y);
        break;
    case 6:
        return HexTiles(colour, noise, x, y);
    default:
        colour = WarningLamps(colour, panel, x, y);
        break;
    }
    if (variant == 4 && x > 100.0 && x < 156.0) {
        return colour; // the band runs over the seam
    }
    return PanelEdges(colour, panel, x, y);
}

// Colour of a course mark by its number: green at the start, through teal and blue to amber.
CColor JointColour(int number) {
    if (number == 0) {
        return Hex(0x3cff6e);
    }
    if (number == 10) {
        return Hex(0xff3c3c);
    }
    const double t = (number - 1) / 8.0;
    return Mix(Hex(0x3cd8ff), Hex(0xffb43c), t);
}

CColor JointTexel(int number, double x, double y) {
    const double radius = 128.0;
    const CVec2 p{x - radius, y - radius};
    const double r = p.Length() / radius;
    const double angle = std::atan2(p.y, p.x);
    const CColor colour = JointColour(number);
    CColor texel(0, 0, 0, 0);
    if (r < 0.84) { // faint tinted glass, with a scanner grid
        texel = colour.Scaled(0.5).WithAlpha(0.1);
        const double ringLine = std::fabs(std::fmod(r * 6.0, 1.0) - 0.5);
        if (ringLine > 0.47) {
            texel.a = 0.22;
        }
    }
    if (r >= 0.82 && r < 0.85) {
        texel = Mix(colour, CColor(1, 1, 1), 0.5).WithAlpha(0.9);
    }
    if (r >= 0.86 && r < 0.97) { // the band, ticked once per tunnel side
        const double sector = angle / (2.0 * M_PI) * 24.0;
        const bool tick = std::fabs(sector - std::round(sector)) < 0.06;
        CColor band = colour.Scaled(0.8 + 0.2 * std::sin((r - 0.86) / 0.11 * M_PI));
        if (number == 10) { // chequered finish band
            const int square = static_cast<int>(std::floor(sector * 2.0)) +
                               static_cast<int>(std::floor((r - 0.86) / 0.055));
            band = (square % 2 == 0) ? Hex(0xf4f4f4) : Hex(0x141414);
        }
        texel = tick ? Hex(0x101010, 0.9) : band.WithAlpha(0.88);
    }
    // The number, big, with a dark outline for contrast against any wall.
    const std::string text = std::to_string(number);
    const double scale = std::min(0.54 * radius, 1.2 * radius / (text.size() * 1.35 - 0.35));
    const double width = CStrokeFont::TextWidth(text, scale);
    const CVec2 origin{-width * 0.5, -CStrokeFont::kGlyphHeight * scale * 0.5};
    const double stroke = 0.13 * scale;
    const double distance = CStrokeFont::DistanceToText(text, p, origin, scale);
    const double outline = Coverage(distance - stroke - 5.0, 1.5);
    const double fill = Coverage(distance - stroke, 1.5);
    if (outline > 0.0) {
        texel = Mix(texel, Hex(0x080808, 0.7), outline);
    }
    if (fill > 0.0) {
        const double height = (p.y - origin.y) / (CStrokeFont::kGlyphHeight * scale);
        const CColor face = Mix(colour, CColor(1, 1, 1), 0.55 + 0.35 * Clamp01(height));
        texel = Mix(texel, face.WithAlpha(0.85), fill); // the tunnel beyond still shows
    }
    if (r >= 0.975) {
        texel = CColor(0, 0, 0, 0); // outside the disc
    }
    return texel;
}

} // namespace

CImage PaintSegment(int variant) {
    const CNoise noise(0x5E6A + variant);
    CImage image(kSegmentWidth, kSegmentHeight);
    image.Paint([&](double u, double v) {
        return SegmentTexel(variant, noise, u * kSegmentWidth, v * kSegmentHeight);
    });
    return image;
}

CImage PaintJoint(int number) {
    CImage image(256, 256);
    image.Paint([&](double u, double v) { return JointTexel(number, u * 256.0, v * 256.0); });
    return image;
}
