#pragma once

#include <vector>

// The table of every file the game loads (render/Assets.def), read by name: the game's meshes
// and sounds take their paths from it, the texture registry its rows, and the asset generator
// writes every row of it. The families the game picks from at random (enemy craft and skins,
// wall textures, explosion sounds, chirps) take their sizes from it at compile time.
class CAssetTable {
public:
    enum class EKind { Texture, Mesh, Sound };
    struct SRow {
        EKind kind;
        const char* name; // e.g. "laser": unique within its kind
        const char* path; // e.g. "sounds/laser.wav", relative to the game's data directory
    };

    static const std::vector<SRow>& GetRows();    // every row, textures first, in table order
    static std::vector<SRow> GetRows(EKind kind); // the rows of one kind, in table order
    // The path of the asset of that kind and name, e.g. (Mesh, "Enemy3") gives
    // "mesh/Enemy3.obj"; null when the table has no such row.
    static const char* GetPath(EKind kind, const char* name);
    static const char* GetMeshPath(const char* name) { return GetPath(EKind::Mesh, name); }
    static const char* GetSoundPath(const char* name) { return GetPath(EKind::Sound, name); }

    static constexpr int Count(EKind kind); // the rows of one kind
    // How many rows of a kind are named prefix<first>, prefix<first + 1>, ... without a gap:
    // CountNumbered(Sound, "R2D2_") is 5 for R2D2_1 to R2D2_5.
    static constexpr int CountNumbered(EKind kind, const char* prefix, int first = 1);

private:
    static constexpr SRow kRows[] = {
#define ZELKORA_TEXTURE(name, path) {EKind::Texture, name, path},
#define ZELKORA_MESH(name, path) {EKind::Mesh, name, path},
#define ZELKORA_SOUND(name, path) {EKind::Sound, name, path},
#include "render/Assets.def"
#undef ZELKORA_TEXTURE
#undef ZELKORA_MESH
#undef ZELKORA_SOUND
    };

    // Whether name is prefix followed by number's decimal digits and nothing else.
    static constexpr bool IsNumberedName(const char* name, const char* prefix, int number) {
        int at = 0;
        for (; prefix[at] != '\0'; ++at) {
            if (name[at] != prefix[at]) {
                return false;
            }
        }
        char digits[12] = {};
        int digitCount = 0;
        do {
            digits[digitCount++] = static_cast<char>('0' + number % 10);
            number /= 10;
        } while (number > 0);
        while (digitCount > 0) {
            if (name[at++] != digits[--digitCount]) {
                return false;
            }
        }
        return name[at] == '\0';
    }

    static constexpr bool HasNumbered(EKind kind, const char* prefix, int number) {
        for (const SRow& row : kRows) {
            if (row.kind == kind && IsNumberedName(row.name, prefix, number)) {
                return true;
            }
        }
        return false;
    }
};

constexpr int CAssetTable::Count(EKind kind) {
    int count = 0;
    for (const SRow& row : kRows) {
        count += row.kind == kind ? 1 : 0;
    }
    return count;
}

constexpr int CAssetTable::CountNumbered(EKind kind, const char* prefix, int first) {
    int number = first;
    while (HasNumbered(kind, prefix, number)) {
        ++number;
    }
    return number - first;
}
