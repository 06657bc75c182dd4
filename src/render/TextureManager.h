#pragma once

#include "render/Texture.h"

#include <memory>
#include <vector>

// The registry of every texture the game uses, loaded from a fixed table of 43 rows. A row's
// 1-based position is its texture number: what Find returns and also the OpenGL texture object
// name, on every load. Callers look a name up once and bind the number for the rest of the run,
// also across reloads. One registry per context; its textures are the only texture objects the
// game creates.
class CTextureManager {
public:
    static constexpr int kTableSize = 43;

    CTextureManager() = default; // empty; loads nothing
    ~CTextureManager();          // destroys the textures but keeps their texture objects
    CTextureManager(const CTextureManager&) = delete;
    CTextureManager& operator=(const CTextureManager&) = delete;

    // DeleteAll, then every row of the table in order, with or without mipmaps.
    void LoadAll(bool useMipmaps);
    // Every row of the table as an entry with its number, nothing read and no OpenGL call:
    // the texture numbers for the rules run without a window.
    void ListAll();
    // Loads one texture as the next number (the list's length plus one) and appends it.
    void Add(const char* name, const char* path, bool useMipmaps);
    // Deletes the texture objects of every entry, then Clear; nothing when empty.
    void DeleteAll();
    void Clear(); // destroys every entry; the texture objects stay

    // Texture number 1 to the count of the first entry named exactly so (case-sensitive);
    // 0 when there is none.
    int Find(const char* name) const;
    int GetCount() const { return static_cast<int>(textures.size()); }
    const CTexture* Get(int number) const; // by texture number; null outside 1 to the count

    // The texture rows of the asset table (render/Assets.def), by number 1 to 43; null outside.
    static const char* GetTableName(int number); // e.g. "enemy_1"
    static const char* GetTablePath(int number); // e.g. "texture/e1.tga", relative to the cwd

private:
    std::vector<std::unique_ptr<CTexture>> textures;
};
