#include "entities/Laser.h"

#include "app/RenderSettings.h"
#include "render/AssetTable.h"
#include "render/Mesh.h"
#include "render/TextureManager.h"
#include "render/Translucency.h"
#include "sound/Sound.h"

#include <GL/gl.h>

CLaser::CLaser(CTextureManager& registry) {
    LoadMesh(CAssetTable::GetMeshPath("laser2"));
    texture = registry.Find("laser2");
    shotSound = std::make_unique<CSound>(CAssetTable::GetSoundPath("laser"));
    shotSound->PlayOnce();
}

CLaser::~CLaser() = default;

void CLaser::Update(float dt, const CTunnel&) {
    if (age > kLifetime) {
        SetEnergy(0);
    }
    if (exploding || IsDead()) {
        return;
    }
    body->SavePrevious();
    const float step = dt * GetSpeed();
    const CVector3& direction = GetDirection();
    SetPosition(GetPosition().Added(direction.Scaled(step / direction.Length())));
    age += dt;
}

void CLaser::Draw(const CCamera&, const CRenderSettings& settings) {
    const CVector3& p = GetPosition();
    float orientation[16];
    body->GetOrientationMatrix(orientation);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(p.x, p.y, p.z);
    glMultMatrixf(orientation);
    const bool blend = settings.GetNoAlpha() == 0;
    if (blend) {
        BeginTranslucency();
        glColor4f(1.0f, 1.0f, 1.0f, 0.7f);
    } else {
        glColor3f(1.0f, 1.0f, 1.0f);
    }
    // The texture environment stays as the ship left it.
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
    DrawMesh(settings);
    if (blend) {
        EndTranslucency();
    }
    glPopMatrix();
}
