#include "render/AlphaCoverage.h"

#include <algorithm>
#include <cmath>

CAlphaCoverage::CAlphaCoverage(int width, int height, const unsigned char* rgba) {
    SLevel base{width, height, std::vector<unsigned char>(static_cast<size_t>(width) * height)};
    for (size_t i = 0; i < base.present.size(); ++i) {
        base.present[i] = rgba[i * 4 + 3] > 0 ? 1 : 0;
    }
    levels.push_back(std::move(base));
    if (IsPowerOfTwo(width) && IsPowerOfTwo(height)) {
        AddCoarserLevels();
    }
}

void CAlphaCoverage::AddCoarserLevels() {
    while (levels.back().width > 1 || levels.back().height > 1) {
        const SLevel& fine = levels.back();
        SLevel coarse{std::max(1, fine.width / 2), std::max(1, fine.height / 2), {}};
        coarse.present.resize(static_cast<size_t>(coarse.width) * coarse.height);
        for (int row = 0; row < coarse.height; ++row) {
            for (int column = 0; column < coarse.width; ++column) {
                // A side already 1 texel wide is not halved: both reads land on it.
                const int c0 = std::min(column * 2, fine.width - 1);
                const int c1 = std::min(column * 2 + 1, fine.width - 1);
                const int r0 = std::min(row * 2, fine.height - 1);
                const int r1 = std::min(row * 2 + 1, fine.height - 1);
                coarse.present[static_cast<size_t>(row) * coarse.width + column] =
                    fine.IsPresent(c0, r0) || fine.IsPresent(c1, r0) || fine.IsPresent(c0, r1) ||
                    fine.IsPresent(c1, r1);
            }
        }
        levels.push_back(std::move(coarse));
    }
}

bool CAlphaCoverage::SLevel::IsPresent(int column, int row) const {
    const int c = ((column % width) + width) % width;
    const int r = ((row % height) + height) % height;
    return present[static_cast<size_t>(r) * width + c] != 0;
}

CAlphaCoverage::EShows CAlphaCoverage::Shows(const SRect& cell, int level, SRect* reach) const {
    const bool finite = std::isfinite(cell.u0) && std::isfinite(cell.v0) &&
                        std::isfinite(cell.u1) && std::isfinite(cell.v1);
    if (!finite || level < 0 || level >= GetLevelCount()) {
        return EShows::kUnknown;
    }
    const Key key{cell.u0, cell.v0, cell.u1, cell.v1, level};
    auto found = answers.find(key);
    if (found == answers.end()) {
        found = answers.emplace(key, Find(cell, level)).first;
    }
    if (reach != nullptr) {
        *reach = found->second.reach;
    }
    return found->second.any ? EShows::kMaybe : EShows::kNever;
}

CAlphaCoverage::SAnswer CAlphaCoverage::Find(const SRect& cell, int level) const {
    const SLevel& texels = levels[static_cast<size_t>(level)];
    const float width = static_cast<float>(texels.width);
    const float height = static_cast<float>(texels.height);
    // Every texel a sample inside the cell can land on, and one more on each side for rounding.
    // A span over the whole texture, or beyond what an int holds, is the whole texture once.
    bool wholeTexture = false;
    const auto span = [&wholeTexture](float from, float to, float size, int& first, int& last) {
        const double low = std::floor(std::min(from, to) * static_cast<double>(size)) - 1.0;
        const double high = std::floor(std::max(from, to) * static_cast<double>(size)) + 1.0;
        if (high - low >= size || std::fabs(low) > 1e9 || std::fabs(high) > 1e9) {
            first = 0;
            last = static_cast<int>(size) - 1;
            wholeTexture = true;
        } else {
            first = static_cast<int>(low);
            last = static_cast<int>(high);
        }
    };
    int firstColumn = 0;
    int lastColumn = 0;
    int firstRow = 0;
    int lastRow = 0;
    span(cell.u0, cell.u1, width, firstColumn, lastColumn);
    span(cell.v0, cell.v1, height, firstRow, lastRow);
    int minColumn = lastColumn + 1;
    int maxColumn = firstColumn - 1;
    int minRow = lastRow + 1;
    int maxRow = firstRow - 1;
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int column = firstColumn; column <= lastColumn; ++column) {
            if (texels.IsPresent(column, row)) {
                minColumn = std::min(minColumn, column);
                maxColumn = std::max(maxColumn, column);
                minRow = std::min(minRow, row);
                maxRow = std::max(maxRow, row);
            }
        }
    }
    if (maxColumn < minColumn) {
        return {false, cell};
    }
    if (wholeTexture) {
        return {true, cell}; // texel indices no longer tell where in the cell
    }
    const SRect reach{std::max(cell.u0, static_cast<float>(minColumn - 1) / width),
                      std::max(cell.v0, static_cast<float>(minRow - 1) / height),
                      std::min(cell.u1, static_cast<float>(maxColumn + 2) / width),
                      std::min(cell.v1, static_cast<float>(maxRow + 2) / height)};
    return {true, reach};
}
