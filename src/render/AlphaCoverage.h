#pragma once

#include <map>
#include <tuple>
#include <vector>

// Where a texture's alpha can be above 0, for drawing under the alpha test (alpha > 0): whether
// a sprite-sheet cell can leave a fragment at all. Kept as one presence mask per mipmap level,
// a texel of a coarser level present when any of the four below it is (a box-filtered chain
// such as GLU's never gives alpha where all four are 0). Answers are cached per cell and level.
class CAlphaCoverage {
public:
    // Texture coordinates, s across and t up the rows as they were uploaded.
    struct SRect {
        float u0, v0, u1, v1;
    };
    enum class EShows {
        kUnknown, // no mask for that level: anything may show
        kNever,   // no sample within the cell has alpha above 0
        kMaybe,   // some sample may
    };

    // rgba: width x height texels of 4 bytes, alpha last, rows in upload order. Coarser levels
    // are kept only for a power-of-two size, the only size a box-filtered chain halves exactly.
    CAlphaCoverage(int width, int height, const unsigned char* rgba);

    // Whether a nearest sample of level (0 is the full image) within cell, the texture
    // repeating, can have alpha above 0; a texel beyond the cell on each side counts too, for
    // coordinates that round across its edge. When it may, reach (if given) is the part of the
    // cell where: the texels found, grown by a texel of that level, within the cell.
    EShows Shows(const SRect& cell, int level, SRect* reach = nullptr) const;
    int GetLevelCount() const { return static_cast<int>(levels.size()); }
    int GetWidth() const { return levels.front().width; }   // texels of level 0
    int GetHeight() const { return levels.front().height; } // texels of level 0

    // The only sizes GLU's mipmap chain halves as they are, without rescaling first.
    static bool IsPowerOfTwo(int size) { return size > 0 && (size & (size - 1)) == 0; }

private:
    struct SLevel {
        int width;
        int height;
        std::vector<unsigned char> present;        // 1 where alpha can be above 0
        bool IsPresent(int column, int row) const; // wraps, as GL_REPEAT does
    };
    using Key = std::tuple<float, float, float, float, int>;
    struct SAnswer {
        bool any;
        SRect reach;
    };

    void AddCoarserLevels();
    SAnswer Find(const SRect& cell, int level) const;

    std::vector<SLevel> levels;
    mutable std::map<Key, SAnswer> answers;
};
