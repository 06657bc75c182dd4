#include "GlFeedback.h"

#include <gtest/gtest.h>

namespace {

constexpr int kFloatsPerVertex = 11; // x y z, r g b a, s t r q

SFeedbackVertex ReadVertex(const GLfloat* v) {
    return {v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]};
}

int VertexCount(GLenum token, const GLfloat* data, GLint& at) {
    switch (token) {
    case GL_POLYGON_TOKEN:
        return static_cast<int>(data[at++]);
    case GL_LINE_TOKEN:
    case GL_LINE_RESET_TOKEN:
        return 2;
    case GL_PASS_THROUGH_TOKEN:
        ++at; // its value
        return 0;
    default: // points, bitmaps and pixel rectangles
        return 1;
    }
}

} // namespace

std::vector<SFeedbackPrimitive> CaptureFeedback(const std::function<void()>& draw,
                                                size_t bufferFloats) {
    std::vector<GLfloat> buffer(bufferFloats);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);
    if (used < 0) {
        ADD_FAILURE() << "feedback buffer overflow";
        return {};
    }
    std::vector<SFeedbackPrimitive> primitives;
    for (GLint at = 0; at < used;) {
        const auto token = static_cast<GLenum>(buffer[at++]);
        const int count = VertexCount(token, buffer.data(), at);
        if (token == GL_PASS_THROUGH_TOKEN) {
            continue;
        }
        SFeedbackPrimitive primitive{token == GL_LINE_RESET_TOKEN ? GLenum(GL_LINE_TOKEN) : token,
                                     {}};
        for (int i = 0; i < count && at + kFloatsPerVertex <= used; ++i, at += kFloatsPerVertex) {
            primitive.vertices.push_back(ReadVertex(&buffer[at]));
        }
        primitives.push_back(std::move(primitive));
    }
    return primitives;
}
