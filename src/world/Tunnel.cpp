#include "world/Tunnel.h"

#include "app/RenderSettings.h"
#include "entities/Body.h"
#include "render/AssetTable.h"
#include "render/TextureManager.h"
#include "render/Translucency.h"
#include "world/MatrixMath.h"

#include <GL/gl.h>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

// Every ring's radius, taken as RandRange(70, 70): a range that never draws.
constexpr int kRingRadius = 70;
constexpr int kMinimumRings = 120;
constexpr int kStartNode = 10;
constexpr int kFinishBeforeEnd = 90;
constexpr int kJointCount = 10; // numbered 10 at the finish down to 0
static_assert(CAssetTable::CountNumbered(CAssetTable::EKind::Texture, "joint_", 0) ==
                  kJointCount + 1,
              "a joint disc texture joint_0 to joint_10 for each disc");

// low to high - 1 from one draw; low itself, without a draw, when the range is empty.
template <typename Draw> int DrawRange(Draw draw, int low, int high) {
    return low < high ? low + draw() % (high - low) : low;
}

// The draws rand() gives after srand(seed), from a state of its own, so that the game's own
// rand() goes on untouched: glibc's rand() is random() on its default 128-byte state, which
// random_r repeats draw for draw.
class CRandCopy {
public:
    explicit CRandCopy(unsigned seed) { initstate_r(seed, state, sizeof state, &data); }
    CRandCopy(const CRandCopy&) = delete; // data points into state
    CRandCopy& operator=(const CRandCopy&) = delete;

    int operator()(int low, int high) {
        return DrawRange(
            [this] {
                std::int32_t value = 0;
                random_r(&data, &value);
                return static_cast<int>(value);
            },
            low, high);
    }

private:
    alignas(std::int32_t) char state[128] = {};
    random_data data{};
};

} // namespace

CTunnel::CTunnel(CTextureManager& registry, SeedSource seedSource) : registry(&registry) {
    std::srand(seedSource());
}

unsigned CTunnel::TimeSeed() {
    return static_cast<unsigned>(std::time(nullptr) % 37);
}

int CTunnel::RandRange(int low, int high) {
    return DrawRange([] { return std::rand(); }, low, high);
}

int CTunnel::CountRings(int difficultyLevel, int length, unsigned seed) {
    CRandCopy range(seed);
    const int target = std::min(std::max(length, kMinimumRings), kMaximumLength);
    int count = 1; // the first ring, which draws nothing
    while (count < target) {
        count += DrawPiece(difficultyLevel, range).rings;
    }
    return count;
}

void CTunnel::Clear() {
    rings.clear();
    segments.clear();
    path.Clear();
}

void CTunnel::Generate(int difficultyLevel, int length) {
    Clear();
    int target = std::max(length, kMinimumRings);
    if (target > kMaximumLength) {
        std::printf("tunnel length %d is too long, using %d nodes\n", target, kMaximumLength);
        target = kMaximumLength;
    }
    int count = AddFirstRing();
    while (count < target) {
        count += Extend(difficultyLevel);
    }
    // Segments keep pointers into the ring array, so they come only after the last ring.
    segments.reserve(rings.size() - 1);
    for (size_t k = 0; k + 1 < rings.size(); ++k) {
        segments.emplace_back(rings[k], rings[k + 1], *registry);
    }
    ringCount = static_cast<int>(rings.size());
    difficulty = difficultyLevel;
    startNode = kStartNode;
    finishNode = ringCount - kFinishBeforeEnd;
    BuildPath();
    path.PrintNodeCount();
}

int CTunnel::AddFirstRing() {
    rings.emplace_back(CVector3(0.0f, 0.0f, 0.0f), 0.0f, 0.0f, 10.0f,
                       static_cast<float>(RandRange(kRingRadius, kRingRadius)));
    return 1;
}

