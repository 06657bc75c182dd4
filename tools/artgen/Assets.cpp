#include "Assets.h"

#include "Image.h"
#include "Meshes.h"
#include "Music.h"
#include "Sounds.h"
#include "Textures.h"

#include "base/AtomicFile.h"
#include "render/AssetTable.h"

#include <cstdio>
#include <map>
#include <utility>

namespace {

std::vector<unsigned char> Wav(const CWave& wave) {
    return wave.EncodeWav();
}

// The number after prefix in name ("joint_7" after "joint_" gives 7), or 0 when name is not
// the prefix followed by a whole number from 1 to 99 (0 itself only where zeroAllowed).
int NumberAfter(const std::string& name, const std::string& prefix, bool zeroAllowed = false) {
    if (name.rfind(prefix, 0) != 0 || name.size() == prefix.size() ||
        name.size() > prefix.size() + 2) {
        return zeroAllowed ? -1 : 0;
    }
    int number = 0;
    for (std::size_t i = prefix.size(); i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') {
            return zeroAllowed ? -1 : 0;
        }
        number = number * 10 + (name[i] - '0');
    }
    return number;
}

// What paints the texture of that name in the asset table, and whether it has alpha; false
// when nothing does.
bool FindPainter(const std::string& name, bool& alpha, std::function<CImage()>& paint) {
    static const std::map<std::string, std::pair<bool, std::function<CImage()>>> kSingles = {
        {"uboot5", {false, [] { return PaintSkin(GetSubmarineSkinStyle()); }}},
        {"hud", {true, PaintHud}},
        {"msgbox", {true, PaintMessageBox}},
        {"laser", {true, [] { return PaintBolt(Hex(0xff3a28)); }}},
        {"laser2", {true, [] { return PaintBolt(Hex(0x46ff64)); }}},
        {"explosion", {true, PaintExplosionSheet}},
        {"explosion2", {true, PaintPlasmaSheet}},
        {"firework", {true, PaintFireworkSheet}},
        {"smoke", {true, PaintSmokeSheet}},
        {"vaportail", {true, PaintVapourPuff}},
        {"player1", {false, [] { return PaintSkin(GetPlayerSkinStyle()); }}},
    };
    const auto single = kSingles.find(name);
    if (single != kSingles.end()) {
        alpha = single->second.first;
        paint = single->second.second;
        return true;
    }
    if (const int segment = NumberAfter(name, "segment")) {
        alpha = false;
        paint = [segment] { return PaintSegment(segment); };
        return true;
    }
    if (const int joint = NumberAfter(name, "joint_", true); joint >= 0) {
        alpha = true;
        paint = [joint] { return PaintJoint(joint); };
        return true;
    }
    if (const int enemy = NumberAfter(name, "enemy_")) {
        alpha = false;
        paint = [enemy] { return PaintSkin(GetEnemySkinStyle(enemy)); };
        return true;
    }
    return false;
}

bool FindBuilder(const std::string& name, std::string& title,
                 std::function<CMeshBuilder()>& build) {
    if (name == "player") {
        title = "the player's ship";
        build = BuildPlayerMesh;
    } else if (name == "laser2") {
        title = "a laser bolt";
        build = BuildLaserMesh;
    } else if (const int enemy = NumberAfter(name, "Enemy")) {
        title = "enemy craft " + std::to_string(enemy);
        build = [enemy] { return BuildEnemyMesh(enemy); };
    } else {
        return false;
    }
    return true;
}

