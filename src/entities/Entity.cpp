#include "entities/Entity.h"

#include "app/RenderSettings.h"
#include "fx/ParticleSystem.h"
#include "render/Mesh.h"

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

float CEntity::GetRadius() const {
    return mesh->GetRadius();
}

namespace {
float Dot(const CVector3& a, const CVector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
} // namespace

bool CEntity::Collide(const CEntity& other) const {
    const float reach = GetRadius() + other.GetRadius();
    const CVector3& p = GetPosition();
    const CVector3& c = other.GetPosition();
    if (p.Subtract(c).Length() < reach) {
        return true;
    }
    // Sweep the last step from Q to P through the plane across it at the other's centre.
    const CVector3& q = GetPreviousPosition();
    CVector3 n = p.Subtract(q);
    const float stepLength = n.Length();
    if (stepLength == 0.0f) {
        return false;
    }
    n.DivideBy(stepLength);
    const float centreSide = Dot(n, c);
    const float startSide = Dot(n, q) - centreSide;
    const float endSide = Dot(n, p) - centreSide;
    const float nn = Dot(n, n);
    const CVector3 crossing = nn == 0.0f ? q : q.Subtract(n.Scaled(startSide / nn));
    if (startSide >= 0.0f || endSide <= 0.0f) {
        return false;
    }
    return crossing.Subtract(c).Length() < reach;
}

void CEntity::DrawMesh(const CRenderSettings& settings) const {
    if (settings.GetNoVertexArrays() == 0) {
        mesh->DrawArrays();
    } else {
        mesh->DrawImmediate();
    }
}
