#pragma once

#include "render/Mesh.h"
#include "runs/Replay.h"

#include <string>
#include <vector>

class CPath;
class CRenderSettings;

// The best run of the world, flown beside the player: the ship's mesh in a blue of its own with
// a bright rim, translucent when the alpha toggle allows, at the pose the best run had at the same
// time since its run began (interpolated between its frames, held at its last pose after its last
// frame). It only draws: it collides with nothing and changes nothing in the game.
class CGhost {
public:
    explicit CGhost(const CReplay& best); // a finished run of this world
    CGhost(const CGhost&) = delete;
    CGhost& operator=(const CGhost&) = delete;

    // The model matrix (OpenGL column order) at that many seconds into the run: false while the
    // best run's ship was blown apart, or off the path.
    bool ComputeModelMatrix(double runTime, const CPath& path, float* model) const;
    // The best run's course clock at joint disc `disc` (0 for the first on the course), or a
    // negative number when it never got there.
    double GetSplit(std::size_t disc) const;
    double GetFinishClock() const { return finishClock; }

    void LoadMesh(); // the ship's mesh, for drawing
    void Draw(double runTime, const CPath& path, int texture,
              const CRenderSettings& settings) const;

    // A split against the best run: "-1.23" ahead of it, "+0.45" behind (hundredths rounded).
    static std::string FormatSplit(double seconds);

    static constexpr float kAlpha = 0.4f; // the body's, when the alpha toggle allows

private:
    static constexpr float kTintDeep[3] = {0.0f, 0.08f, 0.55f};       // the skin's dark parts
    static constexpr float kTintLight[4] = {0.45f, 0.7f, 1.0f, 1.0f}; // its bright parts
    static constexpr float kOutline[3] = {0.3f, 0.6f, 1.0f};
    static constexpr float kOutlineAlpha = 0.5f;
    static constexpr float kOutlineWidth = 3.0f; // pixels

    void DrawMesh(const CRenderSettings& settings) const;
    void DrawTintedSkin(float alpha, const CRenderSettings& settings) const;
    void DrawOutline(bool blend, const CRenderSettings& settings) const;
    bool PoseMatrix(std::size_t frame, const CPath& path, float* model) const;

    std::vector<double> frameEnds; // the run's time after each frame
    std::vector<CReplay::SPose> poses;
    std::vector<double> splits;
    double finishClock;
    CMesh mesh;
};
