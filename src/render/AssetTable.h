#pragma once

#include <vector>

// The table of every file the game loads (render/Assets.def), read by name: the game's meshes
// and sounds take their paths from it, and the asset generator writes every row of it.
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
};
