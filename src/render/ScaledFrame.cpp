#include "render/ScaledFrame.h"

#include <algorithm>

namespace {
GLsizei PowerOfTwoAtLeast(GLsizei size) {
    GLsizei power = 1;
    while (power < size) {
        power *= 2;
    }
    return power;
}
} // namespace

CScaledFrame::~CScaledFrame() {
    if (texture != 0) {
        glDeleteTextures(1, &texture);
    }
}

void CScaledFrame::Begin(int scalePercent) {
    active = false;
    if (scalePercent >= 100) {
        return;
    }
    glGetIntegerv(GL_VIEWPORT, picture);
    sceneWidth = std::max<GLsizei>(1, picture[2] * scalePercent / 100);
    sceneHeight = std::max<GLsizei>(1, picture[3] * scalePercent / 100);
    glViewport(picture[0], picture[1], sceneWidth, sceneHeight);
    active = true;
}

void CScaledFrame::End() {
    if (!active) {
        return;
    }
    active = false;
    glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_POLYGON_BIT | GL_CURRENT_BIT |
                 GL_TRANSFORM_BIT);
    PrepareTexture();
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, picture[0], picture[1], sceneWidth, sceneHeight);
    glViewport(picture[0], picture[1], picture[2], picture[3]); // the HUD's too
    DrawSceneQuad();
    glPopAttrib();
}

void CScaledFrame::PrepareTexture() {
    if (texture == 0) {
        glGenTextures(1, &texture);
    }
    glBindTexture(GL_TEXTURE_2D, texture);
    // Kept when large enough: a smaller scene uses its lower-left part, without a reallocation.
    const GLsizei width = std::max(textureWidth, PowerOfTwoAtLeast(sceneWidth));
    const GLsizei height = std::max(textureHeight, PowerOfTwoAtLeast(sceneHeight));
    if (width != textureWidth || height != textureHeight) {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
        textureWidth = width;
        textureHeight = height;
    }
}

void CScaledFrame::DrawSceneQuad() const {
    // Plain texels over the picture: no light, no depth, no blending, filled whatever F3 says.
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    // Half a texel in from the scene's edges: linear filtering never reaches the texels
    // beyond it, which hold nothing of this frame.
    const GLfloat left = 0.5f / static_cast<GLfloat>(textureWidth);
    const GLfloat bottom = 0.5f / static_cast<GLfloat>(textureHeight);
    const GLfloat right = (static_cast<GLfloat>(sceneWidth) - 0.5f) / textureWidth;
    const GLfloat top = (static_cast<GLfloat>(sceneHeight) - 0.5f) / textureHeight;
    glBegin(GL_QUADS);
    glTexCoord2f(left, bottom);
    glVertex2f(-1.0f, -1.0f);
    glTexCoord2f(right, bottom);
    glVertex2f(1.0f, -1.0f);
    glTexCoord2f(right, top);
    glVertex2f(1.0f, 1.0f);
    glTexCoord2f(left, top);
    glVertex2f(-1.0f, 1.0f);
    glEnd();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix(); // the matrix mode comes back with the attributes
}
