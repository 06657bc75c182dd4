#pragma once

#include "entities/Body.h"

#include <memory>

class CInput;
class CTunnel;

// The chase camera: a fixed distance behind the ship measured along the tunnel path, a little
// above it in its rolled frame, looking along the path. It falls back while the ship is down.
// It puts projection and view together on the projection matrix, so all drawing works in world
// coordinates on an identity model-view.
class CCamera {
public:
    CCamera();

    // dt in seconds; a step above 1 s leaves the camera where it was. input is unused.
    void Update(const CBody& shipBody, float dt, const CInput& input, const CTunnel& tunnel);
    void Apply() const; // clears the frame, loads projection and look-at, identity model-view

    CBody& GetBody() { return *body; }
    const CBody& GetBody() const { return *body; }
    const CVector3& GetPosition() const { return body->GetPosition(); }
    const CVector3& GetDirection() const { return body->GetDirection(); }
    const CVector3& GetUp() const { return body->GetUp(); }
    int GetNodeIndex() const { return body->GetNodeIndex(); } // never negative

    float GetFallBackStep() const { return fallBackStep; }

private:
    float FollowDistance(int shipEnergy);

    float followDistance = 15.0f;
    float maximumDistance = 35.0f;
    float fallBackStep = 1.0f; // grows by 5% each frame the ship has no energy
    std::unique_ptr<CBody> body;
};
