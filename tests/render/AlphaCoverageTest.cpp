#include "render/AlphaCoverage.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using EShows = CAlphaCoverage::EShows;

// width x height texels, clear but for the listed (column, row) texels.
std::vector<unsigned char> Texels(int width, int height, std::vector<std::pair<int, int>> opaque) {
    std::vector<unsigned char> rgba(static_cast<size_t>(width) * height * 4, 255);
    for (size_t i = 3; i < rgba.size(); i += 4) {
        rgba[i] = 0;
    }
    for (const auto& [column, row] : opaque) {
        rgba[(static_cast<size_t>(row) * width + column) * 4 + 3] = 1;
    }
    return rgba;
}

// A 16 x 16 sheet of 2 x 2 cells with one visible texel in its top left cell.
TEST(AlphaCoverage, ACellShowsWhenItOrATexelJustBeyondItHasAlpha) {
    const auto rgba = Texels(16, 16, {{3, 12}});
    const CAlphaCoverage coverage(16, 16, rgba.data());
    EXPECT_EQ(coverage.GetLevelCount(), 5);
    EXPECT_EQ(coverage.Shows({0.0f, 0.5f, 0.5f, 1.0f}, 0), EShows::kMaybe);
    EXPECT_EQ(coverage.Shows({0.5f, 0.0f, 1.0f, 0.5f}, 0), EShows::kNever);
    // Coordinates at a cell's edge may round onto the texel beyond it, also across the wrap.
    const auto edge = Texels(16, 16, {{7, 10}, {15, 3}});
    const CAlphaCoverage edges(16, 16, edge.data());
    EXPECT_EQ(edges.Shows({0.5f, 0.5f, 1.0f, 1.0f}, 0), EShows::kMaybe); // column 7
    EXPECT_EQ(edges.Shows({0.0f, 0.0f, 0.5f, 0.5f}, 0), EShows::kMaybe); // column -1 is 15
    EXPECT_EQ(edges.Shows({0.1f, 0.25f, 0.3f, 0.5f}, 0), EShows::kNever);
}

// Level 3 of a 16 x 16 sheet has 2 x 2 texels, each one cell; level 4 is one texel for all.
TEST(AlphaCoverage, CoarserLevelsShowWhereAnyTexelBelowShows) {
    const auto rgba = Texels(16, 16, {{3, 12}});
    const CAlphaCoverage coverage(16, 16, rgba.data());
    const CAlphaCoverage::SRect clearCell{0.5f, 0.0f, 1.0f, 0.5f};
    EXPECT_EQ(coverage.Shows({0.0f, 0.5f, 0.5f, 1.0f}, 3), EShows::kMaybe);
    EXPECT_EQ(coverage.Shows(clearCell, 3), EShows::kMaybe) << "the texel beyond counts";
    EXPECT_EQ(coverage.Shows({0.6f, 0.1f, 0.9f, 0.4f}, 1), EShows::kNever);
    EXPECT_EQ(coverage.Shows(clearCell, 4), EShows::kMaybe);
    EXPECT_EQ(coverage.Shows(clearCell, 5), EShows::kUnknown);
    EXPECT_EQ(coverage.Shows(clearCell, -1), EShows::kUnknown);
}

// GLU rescales other sizes before it builds a chain, so only the image itself is known.
TEST(AlphaCoverage, OtherSizesKnowOnlyTheirOwnLevelAndAnyCellIsSafe) {
    const auto rgba = Texels(12, 6, {});
    const CAlphaCoverage coverage(12, 6, rgba.data());
    EXPECT_EQ(coverage.GetLevelCount(), 1);
    EXPECT_EQ(coverage.Shows({0.0f, 0.0f, 1.0f, 1.0f}, 0), EShows::kNever);
    EXPECT_EQ(coverage.Shows({-3e9f, 0.0f, 5e9f, 1.0f}, 0), EShows::kNever);
    EXPECT_EQ(coverage.Shows({0.0f, 0.0f, 1.0f / 0.0f, 1.0f}, 0), EShows::kUnknown);
}

} // namespace
