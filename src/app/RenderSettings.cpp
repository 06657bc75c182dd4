#include "app/RenderSettings.h"

#include <GL/gl.h>

void CRenderSettings::SetSolidFill(int value) {
    if (value != 0) {
        // Back faces as lines show where the view looks through the tunnel wall.
        glPolygonMode(GL_FRONT, GL_FILL);
        glPolygonMode(GL_BACK, GL_LINE);
    } else {
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    }
    solidFill = value;
}
