#pragma once

#include "Image.h"

#include <cstdint>

// The painters of every texture the game loads. Each returns the finished picture; the sizes are
// powers of two (OpenGL 1.1 needs them) and rows lie bottom first, so v = 0 is row 0.

// Tunnel wall panels, variant 1 to 7, 256 x 512 (s along the tunnel x t around it). All seven
// share the rib at both ends so neighbouring segments join, and tile where t wraps.
CImage PaintSegment(int variant);
// The round course mark with its number (0 to 10), 256 x 256 with alpha; only the inscribed
// circle shows.
CImage PaintJoint(int number);

// Sprite sheets, first frame in the top row (highest v), left to right, rows downward; every
// cell is transparent at its border, and the last frame is empty so dead particles vanish.
CImage PaintExplosionSheet(); // 4 x 4 frames of a fireball, 512 x 512
CImage PaintPlasmaSheet();    // 4 x 4 frames of a blue plasma burst, 256 x 256
CImage PaintFireworkSheet();  // 4 x 4 frames of a spark burst, 256 x 256
CImage PaintSmokeSheet();     // 3 x 3 frames of a smoke puff, 512 x 512
CImage PaintVapourPuff();     // a soft white disc, 64 x 64
// A glowing bolt, 64 x 256: u across the bolt, v along it.
CImage PaintBolt(const CColor& glow);

CImage PaintHud();        // bars and turn-indicator cells, 256 x 256 with alpha
CImage PaintMessageBox(); // two message-box looks, 256 x 256 with alpha

// Skins for meshes, 256 x 256, in the atlas that the mesh builder maps faces into: four
// material columns (hull, trim, accent, glow) by four shade rows (darkest at v = 0).
enum class ESkinPattern { kPlates, kHexes, kStripes, kCamouflage, kCarbon };
struct SSkinStyle {
    CColor hull;
    CColor trim;
    CColor accent;
    CColor glow;
    ESkinPattern pattern;
    std::uint64_t seed;
};
CImage PaintSkin(const SSkinStyle& style);
const SSkinStyle& GetPlayerSkinStyle();
const SSkinStyle& GetSubmarineSkinStyle();
const SSkinStyle& GetEnemySkinStyle(int number); // 1 to 14
