#include "GlFixture.h"

#include "app/RenderSettings.h"

namespace {

class RenderSettingsGl : public GlFixture {};

// Wireframe draws both sides as lines; solid fills the fronts but keeps the backs as lines, so
// it is not OpenGL's own fill, and any value but 0 counts as solid.
TEST_F(RenderSettingsGl, SolidFillSetsThePolygonModeOfBothSides) {
    CRenderSettings settings;
    settings.SetSolidFill(0);
    EXPECT_EQ(settings.GetSolidFill(), 0);
    ExpectPolygonModes(GL_LINE, GL_LINE);
    settings.SetSolidFill(1);
    EXPECT_EQ(settings.GetSolidFill(), 1);
    ExpectPolygonModes(GL_FILL, GL_LINE);
    settings.SetSolidFill(0);
    settings.SetSolidFill(2);
    ExpectPolygonModes(GL_FILL, GL_LINE);
}

} // namespace
