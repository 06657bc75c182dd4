#include "entities/Player.h"

#include "app/Input.h"
#include "fx/ParticleSystem.h"
#include "render/AssetTable.h"
#include "render/Mesh.h"
#include "render/TextureManager.h"
#include "sound/Sound.h"
#include "world/MatrixMath.h"
#include "world/Tunnel.h"

#include <GL/gl.h>

namespace {

constexpr float kSteerPerSecond = 2700.0f; // impulse added per second a steering key is held
constexpr float kClimbPerSecond = 70.0f;   // offset change per second
constexpr float kRestartAfter = 5.0f;      // seconds of explosion before the ship comes back

// One frame of an impulse's decay: its share of the turn rate, and what is left of it.
float DecayImpulse(float& impulse) {
    float contribution;
    if (impulse < 5.0f) {
        contribution = 0.2f * impulse;
        impulse = 0.0f;
    } else if (impulse < 10.0f) {
        contribution = impulse * 0.3333333f;
        impulse -= 5.0f;
    } else if (impulse < 15.0f) {
        contribution = 0.5f * impulse;
        impulse -= 5.0f;
    } else {
        contribution = impulse > 45.0f ? 45.0f : impulse;
        impulse = 14.0f;
    }
    return contribution;
}

float TurnLevelOf(float rate) {
    if (rate > 12.0f) {
        return 3.0f;
    }
    if (rate > 6.0f) {
        return 2.0f;
    }
    if (rate > 0.0f) {
        return 1.0f;
    }
    if (rate == 0.0f) {
        return 0.0f;
    }
    if (rate > -6.0f) {
        return -1.0f;
    }
    if (rate > -12.0f) {
        return -2.0f;
    }
    return -3.0f;
}

} // namespace

CPlayer::CPlayer(CTextureManager& registry) {
    LoadMesh(CAssetTable::GetMeshPath("player"));
    texture = registry.Find("player1");
    body->along = 5.0f;
    body->offset = 0.0f;
    body->roll = 0.0f;
    body->SetSpeed(0.0f);
    body->rightSteerImpulse = 0.0f;
    body->leftSteerImpulse = 0.0f;
    body->tilt = 0.0f;
    body->SetMaxSpeed(kMaxSpeed);
    explosion = std::make_unique<CParticleSystem>(registry);
    explosion->SetScale(0.5f);
    warningSound = std::make_unique<CSound>(CAssetTable::GetSoundPath("energy_warning"));
    alertSound = std::make_unique<CSound>(CAssetTable::GetSoundPath("energy_alert"));
    selfDestructSound = std::make_unique<CSound>(CAssetTable::GetSoundPath("selfdestruct"));
}

CPlayer::~CPlayer() = default;

void CPlayer::Accelerate(float dt) {
    const float speed = body->GetSpeed();
    const float t = (speed >= kMaxSpeed ? 2.0f : speed * 0.004f) + dt;
    body->SetSpeed(t >= 2.0f ? kMaxSpeed : t * 250.0f);
}

void CPlayer::Decelerate(float dt) {
    const float speed = body->GetSpeed();
    float t;
    if (speed <= 0.0f) {
        t = 2.0f;
    } else if (speed > kMaxSpeed) {
        t = 0.0f;
    } else {
        t = (kMaxSpeed - speed) * 0.002f;
    }
    t += dt;
    const float slowed = kMaxSpeed - t * 500.0f;
    body->SetSpeed(t >= 2.0f || slowed < 0.0f ? 0.0f : slowed);
}

void CPlayer::Steer(const CInput& input, float dt) {
    if (IsDead()) {
        Decelerate(dt); // coasting: the keys are ignored
        return;
    }
    body->tilt = 0.0f;
    if (input.GetAccelerate()) {
        Accelerate(dt);
    } else {
        Decelerate(dt);
    }
    if (input.GetLeft()) {
        body->leftSteerImpulse += dt * kSteerPerSecond;
    }
    if (input.GetRight()) {
        body->rightSteerImpulse += dt * kSteerPerSecond;
    }
    if (input.GetUp()) {
        body->offset = body->offset > 0.0f ? body->offset - dt * kClimbPerSecond : 0.0f;
        body->tilt = 5.0f;
    }
    if (input.GetDown()) {
        body->offset += dt * kClimbPerSecond;
        body->tilt = -5.0f;
    }
}

void CPlayer::Update(float dt, const CTunnel& tunnel) {
    SoundEnergyWarnings();
    body->SavePrevious();
    TravelAlongPath(dt, tunnel);
    const CPathNode* node = tunnel.GetPath().GetNode(GetNodeIndex());
    if (node == nullptr) {
        return; // an empty path: nowhere to be
    }
    KeepOffTheWall(tunnel);
    TurnFromImpulses();
    PlaceInTunnel(dt, *node);
    if (IsDead() && body->GetSpeed() <= 0.0f) {
        ExplodeAndRestart(dt);
    }
}

void CPlayer::SoundEnergyWarnings() {
    if (GetEnergy() <= 20 && !warningStarted) {
        warningStarted = true;
        warningSound->PlayOnce();
    }
    if (GetEnergy() <= 5 && !alertStarted) {
        alertStarted = true;
        alertSound->PlayLooped();
    }
}

