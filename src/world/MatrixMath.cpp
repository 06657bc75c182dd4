#include "world/MatrixMath.h"

#include <cmath>
#include <cstring>

void MatIdentity(float* m) {
    for (int i = 0; i < 16; ++i) {
        m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
    }
}

void MatMultiply(const float* a, float* m) {
    float product[16];
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) {
                sum += a[4 * r + k] * m[4 * k + c];
            }
            product[4 * r + c] = sum;
        }
    }
    std::memcpy(m, product, sizeof(product));
}

void MatTranslate(float x, float y, float z, float* m) {
    float t[16];
    MatIdentity(t);
    t[3] = x;
    t[7] = y;
    t[11] = z;
    MatMultiply(t, m);
}

void MatRotateX(float angle, float* m) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    float r[16];
    MatIdentity(r);
    r[5] = c;
    r[6] = -s;
    r[9] = s;
    r[10] = c;
    MatMultiply(r, m);
}

void MatRotateY(float angle, float* m) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    float r[16];
    MatIdentity(r);
    r[0] = c;
    r[2] = s;
    r[8] = -s;
    r[10] = c;
    MatMultiply(r, m);
}

void MatRotateZ(float angle, float* m) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    float r[16];
    MatIdentity(r);
    r[0] = c;
    r[1] = -s;
    r[4] = s;
    r[5] = c;
    MatMultiply(r, m);
}

void MatTransformPoint(float& x, float& y, float& z, const float* m) {
    const float px = x;
    const float py = y;
    const float pz = z;
    x = m[0] * px + m[1] * py + m[2] * pz + m[3];
    y = m[4] * px + m[5] * py + m[6] * pz + m[7];
    z = m[8] * px + m[9] * py + m[10] * pz + m[11];
}

void MatTranspose(const float* src, float* dst) {
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            dst[4 * i + j] = src[4 * j + i];
        }
    }
}

float DegToRad(float degrees) {
    return degrees * 0.017453292f;
}