template <typename Range> CTunnel::SPiece CTunnel::DrawPiece(int difficultyLevel, Range& range) {
    SPiece piece;
    const int roll = range(1, 14);
    // In 64 bits: 14 minus a very negative difficulty does not fit an int.
    if (roll <= 14LL - difficultyLevel) {
        piece.length = range(100, 150);
        return piece;
    }
    const int a = std::min(difficultyLevel, kMaximumBendDifficulty);
    piece.bend = true;
    piece.dx = range(a, 2 * a);
    piece.dy = range(a, 2 * a);
    if (range(1, 20) < 10) {
        piece.dx = -piece.dx;
    }
    if (range(1, 20) < 10) {
        piece.dy = -piece.dy;
    }
    const int kind = range(1, 9);
    if (kind <= 3) {
        piece.dy = 0; // up or down only
    } else if (kind <= 6) {
        piece.dx = 0; // left or right only
    }
    piece.rings = 2 * std::max(std::abs(piece.dx), std::abs(piece.dy)) + 1;
    piece.arc = range(300, 340);
    return piece;
}

int CTunnel::Extend(int difficultyLevel) {
    const auto range = [](int low, int high) { return RandRange(low, high); };
    const SPiece piece = DrawPiece(difficultyLevel, range);
    if (piece.bend) {
        AppendBend(piece);
    } else {
        const CRing& last = rings.back();
        AppendRing(last.GetAngleX(), last.GetAngleY(), static_cast<float>(piece.length));
    }
    return piece.rings;
}

void CTunnel::AppendBend(const SPiece& bend) {
    const float degreesX = static_cast<float>(bend.dx) / static_cast<float>(bend.rings);
    const float degreesY = static_cast<float>(bend.dy) / static_cast<float>(bend.rings);
    const float stepLength = static_cast<float>(bend.arc) / static_cast<float>(bend.rings);
    for (int step = 0; step < bend.rings; ++step) {
        const CRing& last = rings.back();
        AppendRing(last.GetAngleX() + DegToRad(degreesX), last.GetAngleY() + DegToRad(degreesY),
                   stepLength);
    }
}

void CTunnel::AppendRing(float angleX, float angleY, float length) {
    const CVector3 centre = NextRingCentre(rings.back());
    rings.emplace_back(centre, angleX, angleY, length,
                       static_cast<float>(RandRange(kRingRadius, kRingRadius)));
}

CVector3 CTunnel::NextRingCentre(const CRing& ring) {
    float m[16];
    MatIdentity(m);
    MatRotateX(ring.GetAngleX(), m);
    MatRotateY(ring.GetAngleY(), m);
    MatTranslate(ring.GetCentre().x, ring.GetCentre().y, ring.GetCentre().z, m);
    CVector3 next(0.0f, 0.0f, -ring.GetLength());
    MatTransformPoint(next.x, next.y, next.z, m);
    return next;
}

void CTunnel::BuildPath() {
    path.Clear();
    for (int i = 0; i < static_cast<int>(rings.size()); ++i) {
        const CRing& ring = rings[i];
        const CVector3& p0 = ring.GetPoint(0);
        const CVector3& p5 = ring.GetPoint(5);
        const CVector3& p11 = ring.GetPoint(11);
        const CVector3 e = p5.Subtract(p0).WithLength(1.0f);
        const CVector3 u = p5.Subtract(p11).WithLength(1.0f);
        const CVector3 forward = e.Cross(u).WithLength(1.0f);
        const CVector3 minusP0 = p0.Negated();
        const float planeOffset =
            minusP0.x * forward.x + minusP0.y * forward.y + minusP0.z * forward.z;
        const CVector3& c = ring.GetCentre();
        path.AddNode(c.x, c.y, c.z, forward.x, forward.y, forward.z, planeOffset, ring.GetRadius(),
                     i, ring.GetAngleX(), ring.GetAngleY(), ring.GetLength());
    }
}

CVector3 CTunnel::GetNodePosition(int index) const {
    if (static_cast<unsigned>(index) >= static_cast<unsigned>(ringCount)) {
        return CVector3(0.0f, 0.0f, 0.0f);
    }
    return rings[index].GetCentre();
}

