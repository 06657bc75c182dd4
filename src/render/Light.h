#pragma once

// One OpenGL light: colours and a position, sent on Apply. Positions are world coordinates
// (the view lives on the projection matrix); w = 0 makes a directional light.
class CLight {
public:
    void Init(int lightName); // GL_LIGHT0 + i; ambient (0, 0, 0, 1), position (0, 1, 0, 0)
    void SetAmbient(float r, float g, float b, float a);
    void SetDiffuse(float r, float g, float b, float a);
    void SetPosition(float x, float y, float z, float w);
    void Apply() const; // ambient, diffuse, position; nothing else

    int GetLight() const { return light; }
    const float* GetAmbient() const { return ambient; }
    const float* GetDiffuse() const { return diffuse; }
    const float* GetPosition() const { return position; }

private:
    int light = 0;
    float ambient[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float diffuse[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float position[4] = {0.0f, 1.0f, 0.0f, 0.0f};
};
