#include "render/Translucency.h"

#include <GL/gl.h>

void BeginTranslucency() {
    glEnable(GL_BLEND);
    glDepthMask(GL_FALSE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.0f);
}

void EndTranslucency() {
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
}

void TrackDiffuseColour() {
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_DIFFUSE);
}
