#include "game/Ghost.h"

#include "app/RenderSettings.h"
#include "entities/Player.h"
#include "game/Game.h"
#include "render/AssetTable.h"
#include "render/MeshCache.h"
#include "render/Translucency.h"
#include "world/Path.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

CPlayer::SPathPose ToPathPose(const CReplay::SPose& pose) {
    return CPlayer::SPathPose{
        CReplay::FromPoseUnits(pose.along), CReplay::FromPoseUnits(pose.offset),
        CReplay::FromPoseUnits(pose.roll), CReplay::FromPoseUnits(pose.turnRate),
        CReplay::FromPoseUnits(pose.nose)};
}

// Column c (0 to 3) of a column-order matrix, scaled, added to `to`.
void AddColumn(const float* matrix, int column, float weight, float* to) {
    for (int row = 0; row < 3; ++row) {
        to[row] += matrix[column * 4 + row] * weight;
    }
}

void Normalise(float* v) {
    const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length > 0.0f) {
        v[0] /= length;
        v[1] /= length;
        v[2] /= length;
    }
}

// Between two rigid poses: the position on the straight line, the axes turned part of the way
// and made orthonormal again (frames lie close, so this is as good as a true rotation).
void Blend(const float* from, const float* to, float fraction, float* model) {
    float axes[3][3] = {};
    for (int column = 0; column < 3; ++column) {
        AddColumn(from, column, 1.0f - fraction, axes[column]);
        AddColumn(to, column, fraction, axes[column]);
    }
    Normalise(axes[2]);
    // x = y cross z, then y = z cross x: right-handed and orthogonal.
    float* x = axes[0];
    float* y = axes[1];
    const float* z = axes[2];
    x[0] = y[1] * z[2] - y[2] * z[1];
    x[1] = y[2] * z[0] - y[0] * z[2];
    x[2] = y[0] * z[1] - y[1] * z[0];
    Normalise(x);
    y[0] = z[1] * x[2] - z[2] * x[1];
    y[1] = z[2] * x[0] - z[0] * x[2];
    y[2] = z[0] * x[1] - z[1] * x[0];
    std::fill(model, model + 16, 0.0f);
    for (int column = 0; column < 3; ++column) {
        std::copy(axes[column], axes[column] + 3, model + column * 4);
    }
    float position[3] = {};
    AddColumn(from, 3, 1.0f - fraction, position);
    AddColumn(to, 3, fraction, position);
    std::copy(position, position + 3, model + 12);
    model[15] = 1.0f;
}

} // namespace

CGhost::CGhost(const CReplay& best) : splits(best.splits), finishClock(best.finishClock) {
    frameEnds.reserve(best.frames.size());
    poses.reserve(best.frames.size());
    double time = 0.0;
    for (const CReplay::SFrame& frame : best.frames) {
        time += CGame::RulesStep(frame.step); // as the run's world moved
        frameEnds.push_back(time);
        poses.push_back(frame.pose);
    }
}

void CGhost::LoadMesh() {
    CMeshCache::Load(CAssetTable::GetMeshPath("player"), mesh);
}

std::string CGhost::FormatSplit(double seconds) {
    const long long hundredths = std::llround(std::fabs(seconds) * 100.0);
    char text[32];
    std::snprintf(text, sizeof(text), "%c%lld.%02lld", seconds < 0.0 && hundredths > 0 ? '-' : '+',
                  hundredths / 100, hundredths % 100);
    return text;
}

double CGhost::GetSplit(std::size_t disc) const {
    return disc < splits.size() ? splits[disc] : -1.0;
}

bool CGhost::PoseMatrix(std::size_t frame, const CPath& path, float* model) const {
    const CPathNode* node = path.GetNode(poses[frame].node);
    if (node == nullptr) {
        return false;
    }
    CPlayer::ComputeModelMatrix(ToPathPose(poses[frame]), *node, model);
    return true;
}

bool CGhost::ComputeModelMatrix(double runTime, const CPath& path, float* model) const {
    if (poses.empty()) {
        return false;
    }
    // The first frame that ends at or after the time; the one before it ends before it.
    const std::size_t next = static_cast<std::size_t>(
        std::lower_bound(frameEnds.begin(), frameEnds.end(), runTime) - frameEnds.begin());
    if (next == 0 || next == poses.size()) {
        const std::size_t held = next == 0 ? 0 : poses.size() - 1;
        return poses[held].visible && PoseMatrix(held, path, model);
    }
    const std::size_t last = next - 1;
    if (!poses[last].visible || !poses[next].visible) {
        return false;
    }
    float from[16];
    float to[16];
    if (!PoseMatrix(last, path, from) || !PoseMatrix(next, path, to)) {
        return false;
    }
    const double span = frameEnds[next] - frameEnds[last];
    const float fraction =
        span > 0.0 ? static_cast<float>((runTime - frameEnds[last]) / span) : 1.0f;
    Blend(from, to, fraction, model);
    return true;
}

void CGhost::Draw(double runTime, const CPath& path, int texture,
                  const CRenderSettings& settings) const {
    float model[16];
    if (!ComputeModelMatrix(runTime, path, model)) {
        return;
    }
    glPushMatrix();
    glLoadIdentity();
    glMultMatrixf(model);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
    const bool blend = settings.GetNoAlpha() == 0;
    if (blend) {
        // Kept from the plain translucent ghost: later draws inherit the colour material and
        // the alpha test these leave on.
        TrackDiffuseColour();
        BeginTranslucency();
    }
    // Everything else the ghost's own look changes goes back as it was.
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LIGHTING_BIT | GL_TEXTURE_BIT |
                 GL_POLYGON_BIT | GL_LINE_BIT);
    glDisable(GL_LIGHTING); // unlit, as the ship itself is
    DrawOutline(blend, settings);
    DrawTintedSkin(blend ? kAlpha : 1.0f, settings);
    glPopAttrib();
    if (blend) {
        EndTranslucency();
        glColor3f(1.0f, 1.0f, 1.0f);
    }
    glPopMatrix();
}

void CGhost::DrawMesh(const CRenderSettings& settings) const {
    if (settings.GetNoVertexArrays() == 0) {
        mesh.DrawArrays();
    } else {
        mesh.DrawImmediate();
    }
}

void CGhost::DrawTintedSkin(float alpha, const CRenderSettings& settings) const {
    // GL_BLEND runs the skin from the deep colour in its dark parts to the light one in its
    // bright parts: the ship's markings stay readable, in the ghost's blue instead of grey.
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, kTintLight);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_BLEND);
    glColor4f(kTintDeep[0], kTintDeep[1], kTintDeep[2], alpha);
    DrawMesh(settings);
}

void CGhost::DrawOutline(bool blend, const CRenderSettings& settings) const {
    glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT);
    // The back faces' edges in wide lines: a rim a few pixels wide however far ahead the ghost
    // flies. Through the translucent body the edges behind it show too, fainter.
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    glPolygonMode(GL_BACK, GL_LINE);
    glLineWidth(kOutlineWidth);
    glColor4f(kOutline[0], kOutline[1], kOutline[2], blend ? kOutlineAlpha : 1.0f);
    DrawMesh(settings);
    glPopAttrib(); // the skin after it is drawn filled and textured
}
