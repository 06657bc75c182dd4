#pragma once

#include "Image.h"

// The game's icon for desktop menus: the ship seen from behind, flying into a ringed tunnel
// towards the light at its end, on a rounded dark square. size x size pixels (any size; the
// shapes scale, edges stay one pixel soft), transparent outside the square.
CImage PaintIcon(int size);
