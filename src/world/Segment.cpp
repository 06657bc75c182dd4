#include "world/Segment.h"

#include "render/AssetTable.h"
#include "render/TextureManager.h"
#include "world/Ring.h"

#include <GL/gl.h>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr float kSideFraction = 0.041666668f; // 1 / 24 in single precision

void SendVertex(float s, float t, const CVector3& normal, const CVector3& position) {
    glTexCoord2f(s, t);
    glNormal3f(normal.x, normal.y, normal.z);
    glVertex3f(position.x, position.y, position.z);
}

// The wall textures segment1... of the asset table, one drawn at random per segment.
constexpr int kWallSkinCount = CAssetTable::CountNumbered(CAssetTable::EKind::Texture, "segment");
static_assert(kWallSkinCount == 7, "every world's random draws depend on this count");

} // namespace

CSegment::CSegment(const CRing& ringA, const CRing& ringB, CTextureManager& registry)
    : ringA(&ringA), ringB(&ringB) {
    char name[16];
    std::snprintf(name, sizeof(name), "segment%d", std::rand() % kWallSkinCount + 1);
    texture = registry.Find(name);
}

void CSegment::Draw() const {
    for (int i = 0; i < CRing::kPointCount; ++i) {
        const int j = (i + 1) % CRing::kPointCount;
        const float t0 = static_cast<float>(i) * kSideFraction;
        const float t1 = static_cast<float>(i + 1) * kSideFraction;
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
        glBegin(GL_TRIANGLES);
        SendVertex(1.0f, t1, ringA->GetNormal(j), ringB->GetPoint(j));
        SendVertex(1.0f, t0, ringA->GetNormal(j), ringB->GetPoint(i));
        SendVertex(0.0f, t0, ringA->GetNormal(i), ringA->GetPoint(i));
        SendVertex(1.0f, t1, ringA->GetNormal(j), ringB->GetPoint(j));
        SendVertex(0.0f, t0, ringA->GetNormal(i), ringA->GetPoint(i));
        SendVertex(0.0f, t1, ringA->GetNormal(i), ringA->GetPoint(j));
        glEnd();
    }
}
