#pragma once

class CRing;
class CTextureManager;

// The textured wall between two consecutive rings: 24 sides of two triangles each, seen from
// inside. Owns nothing; the rings belong to the tunnel.
class CSegment {
public:
    // Draws one random number to pick "segment1" to "segment7".
    CSegment(const CRing& ringA, const CRing& ringB, CTextureManager& registry);

    void Draw() const; // immediate mode, texture bound per side; sets no other state
    int GetTexture() const { return texture; }

private:
    const CRing* ringA; // the nearer ring
    const CRing* ringB; // the next one along the course
    int texture;        // texture number, bound as the OpenGL name
};
