#pragma once

#include "render/AlphaCoverage.h"
#include "world/Vector3.h"

// One particle of an explosion: flies in a straight line, grows while alive and steps through
// the cells of a square sprite sheet in step with its age. Dead particles (age past life) stay
// where their owner keeps them: they still move and draw, but no longer age, grow or animate.
class CParticle {
public:
    // Size 5, age 0, cell (0, 0). life in seconds; cellSize is one cell's edge in texture units.
    CParticle(const CVector3& origin, const CVector3& velocity, float life, float cellSize);

    bool IsAlive() const { return age <= life; }
    // Alive only: adds dt seconds of age, then size = 5 x scale x (age + life) from the new age.
    void Grow(float dt, float scale);
    void Move(float dt); // position += dt x velocity, alive or dead
    // Shows the cell of frame floor(age / life x lastFrame) on a grid of columns x columns cells,
    // left to right from the top row down; a frame outside 0 to lastFrame keeps the cell.
    void Animate(int lastFrame, int columns);
    CAlphaCoverage::SRect GetCell() const; // the texture coordinates of the cell shown

    const CVector3& GetPosition() const { return position; }
    const CVector3& GetVelocity() const { return velocity; } // world units per second
    float GetSize() const { return size; }                   // half the edge of the square
    float GetAge() const { return age; }                     // seconds
    float GetLife() const { return life; }                   // seconds
    float GetCellColumn() const { return cellColumn; }
    float GetCellRow() const { return cellRow; } // 0 is the bottom row of the sheet
    float GetCellSize() const { return cellSize; }

private:
    CVector3 position;
    CVector3 velocity;
    float size = 5.0f;
    float age = 0.0f;
    float life;
    float cellColumn = 0.0f;
    float cellRow = 0.0f;
    float cellSize;
};