void CPlayer::TravelAlongPath(float dt, const CTunnel& tunnel) {
    const CPath& path = tunnel.GetPath();
    float step = dt * body->GetSpeed();
    int i = GetNodeIndex();
    float along = body->along;
    while (step > 0.0f) {
        const CPathNode* node = path.GetNode(i);
        if (node == nullptr) {
            break;
        }
        const float remaining = node->length - along;
        if (remaining >= step) {
            along += step;
            break;
        }
        if (path.GetNode(i + 1) == nullptr) {
            // The last node: a long pause at full speed must not carry the ship off the path.
            along = node->length;
            break;
        }
        step -= remaining;
        ++i;
        along = 0.0f;
    }
    body->along = along;
    body->SetNodeIndex(i);
}

void CPlayer::KeepOffTheWall(const CTunnel& tunnel) {
    const CPath& path = tunnel.GetPath();
    const CPathNode* node = path.GetNode(GetNodeIndex());
    const CPathNode* next = path.GetNode(GetNodeIndex() + 1);
    const float farRadius = next != nullptr ? next->radius : node->radius;
    const float fraction = body->along / node->length;
    const float radius = node->radius + (farRadius - node->radius) * fraction;
    if (radius - GetRadius() < body->offset) {
        body->offset = radius - GetRadius() - 2.0f; // touching the wall costs nothing
        body->tilt = 0.0f;
    }
}

void CPlayer::TurnFromImpulses() {
    // Per frame, not per second: the decay and the roll follow the frame rate.
    const float right = DecayImpulse(body->rightSteerImpulse);
    const float left = -DecayImpulse(body->leftSteerImpulse);
    turnRate = right + left;
    turnLevel = TurnLevelOf(turnRate);
    body->roll += turnRate * 0.025f;
}

void CPlayer::PlaceInTunnel(float dt, const CPathNode& node) {
    noseAngle = body->tilt;
    if (exploding) {
        spinAngle += dt * 360.0f;
        noseAngle = spinAngle;
    }
    float model[16];
    ComputeRowMajorModel(GetPathPose(), node, model);
    MatTranspose(model, body->modelMatrix);

    // Up and forward follow the tunnel and the roll only, not tilt, bank or spin.
    float frame[16];
    MatIdentity(frame);
    MatRotateZ(DegToRad(body->roll), frame);
    MatRotateX(node.angleX, frame);
    MatRotateY(node.angleY, frame);

    CVector3 position(0.0f, 0.0f, 0.0f);
    MatTransformPoint(position.x, position.y, position.z, model);
    CVector3 up(0.0f, 1.0f, 0.0f);
    MatTransformPoint(up.x, up.y, up.z, frame);
    CVector3 direction(0.0f, 0.0f, -1.0f);
    MatTransformPoint(direction.x, direction.y, direction.z, frame);
    SetPosition(position);
    SetUp(up);
    SetDirection(direction);
}

CPlayer::SPathPose CPlayer::GetPathPose() const {
    return SPathPose{body->along, body->offset, body->roll, turnRate, noseAngle};
}

void CPlayer::ComputeRowMajorModel(const SPathPose& pose, const CPathNode& node, float* model) {
    MatIdentity(model);
    MatRotateX(DegToRad(pose.nose), model);
    MatRotateZ(DegToRad(-2.0f * pose.turnRate), model); // the bank
    MatTranslate(0.0f, -pose.offset, 0.0f, model);
    MatRotateZ(DegToRad(pose.roll), model);
    MatTranslate(0.0f, 0.0f, -pose.along, model);
    MatRotateX(node.angleX, model);
    MatRotateY(node.angleY, model);
    MatTranslate(node.position.x, node.position.y, node.position.z, model);
}

void CPlayer::ComputeModelMatrix(const SPathPose& pose, const CPathNode& node, float* model) {
    float rowMajor[16];
    ComputeRowMajorModel(pose, node, rowMajor);
    MatTranspose(rowMajor, model);
}

void CPlayer::ExplodeAndRestart(float dt) {
    if (explosionTimer == 0.0f) {
        Explode();
    }
    explosion->Update(dt);
    explosionTimer += dt;
    if (explosionTimer > kVanishAfter) {
        alertSound->Stop();
    }
    if (explosionTimer > kRestartAfter) {
        SetEnergy(100);
        exploding = false;
        explosionTimer = 0.0f;
        explosion->Reset();
        warningStarted = false;
        alertStarted = false;
        spinAngle = 0.0f;
    }
}

void CPlayer::Draw(const CCamera& camera, const CRenderSettings& settings) {
    if (explosionTimer < kVanishAfter) {
        glPushMatrix();
        glLoadIdentity();
        glMultMatrixf(body->modelMatrix);
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
        glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        DrawMesh(settings);
        glPopMatrix();
    }
    if (exploding) {
        explosion->Draw(camera, settings);
    }
}

void CPlayer::SelfDestruct() {
    warningStarted = true;
    alertStarted = true;
    SetEnergy(0);
    selfDestructSound->PlayOnce();
}
