#pragma once

#include "entities/EnemyDrifter.h"

class CSound;

// Hovers like a drifter until the ship comes within 400 units ahead of it, then flies at the
// ship 10 units a frame, beeping once when it gets within 20.
class CEnemyChaser : public CEnemyDrifter {
public:
    CEnemyChaser(CTextureManager& registry, float x, float y, float z);
    ~CEnemyChaser() override;

    void Track(const CBody& shipBody) override;
    bool HasBeeped() const { return beeped; }

protected:
    bool Hovers(int shipNode) const override;

private:
    std::unique_ptr<CSound> beepSound;
    bool beeped = false;
};
