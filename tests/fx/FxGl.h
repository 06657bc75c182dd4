#pragma once

#include "GlFeedback.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <vector>

// Helpers for the effects' GL tests. Capture catches in feedback mode what a draw sent; under
// UseWorldProjection the vertices read back as world coordinates (x, y one to one on the
// window around its centre, z linear in depth).
namespace fxgl {

constexpr double kDepthRange = 1000.0;

struct SVertex {
    float x, y, z, r, g, b, a, s, t; // position, colour, texture coordinate
};
using Quad = std::vector<SVertex>; // corners in the order they were sent

inline void UseWorldProjection() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-400, 400, -300, 300, -kDepthRange, kDepthRange);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// Every primitive with its vertices; Mesa hands a quad back as triangles (1, 2, 4) and
// (2, 3, 4). kind is the last primitive's kind.
template <typename Draw> std::vector<std::vector<SVertex>> Capture(Draw draw, GLenum& kind) {
    std::vector<std::vector<SVertex>> primitives;
    for (const SFeedbackPrimitive& sent : CaptureFeedback(draw)) {
        kind = sent.kind;
        primitives.emplace_back();
        for (const SFeedbackVertex& v : sent.vertices) {
            const float z = static_cast<float>(kDepthRange - 2.0 * kDepthRange * v.z);
            primitives.back().push_back({v.x - 400, v.y - 300, z, v.r, v.g, v.b, v.a, v.s, v.t});
        }
    }
    return primitives;
}

template <typename Draw> std::vector<Quad> CaptureQuads(Draw draw) {
    GLenum kind = GL_POLYGON_TOKEN;
    const auto triangles = Capture(draw, kind);
    EXPECT_EQ(kind, static_cast<GLenum>(GL_POLYGON_TOKEN));
    std::vector<Quad> quads;
    for (size_t i = 0; i + 1 < triangles.size(); i += 2) {
        quads.push_back({triangles[i][0], triangles[i][1], triangles[i + 1][1], triangles[i][2]});
    }
    return quads;
}

inline bool IsOn(GLenum capability) {
    return glIsEnabled(capability) == GL_TRUE;
}

inline GLint Integer(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

inline GLint TextureMode() {
    GLint mode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    return mode;
}

// After translucent drawing: blending off and depth writes on again, while alpha test and
// colour material stay as the drawing set them.
inline void ExpectTranslucencyLeftBehind() {
    EXPECT_FALSE(IsOn(GL_BLEND));
    EXPECT_EQ(Integer(GL_DEPTH_WRITEMASK), GL_TRUE);
    EXPECT_TRUE(IsOn(GL_ALPHA_TEST));
    EXPECT_EQ(Integer(GL_ALPHA_TEST_FUNC), GL_GREATER);
    EXPECT_TRUE(IsOn(GL_COLOR_MATERIAL));
    EXPECT_EQ(Integer(GL_COLOR_MATERIAL_FACE), GL_FRONT);
    EXPECT_EQ(Integer(GL_COLOR_MATERIAL_PARAMETER), GL_DIFFUSE);
    EXPECT_EQ(Integer(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(Integer(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
}

// Without alpha none of that is touched.
inline void ExpectNoTranslucency() {
    EXPECT_FALSE(IsOn(GL_BLEND));
    EXPECT_FALSE(IsOn(GL_ALPHA_TEST));
    EXPECT_FALSE(IsOn(GL_COLOR_MATERIAL));
}

// Clears to black at depth 1, draws, and reads colour and depth at the window's centre.
template <typename Draw> void DrawOverBlack(Draw draw, GLubyte rgba[4], GLfloat& depth) {
    glClearColor(0, 0, 0, 0);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(400, 300, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    glReadPixels(400, 300, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
}

} // namespace fxgl
