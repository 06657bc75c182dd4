#include "Assets.h"

#include "Image.h"
#include "Meshes.h"
#include "Mp3Encoder.h"
#include "Music.h"
#include "Sounds.h"
#include "Textures.h"

#include <cstdio>
#include <sys/stat.h>

namespace {

std::vector<unsigned char> Wav(const CWave& wave) {
    return wave.EncodeWav();
}

STextureAsset Texture(const char* name, const std::string& file, bool alpha,
                      std::function<CImage()> paint) {
    return {name, "texture/" + file + ".tga", alpha, std::move(paint)};
}

bool MakeDirectory(const std::string& path) {
    if (mkdir(path.c_str(), 0755) == 0) {
        return true;
    }
    struct stat status;
    if (stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
        return true;
    }
    std::printf("artgen: cannot make the directory %s\n", path.c_str());
    return false;
}

} // namespace

const std::vector<STextureAsset>& GetTextureAssets() {
    static const std::vector<STextureAsset> kTextures = [] {
        // Names and numbers: both spelt out, as the game's table spells them.
        static const char* const kSegmentNames[7] = {"segment1", "segment2", "segment3", "segment4",
                                                     "segment5", "segment6", "segment7"};
        static const char* const kJointNames[11] = {"joint_0", "joint_1", "joint_2", "joint_3",
                                                    "joint_4", "joint_5", "joint_6", "joint_7",
                                                    "joint_8", "joint_9", "joint_10"};
        static const char* const kEnemyNames[14] = {
            "enemy_1", "enemy_2", "enemy_3",  "enemy_4",  "enemy_5",  "enemy_6",  "enemy_7",
            "enemy_8", "enemy_9", "enemy_10", "enemy_11", "enemy_12", "enemy_13", "enemy_14"};
        std::vector<STextureAsset> list;
        for (int i = 1; i <= 7; ++i) {
            list.push_back(Texture(kSegmentNames[i - 1], kSegmentNames[i - 1], false,
                                   [i] { return PaintSegment(i); }));
        }
        list.push_back(
            Texture("uboot5", "uboot5", false, [] { return PaintSkin(GetSubmarineSkinStyle()); }));
        list.push_back(Texture("hud", "hud", true, PaintHud));
        list.push_back(Texture("msgbox", "msgbox", true, PaintMessageBox));
        list.push_back(Texture("laser", "laser", true, [] { return PaintBolt(Hex(0xff3a28)); }));
        list.push_back(Texture("laser2", "laser2", true, [] { return PaintBolt(Hex(0x46ff64)); }));
        list.push_back(Texture("explosion", "explosion", true, PaintExplosionSheet));
        list.push_back(Texture("explosion2", "explosion2", true, PaintPlasmaSheet));
        list.push_back(Texture("firework", "firework", true, PaintFireworkSheet));
        list.push_back(Texture("smoke", "smoke", true, PaintSmokeSheet));
        for (int i = 0; i <= 10; ++i) {
            list.push_back(
                Texture(kJointNames[i], kJointNames[i], true, [i] { return PaintJoint(i); }));
        }
        list.push_back(Texture("vaportail", "vaportail", true, PaintVapourPuff));
        list.push_back(
            Texture("player1", "player1", false, [] { return PaintSkin(GetPlayerSkinStyle()); }));
        for (int i = 1; i <= 14; ++i) {
            list.push_back(Texture(kEnemyNames[i - 1], "e" + std::to_string(i), false,
                                   [i] { return PaintSkin(GetEnemySkinStyle(i)); }));
        }
        return list;
    }();
    return kTextures;
}

const std::vector<SMeshAsset>& GetMeshAssets() {
    static const std::vector<SMeshAsset> kMeshes = [] {
        std::vector<SMeshAsset> list{{"mesh/player.obj", "the player's ship", BuildPlayerMesh},
                                     {"mesh/laser2.obj", "a laser bolt", BuildLaserMesh}};
        for (int i = 1; i <= 9; ++i) {
            list.push_back({"mesh/Enemy" + std::to_string(i) + ".obj",
                            "enemy craft " + std::to_string(i), [i] { return BuildEnemyMesh(i); }});
        }
        return list;
    }();
    return kMeshes;
}

const std::vector<SSoundAsset>& GetSoundAssets() {
    static const std::vector<SSoundAsset> kSounds = [] {
        std::vector<SSoundAsset> list{
            {"sounds/laser.wav", [] { return Wav(MakeLaserSound()); }},
            {"sounds/explosion_1.wav", [] { return Wav(MakeExplosionSound(1)); }},
            {"sounds/explosion_2.wav", [] { return Wav(MakeExplosionSound(2)); }},
            {"sounds/squeaky.wav", [] { return Wav(MakeSqueakySound()); }},
            {"sounds/start_sound.wav", [] { return Wav(MakeStartSound()); }},
            {"sounds/energy_warning.wav", [] { return Wav(MakeEnergyWarningSound()); }},
            {"sounds/energy_alert.wav", [] { return Wav(MakeEnergyAlertSound()); }},
            {"sounds/selfdestruct.wav", [] { return Wav(MakeSelfDestructSound()); }},
            {"sounds/title_sound_1.mp3", [] { return EncodeMp3(ComposeMusic()); }},
        };
        for (int i = 1; i <= 5; ++i) {
            list.push_back({"sounds/R2D2_" + std::to_string(i) + ".wav",
                            [i] { return Wav(MakeDroidChirp(i)); }});
        }
        return list;
    }();
    return kSounds;
}

bool WriteAllAssets(const std::string& dataDirectory) {
    for (const char* folder : {"", "/texture", "/mesh", "/sounds"}) {
        if (!MakeDirectory(dataDirectory + folder)) {
            return false;
        }
    }
    const std::string root = dataDirectory + "/";
    bool written = true;
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
