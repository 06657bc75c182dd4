#pragma once

#include "world/Path.h"
#include "world/Ring.h"
#include "world/Segment.h"

#include <functional>
#include <vector>

class CBody;
class CRenderSettings;
class CTextureManager;

// The game's world: a chain of rings of radius 70 from the origin toward -z, bending by the
// difficulty, with the walls between them, the course marks and the path the rest of the game
// follows. Every random draw comes from rand(), seeded here, so one seed gives one world.
class CTunnel {
public:
    using SeedSource = std::function<unsigned()>;

    // A longer tunnel would not fit in memory; the configuration file could ask for one.
    static constexpr int kMaximumLength = 100000; // rings asked for
    // Bends grow with the difficulty (up to 4 x difficulty - 1 rings each); past this, one bend
    // alone would need more memory than a machine has, and twice the difficulty overflows.
    static constexpr int kMaximumBendDifficulty = 1000;
    // The last bend may end past the length asked for: the most rings a tunnel can have.
    static constexpr int kMaximumRingCount = kMaximumLength - 1 + 4 * kMaximumBendDifficulty - 1;
    // Seeds a player may name: rand()'s whole range, so every seed a world was made from is one.
    static constexpr unsigned kMaximumSeed = 2147483647;

    // Seeds rand() from the seed source: by default the time in seconds modulo 37.
    explicit CTunnel(CTextureManager& registry, SeedSource seedSource = &CTunnel::TimeSeed);

    // Builds rings, segments and path; at least 120 rings; prints the path line.
    void Generate(int difficulty, int length);

    int GetStartNode() const { return startNode; }   // 10
    int GetFinishNode() const { return finishNode; } // ring count - 90
    CVector3 GetNodePosition(int index) const;       // (0, 0, 0) outside the path
    int GetVisibleNodes() const;                     // nodes drawn ahead of the camera
    CPath& GetPath() { return path; }
    const CPath& GetPath() const { return path; }
    int GetRingCount() const { return ringCount; }
    const CRing& GetRing(int index) const { return rings[index]; } // index < ring count
    int GetSegmentCount() const { return static_cast<int>(segments.size()); }
    const CSegment& GetSegment(int index) const { return segments[index]; }

    // Walls of the node window ahead of the camera (all of them without culling).
    void DrawSegments(const CBody& cameraBody, const CRenderSettings& settings) const;
    // The eleven numbered course-mark discs inside the node window.
    void DrawJoints(const CBody& cameraBody, const CRenderSettings& settings) const;
    // The nodes of the joint discs, from the start node to the finish node; none when the
    // course is too short for them.
    std::vector<int> GetJointNodes() const;
    // A translucent line along the axis inside the node window, unless hidden.
    void DrawPathLine(const CBody& cameraBody, const CRenderSettings& settings) const;

    static unsigned TimeSeed();
    static int RandRange(int low, int high); // low to high - 1; low itself, no draw, if empty
    // The ring count Generate(difficulty, length) builds when the seed source gives seed,
    // worked out without building anything or drawing from rand().
    static int CountRings(int difficulty, int length, unsigned seed);

private:
    // What the tunnel grows by next: a straight ring, or a whole bend.
    struct SPiece {
        bool bend = false;
        int rings = 1;
        int length = 0; // a straight ring's
        int dx = 0;     // a bend's turn in degrees, up and down
        int dy = 0;     // and left and right
        int arc = 0;    // a bend's length over all its rings
    };
    // The draws every world is made with, in their order, from range(low, high) (low to
    // high - 1, as RandRange).
    template <typename Range> static SPiece DrawPiece(int difficulty, Range& range);

    void Clear();
    int AddFirstRing();
    int Extend(int difficulty); // appends a straight ring or a whole bend; returns rings added
    void AppendBend(const SPiece& bend);
    void AppendRing(float angleX, float angleY, float length);
    static CVector3 NextRingCentre(const CRing& ring);
    void BuildPath();
    void DrawJoint(int number, int ringIndex) const;

    int ringCount = 0;
    int difficulty = 0;
    CTextureManager* registry;
    std::vector<CRing> rings;
    std::vector<CSegment> segments;
    CPath path;
    int startNode = 0;
    int finishNode = 0;
};
