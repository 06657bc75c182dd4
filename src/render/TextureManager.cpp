#include "render/TextureManager.h"

#include <cstring>

namespace {

constexpr int kFieldSize = 80;

const char kTextureNames[CTextureManager::kTableSize][kFieldSize] = {
    "segment1", "segment2", "segment3", "segment4", "segment5", "segment6",  "segment7",
    "uboot5",   "hud",      "msgbox",   "laser",    "laser2",   "explosion", "explosion2",
    "firework", "smoke",    "joint_0",  "joint_1",  "joint_2",  "joint_3",   "joint_4",
    "joint_5",  "joint_6",  "joint_7",  "joint_8",  "joint_9",  "joint_10",  "vaportail",
    "player1",  "enemy_1",  "enemy_2",  "enemy_3",  "enemy_4",  "enemy_5",   "enemy_6",
    "enemy_7",  "enemy_8",  "enemy_9",  "enemy_10", "enemy_11", "enemy_12",  "enemy_13",
    "enemy_14",
};

// The enemy rows are named enemy_N but their files are eN.tga.
const char kTexturePaths[CTextureManager::kTableSize][kFieldSize] = {
    "texture/segment1.tga",  "texture/segment2.tga",   "texture/segment3.tga",
    "texture/segment4.tga",  "texture/segment5.tga",   "texture/segment6.tga",
    "texture/segment7.tga",  "texture/uboot5.tga",     "texture/hud.tga",
    "texture/msgbox.tga",    "texture/laser.tga",      "texture/laser2.tga",
    "texture/explosion.tga", "texture/explosion2.tga", "texture/firework.tga",
    "texture/smoke.tga",     "texture/joint_0.tga",    "texture/joint_1.tga",
    "texture/joint_2.tga",   "texture/joint_3.tga",    "texture/joint_4.tga",
    "texture/joint_5.tga",   "texture/joint_6.tga",    "texture/joint_7.tga",
    "texture/joint_8.tga",   "texture/joint_9.tga",    "texture/joint_10.tga",
    "texture/vaportail.tga", "texture/player1.tga",    "texture/e1.tga",
    "texture/e2.tga",        "texture/e3.tga",         "texture/e4.tga",
    "texture/e5.tga",        "texture/e6.tga",         "texture/e7.tga",
    "texture/e8.tga",        "texture/e9.tga",         "texture/e10.tga",
    "texture/e11.tga",       "texture/e12.tga",        "texture/e13.tga",
    "texture/e14.tga",
};

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
    return IsTableNumber(number) ? kTextureNames[number - 1] : nullptr;
}

const char* CTextureManager::GetTablePath(int number) {
    return IsTableNumber(number) ? kTexturePaths[number - 1] : nullptr;
}
