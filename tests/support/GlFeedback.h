#pragma once

#include <GL/gl.h>
#include <functional>
#include <vector>

// What a draw sent to OpenGL, caught in feedback mode: every primitive with its vertices in
// window coordinates (z is the depth, 0 to 1), their colours and texture coordinates.
struct SFeedbackVertex {
    float x, y, z;
    float r, g, b, a;
    float s, t;
};

struct SFeedbackPrimitive {
    // GL_POLYGON_TOKEN, GL_LINE_TOKEN (a line that resets the stipple too), GL_POINT_TOKEN,
    // GL_BITMAP_TOKEN (its raster position), GL_DRAW_PIXEL_TOKEN or GL_COPY_PIXEL_TOKEN
    GLenum kind;
    std::vector<SFeedbackVertex> vertices;
};

// Runs draw in feedback mode. A buffer too small for what was sent is a test failure.
std::vector<SFeedbackPrimitive> CaptureFeedback(const std::function<void()>& draw,
                                                size_t bufferFloats = 100000);
