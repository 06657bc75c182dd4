#pragma once

// 4 x 4 matrices as 16 floats, row-major: row r, column c at index 4r + c. Points are column
// vectors, so a translation stands at indices 3, 7 and 11. Every operation multiplies from the
// left: apply the steps in the order they should act on a point. Angles are radians.

void MatIdentity(float* m);
void MatMultiply(const float* a, float* m);                           // m := a x m
void MatTranslate(float x, float y, float z, float* m);               // m := T x m
void MatRotateX(float angle, float* m);                               // +angle turns -z toward +y
void MatRotateY(float angle, float* m);                               // +angle turns -z toward -x
void MatRotateZ(float angle, float* m);                               // +angle turns +x toward +y
void MatTransformPoint(float& x, float& y, float& z, const float* m); // no divide by w
void MatTranspose(const float* src, float* dst); // dst is in OpenGL's column order
float DegToRad(float degrees);                   // single-precision multiply
