#include "fx/VaporPuff.h"

#include <GL/gl.h>

CVaporPuff::CVaporPuff(const CVector3& position, float age) : position(position), age(age) {
    UpdateSize();
}

void CVaporPuff::Grow(float dt) {
    age += dt;
    UpdateSize();
}

void CVaporPuff::SetColour() const {
    glColor4f(0.0f, 1.0f, 1.0f, GetAlpha());
}
