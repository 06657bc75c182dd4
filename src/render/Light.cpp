#include "render/Light.h"

#include <GL/gl.h>

namespace {
void Store(float* target, float a, float b, float c, float d) {
    target[0] = a;
    target[1] = b;
    target[2] = c;
    target[3] = d;
}
} // namespace

void CLight::Init(int lightName) {
    light = lightName;
    Store(ambient, 0.0f, 0.0f, 0.0f, 1.0f);
    Store(position, 0.0f, 1.0f, 0.0f, 0.0f);
}

void CLight::SetAmbient(float r, float g, float b, float a) {
    Store(ambient, r, g, b, a);
}
void CLight::SetDiffuse(float r, float g, float b, float a) {
    Store(diffuse, r, g, b, a);
}
void CLight::SetPosition(float x, float y, float z, float w) {
    Store(position, x, y, z, w);
}

void CLight::Apply() const {
    const GLenum name = static_cast<GLenum>(light);
    glLightfv(name, GL_AMBIENT, ambient);
    glLightfv(name, GL_DIFFUSE, diffuse);
    glLightfv(name, GL_POSITION, position);
}
