#include "entities/Entity.h"

#include "app/RenderSettings.h"
#include "fx/ParticleSystem.h"
#include "render/Mesh.h"
#include "render/MeshCache.h"

#include <algorithm>

CEntity::CEntity() : mesh(std::make_unique<CMesh>()), body(std::make_unique<CBody>()) {
    body->SetPosition(CVector3(0.0f, 0.0f, 1.0f));
    body->SetUp(0.0f, 1.0f, 0.0f);
    body->SetDirection(0.0f, 0.0f, -1.0f);
    body->SetNodeIndex(0);
}

CEntity::~CEntity() = default;

void CEntity::SetEnergy(int energy) {
    body->SetEnergy(energy < 0 ? 0 : (energy > 100 ? 100 : energy));
}

void CEntity::Explode() {
    if (explosion) { // shots have no effect and are never exploded
        explosion->Start(GetPosition());
    }
    exploding = true;
}

void CEntity::LoadMesh(const char* path) {
    CMeshCache::Load(path, *mesh);
    radius = mesh->GetRadius();
}

namespace {

// True when the box from low to high lies more than margin outside the box spanned by a and b
// on some axis.
bool OutsideBox(const CVector3& a, const CVector3& b, const CVector3& low, const CVector3& high,
                float margin) {
    return high.x < std::min(a.x, b.x) - margin || low.x > std::max(a.x, b.x) + margin ||
           high.y < std::min(a.y, b.y) - margin || low.y > std::max(a.y, b.y) + margin ||
           high.z < std::min(a.z, b.z) - margin || low.z > std::max(a.z, b.z) + margin;
}

} // namespace

bool CEntity::Collide(const CEntity& other) const {
    const float reach = GetRadius() + other.GetRadius();
    const CVector3& p = GetPosition();
    const CVector3& c = other.GetPosition();
    const CVector3& q = GetPreviousPosition();
    // Both tests below measure from points of the step from Q to P, so a centre well outside
    // the box around the step cannot be hit. The margin lies far beyond any rounding, so the
    // shortcut never changes an answer; it spares the dense world most of its square roots.
    if (!MayReach(c, c, other.GetRadius())) {
        return false;
    }
    if (p.Subtract(c).Length() < reach) {
        return true;
    }
    // Sweep the last step from Q to P through the plane across it at the other's centre.
    CVector3 n = p.Subtract(q);
    const float stepLength = n.Length();
    if (stepLength == 0.0f) {
        return false;
    }
    n.DivideBy(stepLength);
    const float centreSide = n.Dot(c);
    const float startSide = n.Dot(q) - centreSide;
    const float endSide = n.Dot(p) - centreSide;
    if (startSide >= 0.0f || endSide <= 0.0f) {
        return false; // the step did not cross the plane forward
    }
    const float nn = n.Dot(n);
    const CVector3 crossing = nn == 0.0f ? q : q.Subtract(n.Scaled(startSide / nn));
    return crossing.Subtract(c).Length() < reach;
}

bool CEntity::MayReach(const CVector3& low, const CVector3& high, float otherRadius) const {
    return StepMayReach(GetPreviousPosition(), GetPosition(), GetRadius(), low, high, otherRadius);
}

bool CEntity::StepMayReach(const CVector3& from, const CVector3& to, float radius,
                           const CVector3& low, const CVector3& high, float otherRadius) {
    const float reach = radius + otherRadius;
    return !OutsideBox(from, to, low, high, reach * 1.001f + 0.001f);
}

void CEntity::DrawMesh(const CRenderSettings& settings) const {
    if (settings.GetNoVertexArrays() == 0) {
        mesh->DrawArrays();
    } else {
        mesh->DrawImmediate();
    }
}
