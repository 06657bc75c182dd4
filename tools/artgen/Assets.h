#pragma once

#include "Image.h"
#include "MeshBuilder.h"

#include <functional>
#include <string>
#include <vector>

// Everything the generator writes: one entry for every row of the game's asset table
// (render/Assets.def), with what paints, builds or makes it, found by the row's name. An entry
// that nothing makes has an empty function, and the generator refuses to run.
struct STextureAsset {
    const char* name; // the texture's name in the game's table
    std::string path; // e.g. "texture/e1.tga"
    bool alpha;       // 32 bits with alpha, else 24
    std::function<CImage()> paint;
};
struct SMeshAsset {
    std::string path;  // e.g. "mesh/Enemy1.obj"
    std::string title; // the comment on its first line
    std::function<CMeshBuilder()> build;
};
struct SSoundAsset {
    std::string path; // e.g. "sounds/laser.wav"
    std::function<std::vector<unsigned char>()> make;
};

const std::vector<STextureAsset>& GetTextureAssets(); // the 43 rows, in table order
const std::vector<SMeshAsset>& GetMeshAssets();       // player, laser, Enemy1 to Enemy9
const std::vector<SSoundAsset>& GetSoundAssets();     // music, effects and chirps
// True when something makes every row; each row that nothing makes was named in a line.
bool HasEveryMaker();

// Makes texture/, mesh/ and sounds/ under dataDirectory and writes every file. False (with a
// line saying what failed) when a file cannot be written.
bool WriteAllAssets(const std::string& dataDirectory);
