#include "fx/VaporPuff.h"

#include <GL/gl.h>

CVaporPuff::CVaporPuff(const CVector3& position, float age) : position(position), age(age) {
    UpdateSize();
}

void CVaporPuff::Grow(float dt) {
    age += dt;
    UpdateSize();
}

void CVaporPuff::Draw(const CVector3& right, const CVector3& up) const {
    const CVector3& p = position;
    const float s = size;
    SetColour();
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(p.x - s * (right.x + up.x), p.y - s * (right.y + up.y), p.z - s * (right.z + up.z));
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(p.x + s * (right.x - up.x), p.y + s * (right.y - up.y), p.z + s * (right.z - up.z));
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(p.x + s * (right.x + up.x), p.y + s * (right.y + up.y), p.z + s * (right.z + up.z));
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(p.x + s * (up.x - right.x), p.y + s * (up.y - right.y), p.z + s * (up.z - right.z));
}

void CVaporPuff::SetColour() const {
    glColor4f(0.0f, 1.0f, 1.0f, GetAlpha());
}
