#pragma once

#include <string>

// A scratch working directory with every sound file the game opens (short quiet tones) and
// octahedron meshes of chosen radii under the game's file names, so that ships, enemies, shots
// and the game itself can be built in tests. Changes into it on construction and back on
// destruction, and runs the sound library on SDL's dummy driver meanwhile.
class CGameDataDirectory {
public:
    // Radii of the meshes written: the ship, every enemy mesh, the laser bolt.
    explicit CGameDataDirectory(float playerRadius = 3.0f, float enemyRadius = 10.0f,
                                float laserRadius = 1.0f);
    ~CGameDataDirectory();
    CGameDataDirectory(const CGameDataDirectory&) = delete;
    CGameDataDirectory& operator=(const CGameDataDirectory&) = delete;

    const std::string& GetPath() const { return path; }
    // An octahedron with its corners on the axes at the radius: its mesh radius is exact.
    static bool WriteOctahedron(const std::string& filePath, float radius);

private:
    void WriteSounds();

    std::string path;
    std::string previousDirectory;
};
