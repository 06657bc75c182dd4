// The best run's ghost with the real ship, skins and walls in a real context: it stands out from
// the grey walls by a hue of its own in both alpha settings, close by and far ahead, and drawing
// it leaves nothing behind that changes the walls or the player's ship.

#include "GameDataDirectory.h"
#include "GameGl.h"
#include "app/Screen.h"
#include "game/Ghost.h"
#include "render/Camera.h"
#include "render/TextureManager.h"
#include "runs/ReplayFiles.h"

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kDifficulty = 3;
constexpr int kLength = 200;
constexpr unsigned kSeed = 11;
constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kBluer = 40; // how much more blue than red a pixel must gain to count as tinted

struct SChange {
    int changed = 0; // pixels that differ at all
    int tinted = 0;  // of those, pixels whose blue gained on their red by kBluer or more
};

SChange Compare(const std::vector<GLubyte>& without, const std::vector<GLubyte>& with) {
    SChange change;
    for (std::size_t i = 0; i < without.size(); i += 3) {
        if (without[i] == with[i] && without[i + 1] == with[i + 1] &&
            without[i + 2] == with[i + 2]) {
            continue;
        }
        ++change.changed;
        const int before = without[i + 2] - without[i];
        const int after = with[i + 2] - with[i];
        change.tinted += after - before >= kBluer ? 1 : 0;
    }
    return change;
}

class GhostGl : public GameGl {
protected:
    void SetUp() override {
        GameGl::SetUp();
        if (IsSkipped()) {
            return;
        }
        // The generated meshes and skins over the test octahedrons: the look is what is measured.
        const fs::path here = data->GetPath();
        for (const fs::directory_entry& mesh :
             fs::directory_iterator(fs::path(ZELKORA_DATA_DIR) / "mesh")) {
            fs::remove(here / "mesh" / mesh.path().filename());
            fs::create_symlink(mesh.path(), here / "mesh" / mesh.path().filename());
        }
        fs::remove_all(here / "texture");
        fs::create_directory_symlink(fs::path(ZELKORA_DATA_DIR) / "texture", here / "texture");
        files = std::make_unique<CReplayFiles>(data->GetPath());
        CScreen::SetFixedGlState();
        LeaveABestRun(*files, kDifficulty, kLength, kSeed);
        Make(
            kDifficulty, kLength,
            [this](CGame& game, unsigned seed) {
                game.SetSeed(seed);
                game.SetReplayFiles(files.get());
            },
            kSeed);
        ASSERT_NE(game->GetGhost(), nullptr);
        CTextureManager table;
        table.ListAll();
        shipSkin = table.Find("player1");
    }

    // The player lets go of the throttle every twelfth frame, so the ghost draws ahead.
    void FlyTo(int frame) {
        for (; flown < frame; ++flown) {
            flown % 12 == 0 ? input.KeyUp(' ', 0, 0) : input.KeyDown(' ', 0, 0);
            Frames(1);
        }
    }

