#pragma once

#include "runs/Replay.h"
#include "world/Vector3.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class CCamera;
class CEnemy;
class CInput;
class CLaser;
class CPlayer;
class CTextureManager;
class CTunnel;
class CVaporTrail;

// The course being flown: the tunnel, the camera, the ship, the enemies, the shots in their
// fifteen slots, the vapour trail, P mode, and the joint discs that mark the course. It steps
// the rules of one frame and hashes what they decided. It makes no OpenGL call and touches no
// sound, file or HUD: the explosions it sets off are handed to whoever plays their sounds, at
// the very moment the rules reach them, because the sound picked is a random draw.
class CCourse {
public:
    static constexpr int kShotSlots = 15;
    using ExplosionSounds = std::function<void(int count)>;

    // textures: the registry the tunnel and the entities take their numbers from; not owned.
    CCourse(CTextureManager& textures, ExplosionSounds explosionSounds);
    ~CCourse();
    CCourse(const CCourse&) = delete;
    CCourse& operator=(const CCourse&) = delete;

    // A world in two steps, with the lights made between them at the start: the camera and
    // the tunnel from the seed, P mode off, after what was in play went (shots, enemies and
    // ship before the tunnel they fly in); then the ship, its vapour trail and the enemies,
    // printing their count (no line end) as the start-up lines have it. The tunnel seeds the
    // generator and every draw up to the last enemy follows.
    void BuildTunnel(int difficulty, int length, unsigned seed);
    void CreateCraft(int difficulty);

    // One frame of the rules after the course marks: steering, ship, camera, enemies, shots,
    // collisions, P mode, vapour trail, dead shots removed. dt in seconds.
    void Step(float dt, const CInput& input);
    void ApplyCommand(char command); // 'k': the ship destroys itself; 'p': P mode on or off
    bool IsPMode() const { return pMode; }
    bool WasPModeUsed() const { return pModeUsed; } // at any moment since the course was built

    // FNV-1a over what the rules decide: the ship's place, speed and energy, the course clock,
    // P mode and whether it was used, how many enemies are alive or exploding, how many shots
    // fly, and where every live explosion particle (the enemies' and the ship's) is.
    std::uint64_t HashState(double courseClock) const;
    // The frame as a recording keeps it: the step as measured, the command flags, the ship's
    // pose along the path and the low byte of the state hash.
    CReplay::SFrame RecordFrame(double measuredStep, std::uint8_t commands,
                                std::uint64_t stateHash) const;

    CPlayer& GetPlayer() { return *player; }
    const CPlayer& GetPlayer() const { return *player; }
    CCamera& GetCamera() { return *camera; }
    const CCamera& GetCamera() const { return *camera; }
    CTunnel& GetTunnel() { return *tunnel; }
    const CTunnel& GetTunnel() const { return *tunnel; }
    CVaporTrail& GetVaporTrail() { return *vaporTrail; }
    const std::vector<std::unique_ptr<CEnemy>>& GetEnemies() const { return enemies; }
    const CLaser* GetShot(int slot) const { return shots[slot].get(); }
    CLaser* GetShot(int slot) { return shots[slot].get(); }
    const std::vector<int>& GetJointNodes() const { return jointNodes; } // in course order
    bool IsBuilt() const { return tunnel != nullptr; }
    // Far enemies sleep (see CheckEnemies); this keeps every one awake, as a reference for
    // checking that sleeping changes nothing.
    void KeepEveryEnemyAwake() { everyEnemyAwake = true; }
    bool IsAwake(std::size_t enemy) const;
    // The enemies awake in this frame, in order: none of the others is in the camera's window.
    const std::vector<std::uint32_t>& GetAwakeEnemies() const { return awakeList; }

