#pragma once

#include "world/Vector3.h"

// Position, orientation, speed, energy and path position of one moving thing. It stores and
// computes; the rules that move it belong to its owner. Angles are degrees.
class CBody {
public:
    const CVector3& GetPosition() const { return position; }
    void SetPosition(const CVector3& p) { position = p; }
    // Where the body was when SavePrevious last ran.
    struct SavedState {
        CVector3 position;
        CVector3 direction;
        CVector3 up;
        int nodeIndex = 0;
    };
    const SavedState& GetPrevious() const { return previous; }
    const CVector3& GetPreviousPosition() const { return previous.position; }

    // Setting direction or up recomputes the side vector (normalised up x direction).
    const CVector3& GetDirection() const { return direction; }
    void SetDirection(const CVector3& d);
    void SetDirection(float x, float y, float z) { SetDirection(CVector3(x, y, z)); }
    const CVector3& GetUp() const { return up; }
    void SetUp(const CVector3& u);
    void SetUp(float x, float y, float z) { SetUp(CVector3(x, y, z)); }
    const CVector3& GetSide() const { return side; } // points to the owner's left

    int GetNodeIndex() const { return nodeIndex < 0 ? 0 : nodeIndex; } // never negative
    void SetNodeIndex(int index) { nodeIndex = index; }

    int GetEnergy() const { return energy; }
    void SetEnergy(int value) { energy = value; } // unclamped: the owner clamps
    float GetSpeed() const { return speed; }      // units per second
    void SetSpeed(float value) { speed = value; }
    float GetMaxSpeed() const { return maxSpeed; }
    void SetMaxSpeed(float value) { maxSpeed = value; }

    void SavePrevious(); // copies position, direction, up and node index

    // Columns -side, up, direction and (0, 0, 0, 1), in OpenGL column order; no translation.
    void GetOrientationMatrix(float* m) const;

    // The ship's path-following state, read and written directly by the ship and the camera.
    float along = 0.0f;  // distance from the current node toward the next
    float offset = 0.0f; // distance below the tunnel axis in the rolled frame
    float roll = 0.0f;   // angle around the tunnel axis, degrees
    float rightSteerImpulse = 0.0f;
    float leftSteerImpulse = 0.0f;
    float tilt = 0.0f;          // nose angle for display, degrees
    float modelMatrix[16] = {}; // OpenGL column order, for glMultMatrixf

private:
    void UpdateSide();

    CVector3 position;
    CVector3 direction;
    CVector3 up;
    CVector3 side;
    int nodeIndex = 1;
    float maxSpeed = 0.0f;
    int energy = 100;
    SavedState previous;
    float speed = 0.0f;
};
