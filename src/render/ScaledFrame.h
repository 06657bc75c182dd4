#pragma once

#include <GL/gl.h>

// Draws the 3-D scene into the lower-left part of the picture and stretches it back over the
// whole picture as one textured quad with linear filtering (glCopyTexSubImage2D, OpenGL 1.1).
// The HUD then goes on top at full resolution. At 100 % it makes no OpenGL call at all, so the
// frame is exactly the unscaled one. Needs a current context; one texture of its own.
class CScaledFrame {
public:
    CScaledFrame() = default;
    ~CScaledFrame(); // deletes the texture
    CScaledFrame(const CScaledFrame&) = delete;
    CScaledFrame& operator=(const CScaledFrame&) = delete;

    // Before the scene: the viewport, which holds the picture, shrinks to scalePercent of each
    // side, anchored at its lower left. Nothing at 100 or more.
    void Begin(int scalePercent);
    // After the scene, before the HUD: the scene drawn back over the whole picture, the
    // picture's viewport restored and every other state as it was. Nothing unless begun.
    void End();

private:
    void PrepareTexture(); // big enough for the scene, in powers of two
    void DrawSceneQuad() const;

    GLint picture[4] = {}; // the viewport as the window's shape set it: x, y, width, height
    GLsizei sceneWidth = 0;
    GLsizei sceneHeight = 0;
    GLuint texture = 0;
    GLsizei textureWidth = 0;
    GLsizei textureHeight = 0;
    bool active = false;
};