int CTunnel::GetVisibleNodes() const {
    switch (difficulty) {
    case 1:
    case 2:
    case 3:
        return 90;
    case 4:
        return 110;
    case 5:
        return 125;
    case 6:
        return 140;
    case 7:
        return 150;
    case 8:
        return 170;
    case 9:
        return 180;
    default:
        return 100;
    }
}

void CTunnel::DrawSegments(const CBody& cameraBody, const CRenderSettings& settings) const {
    const int segmentCount = GetSegmentCount();
    int first = 0;
    int last = segmentCount;
    if (settings.GetNoFrustumCulling() != 1) {
        first = cameraBody.GetNodeIndex();
        last = first + GetVisibleNodes();
    }
    last = std::min(last, segmentCount);
    for (int k = first; k < last; ++k) {
        segments[k].Draw();
    }
}

void CTunnel::DrawJoints(const CBody& cameraBody, const CRenderSettings& settings) const {
    const int c = cameraBody.GetNodeIndex();
    const int step = (finishNode - startNode) / kJointCount;
    TrackDiffuseColour();
    const bool blend = settings.GetNoAlpha() == 0;
    if (blend) {
        BeginTranslucency();
        glColor4f(0.9f, 0.4f, 0.4f, 0.5f);
    } else {
        glColor3f(0.9f, 0.4f, 0.4f);
    }
    // A tunnel too short for a step of at least one node has no room for the marks.
    if (step > 0) {
        int number = kJointCount;
        for (int i = finishNode; i >= startNode; i -= step, --number) {
            if (c <= i && i <= c + GetVisibleNodes()) {
                DrawJoint(number, i);
            }
        }
    }
    if (blend) {
        EndTranslucency();
    }
}

std::vector<int> CTunnel::GetJointNodes() const {
    std::vector<int> nodes;
    const int step = (finishNode - startNode) / kJointCount;
    if (step > 0) {
        for (int i = finishNode; i >= startNode; i -= step) {
            nodes.insert(nodes.begin(), i); // as DrawJoints walks them, back from the finish
        }
    }
    return nodes;
}

void CTunnel::DrawJoint(int number, int ringIndex) const {
    const CRing& ring = rings[ringIndex];
    CVector3 normal = ring.GetFacing();
    normal.DivideBy(normal.Length());
    char name[30];
    std::snprintf(name, sizeof(name), "joint_%d", number);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(registry->Find(name)));
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBegin(GL_TRIANGLES);
    const CVector3& centre = ring.GetCentre();
    for (int j = 0; j < CRing::kPointCount; ++j) {
        const int k = (j + 1) % CRing::kPointCount;
        glNormal3f(normal.x, normal.y, normal.z);
        glTexCoord2f(0.5f, 0.5f);
        glVertex3f(centre.x, centre.y, centre.z);
        for (int corner : {j, k}) {
            const CVector3& rim = ring.GetPoint(corner);
            glTexCoord2f((CRing::kCircle[corner][0] + 1.0f) * 0.5f,
                         (CRing::kCircle[corner][1] + 1.0f) * 0.5f);
            glVertex3f(rim.x, rim.y, rim.z);
        }
    }
    glEnd();
}

void CTunnel::DrawPathLine(const CBody& cameraBody, const CRenderSettings& settings) const {
    if (settings.GetHidePathLine()) {
        return;
    }
    const int c = cameraBody.GetNodeIndex();
    TrackDiffuseColour();
    BeginTranslucency();
    glColor4f(0.0f, 1.0f, 1.0f, 0.3f);
    glLineWidth(5.0f);
    glBegin(GL_LINES);
    const int lastLine = std::min(finishNode + 10, ringCount - 2);
    for (int i = startNode; i <= lastLine; ++i) {
        if (c <= i && i <= c + GetVisibleNodes()) {
            const CVector3& from = rings[i].GetCentre();
            const CVector3& to = rings[i + 1].GetCentre();
            glVertex3f(from.x, from.y, from.z);
            glVertex3f(to.x, to.y, to.z);
        }
    }
    glEnd();
    glLineWidth(1.0f);
    EndTranslucency();
}
