#include "render/AssetTable.h"

#include <cstring>
#include <iterator>

const std::vector<CAssetTable::SRow>& CAssetTable::GetRows() {
    static const std::vector<SRow> rows(std::begin(kRows), std::end(kRows));
    return rows;
}

std::vector<CAssetTable::SRow> CAssetTable::GetRows(EKind kind) {
    std::vector<SRow> ofKind;
    for (const SRow& row : GetRows()) {
        if (row.kind == kind) {
            ofKind.push_back(row);
        }
    }
    return ofKind;
}

const char* CAssetTable::GetPath(EKind kind, const char* name) {
    for (const SRow& row : GetRows()) {
        if (row.kind == kind && std::strcmp(row.name, name) == 0) {
            return row.path;
        }
    }
    return nullptr;
}