    // The game's destructor lets the ship, the tunnel and the camera go before its textures
    // and sounds, and the enemies, shots and trail after them.
    void ReleaseShipAndTunnel();

private:
    void MoveEnemies(float dt);
    // A long world's enemies far from everything that can touch them sleep: each is looked at
    // once every kCheckRounds frames (a small world's every frame), and one that nothing can
    // reach, draw or explode before its next look sits the frames out, catching up when it
    // wakes. The rules come out the same; a frame's cost no longer grows with the world.
    void CheckEnemies();
    // What a sleeping enemy stood as when it fell asleep: its last step, nodes and radius.
    struct SSleeper {
        CVector3 from;
        CVector3 to;
        int node = 0;
        int activationNode = 0;
        float radius = 0.0f;
    };
    // kAwake, kAsleep, or kTarget: one whose place is far from everything, but whose last step
    // (a spinner's, from the world's origin) comes within a shot's reach.
    std::uint8_t WakeFor(const SSleeper& enemy) const;
    void LookAtAwake(std::size_t enemy); // dead, still awake, or asleep from now on
    void ListAwakeEnemies();             // every loop over the enemies goes through these lists
    bool ShipMovedFar(); // beyond what a sleeping enemy allows for, over the last rounds
    // The dead and the exploding, counted as they change rather than over every enemy each
    // frame: the course explodes them and moves them to their end. A change made from outside
    // (only tests make one) shows at the enemy's next look, unless the enemy sleeps in a long
    // world: a sleeper is not read again until it wakes.
    void Recount(std::size_t enemy);
    void FireShot(const CInput& input);
    void MoveShots(float dt);
    // Where the shots still flying are, and the largest of their radii.
    struct SShotBox {
        CVector3 low;
        CVector3 high;
        float radius = 0.0f;
    };
    void HitEnemiesWithShots();
    bool BoxFlyingShots(SShotBox& box) const; // false when no shot flies
    void ExplodeApproachedEnemies();
    void RamEnemies();
    void RemoveDeadShots();

    CTextureManager& textures;
    ExplosionSounds explosionSounds;
    std::unique_ptr<CCamera> camera;
    std::unique_ptr<CTunnel> tunnel;
    std::unique_ptr<CPlayer> player;
    std::unique_ptr<CVaporTrail> vaporTrail;
    std::unique_ptr<CLaser> shots[kShotSlots];
    int freeSlot = 0; // where the next shot goes; -1 when every slot is taken
    std::vector<std::unique_ptr<CEnemy>> enemies;
    static constexpr std::size_t kCheckRounds = 32;
    std::vector<std::uint8_t> awake; // per enemy: kAsleep, kAwake, kGone (dead) or kTarget
    static constexpr std::uint8_t kAsleep = 0;
    static constexpr std::uint8_t kAwake = 1;
    static constexpr std::uint8_t kGone = 2;
    static constexpr std::uint8_t kTarget = 3; // asleep, but the shots are tested against it
    std::vector<SSleeper> sleepers;            // per enemy, kept while it sleeps
    std::vector<std::uint32_t> awakeList;      // their numbers, in order
    std::vector<std::uint32_t> targetList;     // the awake and the targets, in order
    std::vector<float> enemySteps;             // every step's dt since the craft were made
    std::vector<int> shipNodes;                // and the ship's node in each
    std::vector<std::size_t> stepsTaken;       // per enemy: how many of them it has taken
    std::size_t checkRound = 0;
    bool everyEnemyAwake = false;
    std::vector<std::uint8_t> counted; // per enemy: kCountedDead, kCountedExploding
    static constexpr std::uint8_t kCountedDead = 1;
    static constexpr std::uint8_t kCountedExploding = 2;
    int deadCount = 0;
    int explodedCount = 0;              // ever: a dead enemy still counts as exploding
    float travelled[kCheckRounds] = {}; // the ship's way in each of the last rounds
    int nodesPassed[kCheckRounds] = {}; // the ship's or the camera's nodes, the more
    CVector3 lastShipPosition;
    int lastShipNode = 0;
    int lastCameraNode = 0;
    std::vector<int> jointNodes;
    bool pMode = false;
    bool pModeUsed = false; // then the run's time is not recorded
};
