#include "GlFixture.h"

#include "app/Input.h"
#include "render/Camera.h"
#include "render/TextureManager.h"
#include "world/Tunnel.h"

#include <GL/glu.h>

namespace {

unsigned SeedOne() {
    return 1;
}

class CameraGl : public GlFixture {
protected:
    // Where a world point lands in the 800 x 600 window after Apply.
    void Project(float x, float y, float z, double& winX, double& winY) {
        GLdouble modelView[16];
        GLdouble projection[16];
        const GLint viewport[4] = {0, 0, 800, 600};
        glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        double winZ = 0.0;
        gluProject(x, y, z, modelView, projection, viewport, &winX, &winY, &winZ);
    }
};

TEST_F(CameraGl, ApplyClearsAndPutsTheViewOnTheProjection) {
    CTextureManager registry;
    CTunnel tunnel(registry, &SeedOne);
    testing::internal::CaptureStdout();
    tunnel.Generate(1, 500);
    testing::internal::GetCapturedStdout();
    CBody ship;
    ship.SetDirection(0, 0, -1);
    ship.SetUp(0, 1, 0);
    ship.SetNodeIndex(10);
    ship.along = 40.0f;
    CCamera camera;
    camera.Update(ship, 0.02f, CInput(), tunnel);

    glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
    glColor3f(0.0f, 0.0f, 0.0f);
    camera.Apply();

    EXPECT_EQ(GetInteger(GL_MATRIX_MODE), GL_MODELVIEW);
    GLfloat modelView[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(modelView[i], i % 5 == 0 ? 1.0f : 0.0f);
    }
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 1.0f);
    GLubyte pixel[4];
    ReadPixel(10, 10, pixel);
    EXPECT_EQ(pixel[2], 153) << "cleared with the clear colour";

    // A point straight ahead lands in the middle; with a square aspect the 45-degree field
    // reaches the window's edges both ways.
    const CVector3 eye = camera.GetPosition();
    double x = 0.0;
    double y = 0.0;
    Project(eye.x, eye.y, eye.z - 100.0f, x, y);
    EXPECT_NEAR(x, 400.0, 0.01);
    EXPECT_NEAR(y, 300.0, 0.01);
    const float edge = 100.0f * 0.41421356f; // tan(22.5 degrees)
    Project(eye.x + edge, eye.y + edge, eye.z - 100.0f, x, y);
    EXPECT_NEAR(x, 800.0, 0.1);
    EXPECT_NEAR(y, 600.0, 0.1);
}

} // namespace