bool FindMaker(const std::string& name, std::function<std::vector<unsigned char>()>& make) {
    static const std::map<std::string, std::function<std::vector<unsigned char>()>> kSounds = {
        {"laser", [] { return Wav(MakeLaserSound()); }},
        {"explosion_1", [] { return Wav(MakeExplosionSound(1)); }},
        {"explosion_2", [] { return Wav(MakeExplosionSound(2)); }},
        {"squeaky", [] { return Wav(MakeSqueakySound()); }},
        {"start_sound", [] { return Wav(MakeStartSound()); }},
        {"energy_warning", [] { return Wav(MakeEnergyWarningSound()); }},
        {"energy_alert", [] { return Wav(MakeEnergyAlertSound()); }},
        {"selfdestruct", [] { return Wav(MakeSelfDestructSound()); }},
        {"title_sound_1", [] { return ComposeMusic().EncodeMp3(); }},
    };
    const auto found = kSounds.find(name);
    if (found != kSounds.end()) {
        make = found->second;
        return true;
    }
    if (const int chirp = NumberAfter(name, "R2D2_")) {
        make = [chirp] { return Wav(MakeDroidChirp(chirp)); };
        return true;
    }
    return false;
}

void ReportMissing(const char* path) {
    std::printf("artgen: nothing makes %s, a row of the asset table\n", path);
}

} // namespace

const std::vector<STextureAsset>& GetTextureAssets() {
    static const std::vector<STextureAsset> kTextures = [] {
        std::vector<STextureAsset> list;
        for (const CAssetTable::SRow& row : CAssetTable::GetRows(CAssetTable::EKind::Texture)) {
            STextureAsset texture{row.name, row.path, false, nullptr};
            if (!FindPainter(row.name, texture.alpha, texture.paint)) {
                ReportMissing(row.path);
            }
            list.push_back(texture);
        }
        return list;
    }();
    return kTextures;
}

const std::vector<SMeshAsset>& GetMeshAssets() {
    static const std::vector<SMeshAsset> kMeshes = [] {
        std::vector<SMeshAsset> list;
        for (const CAssetTable::SRow& row : CAssetTable::GetRows(CAssetTable::EKind::Mesh)) {
            SMeshAsset mesh{row.path, "", nullptr};
            if (!FindBuilder(row.name, mesh.title, mesh.build)) {
                ReportMissing(row.path);
            }
            list.push_back(mesh);
        }
        return list;
    }();
    return kMeshes;
}

const std::vector<SSoundAsset>& GetSoundAssets() {
    static const std::vector<SSoundAsset> kSounds = [] {
        std::vector<SSoundAsset> list;
        for (const CAssetTable::SRow& row : CAssetTable::GetRows(CAssetTable::EKind::Sound)) {
            SSoundAsset sound{row.path, nullptr};
            if (!FindMaker(row.name, sound.make)) {
                ReportMissing(row.path);
            }
            list.push_back(sound);
        }
        return list;
    }();
    return kSounds;
}

bool HasEveryMaker() {
    bool every = true;
    for (const STextureAsset& texture : GetTextureAssets()) {
        every = every && texture.paint;
    }
    for (const SMeshAsset& mesh : GetMeshAssets()) {
        every = every && mesh.build;
    }
    for (const SSoundAsset& sound : GetSoundAssets()) {
        every = every && sound.make;
    }
    return every;
}

bool WriteAllAssets(const std::string& dataDirectory) {
    // The data directory itself first, so that an empty name fails rather than making /texture.
    for (const char* folder : {"", "/texture", "/mesh", "/sounds"}) {
        std::string error;
        if (!CAtomicFile::MakeDirectories(dataDirectory + folder, error)) {
            std::printf("artgen: cannot make the directory %s: %s\n",
                        (dataDirectory + folder).c_str(), error.c_str());
            return false;
        }
    }
    const std::string root = dataDirectory + "/";
    bool written = true;
    if (!HasEveryMaker()) {
        return false;
    }
    for (const STextureAsset& texture : GetTextureAssets()) {
        written = texture.paint().WriteTga(root + texture.path, texture.alpha) && written;
    }
    for (const SMeshAsset& mesh : GetMeshAssets()) {
        const std::string text =
            mesh.build().ToObj("Zelkora: " + mesh.title + ", made by tools/artgen");
        written = WriteFileBytes(root + mesh.path, {text.begin(), text.end()}) && written;
    }
    for (const SSoundAsset& sound : GetSoundAssets()) {
        const std::vector<unsigned char> bytes = sound.make();
        written = !bytes.empty() && WriteFileBytes(root + sound.path, bytes) && written;
    }
    return written;
}
