#include "render/AssetTable.h"

#include <cstring>

const std::vector<CAssetTable::SRow>& CAssetTable::GetRows() {
    static const std::vector<SRow> rows = {
#define ZELKORA_TEXTURE(name, path) {EKind::Texture, name, path},
#define ZELKORA_MESH(name, path) {EKind::Mesh, name, path},
#define ZELKORA_SOUND(name, path) {EKind::Sound, name, path},
#include "render/Assets.def"
#undef ZELKORA_TEXTURE
#undef ZELKORA_MESH
#undef ZELKORA_SOUND
    };
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
