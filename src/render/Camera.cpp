#include "render/Camera.h"

#include "world/MatrixMath.h"
#include "world/Tunnel.h"

#include <GL/gl.h>
#include <GL/glu.h>

CCamera::CCamera() : body(std::make_unique<CBody>()) {
    body->SetPosition(CVector3(0.0f, 0.0f, 0.0f));
    body->SetUp(0.0f, 1.0f, 0.0f);
    body->SetDirection(0.0f, 0.0f, -1.0f);
    body->SetNodeIndex(1);
}

float CCamera::FollowDistance(int shipEnergy) {
    if (shipEnergy != 0) {
        fallBackStep = 1.0f;
        return followDistance;
    }
    // Not scaled by the time step: the camera falls back per frame.
    const float distance = followDistance + fallBackStep;
    fallBackStep *= 1.05f;
    return distance > maximumDistance ? maximumDistance : distance;
}

void CCamera::Update(const CBody& shipBody, float dt, const CInput&, const CTunnel& tunnel) {
    if (dt > 1.0f) {
        return;
    }
    const CPath& path = tunnel.GetPath();
    int n = shipBody.GetNodeIndex();
    const CPathNode* node = path.GetNode(n);
    if (node == nullptr) {
        return; // a ship off the path has nowhere to be followed to
    }
    float along = shipBody.along;
    float distance = FollowDistance(shipBody.GetEnergy());

    // Walk back along the path; at node 0 the camera stops at a fixed spot past it.
    float back = 0.0f;
    while (distance > 0.0f) {
        if (n == 0) {
            back = maximumDistance * 0.5f;
            break;
        }
        if (along >= distance) {
            back = along - distance;
            break;
        }
        distance -= along;
        --n;
        node = path.GetNode(n);
        along = node->length;
    }

    float m[16];
    MatIdentity(m);
    MatTranslate(0.0f, -(shipBody.offset + 1.0f), 0.0f, m);
    MatRotateZ(DegToRad(shipBody.roll), m);
    MatTranslate(0.0f, 0.0f, -back, m);
    MatRotateX(node->angleX, m);
    MatRotateY(node->angleY, m);
    MatTranslate(node->position.x, node->position.y, node->position.z, m);
    CVector3 eye(0.0f, 3.0f, 0.0f);
    MatTransformPoint(eye.x, eye.y, eye.z, m);

    body->SetPosition(eye);
    body->SetDirection(node->forward);
    body->SetUp(shipBody.GetUp());
    body->SetNodeIndex(n);
}

void CCamera::Apply() const {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor3f(1.0f, 1.0f, 1.0f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1.0, 1.0, 10000.0);
    const CVector3& eye = body->GetPosition();
    const CVector3 centre(eye.x + body->GetDirection().x, eye.y + body->GetDirection().y,
                          eye.z + body->GetDirection().z);
    const CVector3& up = body->GetUp();
    gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, up.x, up.y, up.z);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