    // The walls and the ship as the last frame saw them, with or without the ghost, read back
    // before any swap.
    std::vector<GLubyte> DrawScene(bool withGhost) {
        const CCamera& camera = game->GetCamera();
        camera.Apply();
        game->GetTunnel()->DrawSegments(camera.GetBody(), settings);
        game->GetPlayer()->Draw(camera, settings);
        if (withGhost) {
            game->GetGhost()->Draw(game->GetRunTime(), game->GetTunnel()->GetPath(), shipSkin,
                                   settings);
        }
        std::vector<GLubyte> rgb(kWidth * kHeight * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        return rgb;
    }

    std::unique_ptr<CReplayFiles> files;
    int flown = 0;
    int shipSkin = 0;
};

TEST_F(GhostGl, StandsOutFromTheWallsByAHueOfItsOwnNearAndFar) {
    struct SCase {
        int frame; // since the run began, at 60 a second
        int noAlpha;
        int minimumChanged;
        int minimumTinted;
    };
    const SCase cases[] = {
        // Close by (a plain ghost changed 2422 pixels, under 600 of them bluer) and far ahead
        // (42 pixels, none bluer).
        {30, 0, 2800, 2500},
        {30, 1, 2800, 2500},
        {180, 0, 120, 110},
        {180, 1, 120, 110},
    };
    for (const SCase& c : cases) {
        const std::string name =
            "ghost-" + std::to_string(c.frame) + (c.noAlpha ? "-opaque" : "-translucent");
        SCOPED_TRACE(name);
        FlyTo(c.frame);
        settings.SetNoAlpha(c.noAlpha);
        const std::vector<GLubyte> without = DrawScene(false);
        const std::vector<GLubyte> with = DrawScene(true);
        const SChange change = Compare(without, with);
        RecordProperty(name + "-changed", change.changed);
        RecordProperty(name + "-tinted", change.tinted);
        EXPECT_GE(change.changed, c.minimumChanged);
        EXPECT_GE(change.tinted, c.minimumTinted);
    }
}

// What the ghost leaves for the draws after it, in this frame and the next.
struct SInherited {
    GLint textureMode;
    GLfloat colour[4];
    GLfloat lineWidth;
    GLint polygonModes[2];
    GLint culledFaces;
    GLboolean texturing;
    GLboolean lighting;
    GLboolean depthWrites;
    GLboolean blending;

    static SInherited Read() {
        SInherited state{};
        glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &state.textureMode);
        glGetFloatv(GL_CURRENT_COLOR, state.colour);
        glGetFloatv(GL_LINE_WIDTH, &state.lineWidth);
        glGetIntegerv(GL_POLYGON_MODE, state.polygonModes);
        glGetIntegerv(GL_CULL_FACE_MODE, &state.culledFaces);
        state.texturing = glIsEnabled(GL_TEXTURE_2D);
        state.lighting = glIsEnabled(GL_LIGHTING);
        glGetBooleanv(GL_DEPTH_WRITEMASK, &state.depthWrites);
        state.blending = glIsEnabled(GL_BLEND);
        return state;
    }
};

TEST_F(GhostGl, LeavesTheWallsTheShipAndTheStateLaterDrawsInheritAsTheyWere) {
    struct SCase {
        int noAlpha;
        int solidFill; // 0 is wireframe
        int noVertexArrays;
    };
    const SCase cases[] = {{0, 1, 0}, {1, 1, 0}, {0, 0, 1}, {1, 0, 1}};
    FlyTo(30); // the ghost beside the ship
    for (const SCase& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "no alpha " << c.noAlpha << ", solid fill " << c.solidFill
                     << ", no vertex arrays " << c.noVertexArrays);
        settings.SetNoAlpha(c.noAlpha);
        settings.SetSolidFill(c.solidFill);
        settings.SetNoVertexArrays(c.noVertexArrays);
        const std::vector<GLubyte> first = DrawScene(false);
        const SInherited before = SInherited::Read();
        const SChange drawn = Compare(first, DrawScene(true));
        EXPECT_GT(drawn.tinted, 0) << "the ghost is in view";
        const SInherited after = SInherited::Read();
        EXPECT_EQ(after.textureMode, before.textureMode); // the shots draw in the ship's mode
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(after.colour[i], 1.0f) << i;
        }
        EXPECT_EQ(after.lineWidth, before.lineWidth);
        EXPECT_EQ(after.polygonModes[0], before.polygonModes[0]);
        EXPECT_EQ(after.polygonModes[1], before.polygonModes[1]);
        EXPECT_EQ(after.culledFaces, before.culledFaces);
        EXPECT_EQ(after.texturing, before.texturing);
        EXPECT_EQ(after.lighting, before.lighting);
        EXPECT_EQ(after.depthWrites, before.depthWrites);
        EXPECT_EQ(after.blending, before.blending);
        // The next frame's walls and ship, pixel for pixel.
        EXPECT_EQ(Compare(first, DrawScene(false)).changed, 0);
    }
}

} // namespace
