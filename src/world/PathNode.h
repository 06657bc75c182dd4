#pragma once

#include "world/Vector3.h"

// What the ship, the camera and the enemies know of one ring: where it is, which way the course
// runs through it, and how far it is to the next. 48 bytes.
struct CPathNode {
    CVector3 position; // the ring's centre
    CVector3 forward;  // unit normal of the ring's plane, toward the next ring
    float planeOffset; // forward . X + planeOffset: signed distance of X past the ring
    float radius;      // tunnel radius here (70)
    int index;         // ring index
    float angleX;      // radians
    float angleY;      // radians
    float length;      // distance to the next node's position
};
static_assert(sizeof(CPathNode) == 48, "a path node is 48 bytes");
