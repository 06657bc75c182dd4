#include "render/TextureManager.h"

#include "render/AssetTable.h"

#include <cstring>

namespace {

static_assert(CAssetTable::Count(CAssetTable::EKind::Texture) == CTextureManager::kTableSize,
              "the texture numbers are fixed: 43 rows");

// The texture rows of the asset table, in order: row i is texture number i + 1.
const std::vector<CAssetTable::SRow>& TextureRows() {
    static const std::vector<CAssetTable::SRow> rows =
        CAssetTable::GetRows(CAssetTable::EKind::Texture);
    return rows;
}

bool IsTableNumber(int number) {
    return number >= 1 && number <= CTextureManager::kTableSize;
}

} // namespace

CTextureManager::~CTextureManager() {
    Clear();
}

void CTextureManager::LoadAll(bool useMipmaps) {
    DeleteAll();
    for (int number = 1; number <= kTableSize; ++number) {
        Add(GetTableName(number), GetTablePath(number), useMipmaps);
    }
}

void CTextureManager::ListAll() {
    Clear();
    for (int number = 1; number <= kTableSize; ++number) {
        textures.push_back(std::make_unique<CTexture>(GetTableName(number), GetTablePath(number),
                                                      static_cast<GLuint>(number)));
    }
}

void CTextureManager::Add(const char* name, const char* path, bool useMipmaps) {
    const GLuint number = static_cast<GLuint>(textures.size() + 1);
    auto texture = std::make_unique<CTexture>(name, path, number);
    if (useMipmaps) {
        texture->LoadMipmapped();
    } else {
        texture->Load();
    }
    textures.push_back(std::move(texture));
}

void CTextureManager::DeleteAll() {
    if (textures.empty()) {
        return;
    }
    std::vector<GLuint> ids;
    ids.reserve(textures.size());
    for (const auto& texture : textures) {
        ids.push_back(texture->GetTextureId());
    }
    glDeleteTextures(static_cast<GLsizei>(ids.size()), ids.data());
    Clear();
}

void CTextureManager::Clear() {
    textures.clear();
}

const CTexture* CTextureManager::Get(int number) const {
    return number >= 1 && number <= GetCount() ? textures[static_cast<size_t>(number - 1)].get()
                                               : nullptr;
}

int CTextureManager::Find(const char* name) const {
    if (name == nullptr) {
        return 0;
    }
    for (std::size_t i = 0; i < textures.size(); ++i) {
        const char* entryName = textures[i]->GetName();
        if (entryName != nullptr && std::strcmp(entryName, name) == 0) {
            return static_cast<int>(i + 1);
        }
    }
    return 0;
}

const char* CTextureManager::GetTableName(int number) {
    return IsTableNumber(number) ? TextureRows()[static_cast<std::size_t>(number - 1)].name
                                 : nullptr;
}

const char* CTextureManager::GetTablePath(int number) {
    return IsTableNumber(number) ? TextureRows()[static_cast<std::size_t>(number - 1)].path
                                 : nullptr;
}
