#include "GameDataDirectory.h"

#include "MixRecording.h"
#include "ToneFiles.h"
#include "sound/SoundSystem.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char* const kSoundFiles[] = {
    "sounds/start_sound.wav",  "sounds/explosion_1.wav",    "sounds/explosion_2.wav",
    "sounds/squeaky.wav",      "sounds/energy_warning.wav", "sounds/energy_alert.wav",
    "sounds/selfdestruct.wav", "sounds/R2D2_1.wav",         "sounds/R2D2_2.wav",
    "sounds/R2D2_3.wav",       "sounds/R2D2_4.wav",         "sounds/R2D2_5.wav",
    "sounds/laser.wav"};

} // namespace

CGameDataDirectory::CGameDataDirectory(float playerRadius, float enemyRadius, float laserRadius) {
    std::string pattern = (fs::temp_directory_path() / "zelkora-data-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        return;
    }
    path = pattern;
    fs::create_directories(path + "/sounds");
    fs::create_directories(path + "/mesh");
    fs::create_directories(path + "/texture");
    WriteSounds();
    WriteOctahedron(path + "/mesh/player.obj", playerRadius);
    WriteOctahedron(path + "/mesh/laser2.obj", laserRadius);
    for (int i = 1; i <= 9; ++i) {
        WriteOctahedron(path + "/mesh/Enemy" + std::to_string(i) + ".obj", enemyRadius);
    }
    previousDirectory = fs::current_path().string();
    fs::current_path(path);
    CMixRecording::UseDriver("dummy");
    StartSoundSystem();
}

CGameDataDirectory::~CGameDataDirectory() {
    if (path.empty()) {
        return;
    }
    StopSoundSystem();
    CMixRecording::UseDriver(nullptr);
    fs::current_path(previousDirectory);
    std::error_code ignored;
    fs::remove_all(path, ignored);
}

void CGameDataDirectory::WriteSounds() {
    for (const char* file : kSoundFiles) {
        WriteWav(path + "/" + file, MakeTone(440.0, 0.05, 44100, 1, 1000.0));
    }
    WriteMp3(path + "/sounds/title_sound_1.mp3", MakeTone(220.0, 0.5, 44100, 1, 1000.0));
}

bool CGameDataDirectory::WriteOctahedron(const std::string& filePath, float radius) {
    std::ofstream out(filePath);
    const float r = radius;
    out << "v " << r << " 0 0\nv " << -r << " 0 0\nv 0 " << r << " 0\nv 0 " << -r << " 0\nv 0 0 "
        << r << "\nv 0 0 " << -r << "\n";
    out << "vt 0 0\nvt 1 0\nvt 0.5 1\n";
    out << "vn 0 0 1\n";
    // Eight faces, counter-clockwise seen from outside.
    const int faces[8][3] = {{1, 3, 5}, {3, 2, 5}, {2, 4, 5}, {4, 1, 5},
                             {3, 1, 6}, {2, 3, 6}, {4, 2, 6}, {1, 4, 6}};
    for (const auto& face : faces) {
        out << "f " << face[0] << "/1/1 " << face[1] << "/2/1 " << face[2] << "/3/1\n";
    }
    return static_cast<bool>(out);
}
