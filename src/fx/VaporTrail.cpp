#include "fx/VaporTrail.h"

#include "app/RenderSettings.h"
#include "render/SpriteBatch.h"
#include "render/TextureManager.h"
#include "render/Translucency.h"

#include <GL/gl.h>

CVaporTrail::CVaporTrail(const CTextureManager& registry)
    : registry(&registry), texture(registry.Find("vaportail")) {}

void CVaporTrail::SetPosition(const CVector3& position) {
    previousPosition = currentPosition;
    currentPosition = position;
}

void CVaporTrail::SetPuffsPerUpdate(int count) {
    puffsPerUpdate = count;
}

void CVaporTrail::Update(float dt) {
    AgeAndDrop(dt);
    if (lastFreeSlot == -1 || puffsPerUpdate <= 0) {
        return;
    }
    Lay(dt);
}

// A puff survives an update only if it was younger than the lifetime when the update began.
void CVaporTrail::AgeAndDrop(float dt) {
    lastFreeSlot = -1;
    for (int i = 0; i < kSlotCount; ++i) {
        if (slots[i] && slots[i]->GetAge() < kLifetime) {
            slots[i]->Grow(dt);
        } else {
            slots[i].reset();
            lastFreeSlot = i;
        }
    }
}

// Lays the puffs from the ship back toward its previous position, each a little older than
// the one before, as if laid during the frame. Slots run out from the newest puff's end.
void CVaporTrail::Lay(float dt) {
    const int count = puffsPerUpdate;
    CVector3 step = previousPosition.Subtract(currentPosition);
    step.DivideBy(static_cast<float>(count));
    CVector3 point = currentPosition;
    int slot = 0;
    for (int i = 0; i < count; ++i) {
        while (slot < kSlotCount && slots[slot]) {
            ++slot;
        }
        if (slot == kSlotCount) {
            return;
        }
        const float age = dt * static_cast<float>(i) / static_cast<float>(count);
        slots[slot] = std::make_unique<CVaporPuff>(point, age);
        point.x += step.x;
        point.y += step.y;
        point.z += step.z;
    }
}

void CVaporTrail::Draw(const CCamera&, const CRenderSettings& settings) const {
    const bool translucent = settings.GetNoAlpha() == 0;
    if (translucent) {
        TrackDiffuseColour();
        BeginTranslucency();
    }
    // The first two rows of the model-view: screen right and up in the drawing's coordinates.
    GLfloat modelView[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
    const CVector3 right(modelView[0], modelView[4], modelView[8]);
    const CVector3 up(modelView[1], modelView[5], modelView[9]);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    // Under the alpha test the puff's clear texels leave no fragment: they may be trimmed.
    const bool trim = translucent && settings.GetSolidFill() == 1;
    CSpriteBatch batch(trim ? registry->Get(texture) : nullptr, trim);
    bool skipped = false;
    for (const Slot& puff : slots) {
        if (!puff) {
            continue;
        }
        // Blending comes with the alpha test (alpha > 0) and colour material: a puff faded to
        // alpha 0 or below would leave no fragment, only cost fill, and the older puffs are the
        // biggest. Its colour is still set, so the colour left current stays the same.
        if (translucent && puff->GetAlpha() <= 0.0f) {
            puff->SetColour();
            skipped = true;
        } else {
            puff->SetColour();
            batch.Square(puff->GetPosition(), puff->GetSize(), right, up,
                         CVaporPuff::kWholeTexture);
        }
    }
    if (skipped) {
        glTexCoord2f(0.0f, 1.0f); // as the last corner of a drawn puff leaves it
    }
    batch.End();
    if (translucent) {
        EndTranslucency();
    }
}

const CVaporPuff* CVaporTrail::GetPuff(int slot) const {
    return slot >= 0 && slot < kSlotCount ? slots[slot].get() : nullptr;
}

int CVaporTrail::GetPuffCount() const {
    int count = 0;
    for (const Slot& puff : slots) {
        count += puff ? 1 : 0;
    }
    return count;
}
