#pragma once

#include <cmath>

// A 2-D point or offset: texture coordinates, positions in a picture.
struct CVec2 {
    double x = 0.0;
    double y = 0.0;

    CVec2 operator+(const CVec2& v) const {
        return {x + v.x, y + v.y};
