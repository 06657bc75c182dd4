#pragma once

// The seven display toggles switched by the function keys; each holds 0 or 1, and for most of
// them 1 turns a feature off. Only SetSolidFill touches OpenGL.
class CRenderSettings {
public:
    int GetHideFps() const { return hideFps; }
    void SetHideFps(int value) { hideFps = value; }
    int GetSolidFill() const { return solidFill; }
    void SetSolidFill(int value); // also sets the polygon mode: 0 is wireframe
    int GetNoMipmaps() const { return noMipmaps; }
    void SetNoMipmaps(int value) { noMipmaps = value; }
    int GetNoVertexArrays() const { return noVertexArrays; }
    void SetNoVertexArrays(int value) { noVertexArrays = value; }
    int GetNoFrustumCulling() const { return noFrustumCulling; }
    void SetNoFrustumCulling(int value) { noFrustumCulling = value; }
    int GetNoAlpha() const { return noAlpha; }
    void SetNoAlpha(int value) { noAlpha = value; }
    int GetHidePathLine() const { return hidePathLine; }
    void SetHidePathLine(int value) { hidePathLine = value; }

private:
    int hideFps = 0;
    int solidFill = 1;
    int noMipmaps = 1;
    int noVertexArrays = 0;
    int noFrustumCulling = 0;
    int noAlpha = 0;
    int hidePathLine = 1;
};
