#include "game/Course.h"

#include "app/Input.h"
#include "entities/Enemy.h"
#include "entities/Laser.h"
#include "entities/Player.h"
#include "fx/Particle.h"
#include "fx/ParticleSystem.h"
#include "fx/VaporTrail.h"
#include "game/EntityFactory.h"
#include "render/Camera.h"
#include "render/TextureManager.h"
#include "world/Tunnel.h"

#include <algorithm>
#include <cfloat>
#include <cstdio>
#include <cstdlib>
#include <utility>

// Replays are shared between builds only if every build computes the rules alike to the last
// bit (docs/replay-format.md): these two would not.
#if defined(__FAST_MATH__)
#error "the rules must not be built with -ffast-math: replays would not play back"
#endif
#if !defined(FLT_EVAL_METHOD) || FLT_EVAL_METHOD != 0
#error "the rules must evaluate float as float (SSE, not x87): replays would not play back"
#endif

namespace {
// What a sleeping enemy allows for: the ship's way and nodes passed over the last check rounds
// (beyond them every enemy is looked at at once), and a distance beyond any shot's flight
// (0.7 s at 600, after the ship's at up to 500), a chaser's 400 and a hover's 60.
constexpr float kTravelAllowance = 800.0f;
constexpr int kNodeAllowance = 96;
constexpr float kNearEnough = 2000.0f;

constexpr float kShotSpeed = 600.0f;
constexpr int kRamDamage = 5;
} // namespace

CCourse::CCourse(CTextureManager& textures, ExplosionSounds explosionSounds)
    : textures(textures), explosionSounds(std::move(explosionSounds)) {}

// The enemies in array order, every shot still in a slot, then the trail.
CCourse::~CCourse() {
    enemies.clear();
    for (auto& shot : shots) {
        shot.reset();
    }
    vaporTrail.reset();
}

void CCourse::BuildTunnel(int difficulty, int length, unsigned seed) {
    for (auto& shot : shots) {
        shot.reset();
    }
    freeSlot = 0;
    enemies.clear();
    awake.clear();
    awakeList.clear();
    targetList.clear();
    sleepers.clear();
    counted.clear();
    deadCount = 0;
    explodedCount = 0;
    enemySteps.clear();
    shipNodes.clear();
    stepsTaken.clear();
    checkRound = 0;
    player.reset();
    vaporTrail.reset();
    tunnel.reset();
    camera = std::make_unique<CCamera>();
    tunnel = std::make_unique<CTunnel>(textures, [seed] { return seed; });
    tunnel->Generate(difficulty, length);
    jointNodes = tunnel->GetJointNodes();
    pMode = false;
    pModeUsed = false;
}

void CCourse::CreateCraft(int difficulty) {
    const CEntityFactory factory(textures, *tunnel);
    player = factory.MakePlayer();
    vaporTrail = std::make_unique<CVaporTrail>(textures);
    vaporTrail->SetPuffsPerUpdate(3);
    // Difficulty 0 would divide by zero: it means no enemies at all.
    const int enemyCount = difficulty == 0 ? 0 : tunnel->GetFinishNode() / difficulty;
    std::printf("%d", enemyCount);
    std::fflush(stdout);
    for (int i = 0; i < enemyCount; ++i) {
        const int kind = std::rand() % CEntityFactory::GetKindCount();
        enemies.push_back(factory.MakeEnemy(kind));
    }
    awake.assign(enemies.size(), kAwake); // the first frame looks at them all
    sleepers.assign(enemies.size(), SSleeper());
    ListAwakeEnemies();
    counted.assign(enemies.size(), 0);
    stepsTaken.assign(enemies.size(), 0);
    lastShipPosition = player->GetPosition();
    lastShipNode = player->GetNodeIndex();
    lastCameraNode = camera->GetNodeIndex();
    std::fill(std::begin(travelled), std::end(travelled), 0.0f);
    std::fill(std::begin(nodesPassed), std::end(nodesPassed), 0);
}

void CCourse::ReleaseShipAndTunnel() {
    player.reset();
    tunnel.reset();
    camera.reset();
}

void CCourse::Step(float dt, const CInput& input) {
    player->Steer(input, dt);
    player->Update(dt, *tunnel);
    camera->Update(player->GetBody(), dt, input, *tunnel);
    MoveEnemies(dt);
    FireShot(input);
    MoveShots(dt);
    HitEnemiesWithShots();
    if (pMode) {
        ExplodeApproachedEnemies();
    }
    RamEnemies();
    vaporTrail->SetPosition(player->GetPosition());
    // In double, as speed * 0.002 * 70 is in C.
    vaporTrail->SetPuffsPerUpdate(static_cast<int>(player->GetSpeed() * 0.002 * 70));
    vaporTrail->Update(dt);
    RemoveDeadShots(); // at the end of the frame, where drawing them used to remove them
}

void CCourse::ApplyCommand(char command) {
    if (command == 'k') {
        player->SelfDestruct();
    } else if (command == 'p') {
        pMode = !pMode;
        pModeUsed = pModeUsed || pMode;
    }
}

void CCourse::MoveEnemies(float dt) {
    enemySteps.push_back(dt);
    shipNodes.push_back(player->GetNodeIndex());
    CheckEnemies();
    for (const std::size_t i : awakeList) {
        CEnemy& enemy = *enemies[i];
        if (enemy.IsDead()) {
            continue;
        }
        const std::size_t missed = enemySteps.size() - 1 - stepsTaken[i];
        enemy.SitOut(enemySteps.data() + stepsTaken[i], shipNodes.data() + stepsTaken[i], missed);
        enemy.Track(player->GetBody());
        enemy.Update(dt, *tunnel);
        stepsTaken[i] = enemySteps.size();
        Recount(i);
    }
}

void CCourse::Recount(std::size_t i) {
    const CEnemy& enemy = *enemies[i];
    const std::uint8_t now = static_cast<std::uint8_t>(
        (enemy.IsDead() ? kCountedDead : 0) | (enemy.IsExploding() ? kCountedExploding : 0));
    const std::uint8_t was = counted[i];
    deadCount += ((now & kCountedDead) != 0 ? 1 : 0) - ((was & kCountedDead) != 0 ? 1 : 0);
    explodedCount +=
        ((now & kCountedExploding) != 0 ? 1 : 0) - ((was & kCountedExploding) != 0 ? 1 : 0);
    counted[i] = now;
}

void CCourse::CheckEnemies() {
    constexpr std::size_t kAlwaysChecked = 1024;
    // So few enemies cost nothing awake, and one moved from outside the course shows at once.
    constexpr std::size_t kNeverAsleep = 256;
    const bool all = ShipMovedFar() || enemies.size() <= kAlwaysChecked || everyEnemyAwake;
    const bool wakeAll = everyEnemyAwake || enemies.size() <= kNeverAsleep;
    const std::size_t first = all ? 0 : checkRound % kCheckRounds;
    const std::size_t stride = all ? 1 : kCheckRounds;
    for (std::size_t i = first; i < enemies.size(); i += stride) {
        if (wakeAll) {
            Recount(i);
            awake[i] = enemies[i]->IsDead() ? kGone : kAwake;
        } else if (awake[i] == kAsleep || awake[i] == kTarget) {
            // Nothing moves a sleeper: what it stood as decides, without reading it again.
            awake[i] = WakeFor(sleepers[i]);
        } else if (awake[i] == kAwake) {
            LookAtAwake(i);
        }
    }
    ++checkRound;
    ListAwakeEnemies();
}

void CCourse::LookAtAwake(std::size_t i) {
    Recount(i);
    const CEnemy& enemy = *enemies[i];
    if (enemy.IsDead()) {
        awake[i] = kGone;
        return;
    }
    if (enemy.IsExploding()) {
        return;
    }
    sleepers[i] = {enemy.GetPreviousPosition(), enemy.GetPosition(), enemy.GetNodeIndex(),
                   enemy.GetActivationNode(), enemy.GetRadius()};
    awake[i] = WakeFor(sleepers[i]);
}

bool CCourse::IsAwake(std::size_t enemy) const {
    return std::binary_search(awakeList.begin(), awakeList.end(), enemy);
}

void CCourse::ListAwakeEnemies() {
    awakeList.clear();
    targetList.clear();
    for (std::size_t i = 0; i < awake.size(); ++i) {
        if (awake[i] == kAwake) {
            awakeList.push_back(static_cast<std::uint32_t>(i));
        }
        if (awake[i] == kAwake || awake[i] == kTarget) {
            targetList.push_back(static_cast<std::uint32_t>(i));
        }
    }
}

bool CCourse::ShipMovedFar() {
    const std::size_t slot = checkRound % kCheckRounds;
    travelled[slot] = player->GetPosition().Subtract(lastShipPosition).Length();
    nodesPassed[slot] = std::max(std::abs(player->GetNodeIndex() - lastShipNode),
                                 std::abs(camera->GetNodeIndex() - lastCameraNode));
    lastShipPosition = player->GetPosition();
    lastShipNode = player->GetNodeIndex();
    lastCameraNode = camera->GetNodeIndex();
    float way = 0.0f;
    int nodes = 0;
    for (std::size_t round = 0; round < kCheckRounds; ++round) {
        way += travelled[round];
        nodes += nodesPassed[round];
    }
    return way > kTravelAllowance || nodes > kNodeAllowance;
}

std::uint8_t CCourse::WakeFor(const SSleeper& enemy) const {
    const int node = enemy.node;
    const int shipNode = player->GetNodeIndex();
    const int cameraNode = camera->GetNodeIndex();
    const bool mayBeDrawn = node >= cameraNode - kNodeAllowance &&
                            node <= cameraNode + tunnel->GetVisibleNodes() + kNodeAllowance;
    const bool mayMeetPMode =
        node > shipNode - kNodeAllowance && enemy.activationNode < shipNode + kNodeAllowance;
    const float reach = kNearEnough + kTravelAllowance;
    if (mayBeDrawn || mayMeetPMode || player->GetPosition().Subtract(enemy.to).Length() < reach) {
        return kAwake;
    }
    // How near its last step (a spinner's from the world's origin) comes to the ship.
    const CVector3& q = enemy.from;
    const CVector3 step = enemy.to.Subtract(q);
    const CVector3 toShip = player->GetPosition().Subtract(q);
    const float stepSquared = step.Dot(step);
    const float along =
        stepSquared > 0.0f ? std::clamp(toShip.Dot(step) / stepSquared, 0.0f, 1.0f) : 0.0f;
    // Only a shot can meet it there: a drifter's or a chaser's step is too short to come near
    // while its place stays beyond reach, and a spinner never moves.
    return toShip.Subtract(step.Scaled(along)).Length() < reach ? kTarget : kAsleep;
}

void CCourse::FireShot(const CInput& input) {
    if (!input.GetFire() || freeSlot == -1) {
        return;
    }
    auto shot = std::make_unique<CLaser>(textures);
    shot->SetPosition(player->GetPosition());
    shot->SetDirection(player->GetDirection());
    shot->SetUp(player->GetUp());
    shot->SetSpeed(kShotSpeed);
    shots[freeSlot] = std::move(shot);
}

void CCourse::MoveShots(float dt) {
    // The search for the next free slot rides along: it ends on the highest empty slot, so
    // after the very first shot in slot 0 the table fills from slot 14 downward.
    freeSlot = -1;
    for (int slot = 0; slot < kShotSlots; ++slot) {
        if (!shots[slot]) {
            freeSlot = slot;
        } else {
            shots[slot]->Update(dt, *tunnel);
        }
    }
}

// Enemy by enemy, each tested against every shot in slot order until one hits: the same
// enemies explode, with the same sounds, as shot by shot, since an exploding enemy is passed by
// and an explosion draws nothing but its sound. One box around all shots turns away most
// enemies of a long world with one test instead of fifteen.
void CCourse::HitEnemiesWithShots() {
    SShotBox box;
    if (!BoxFlyingShots(box)) {
        return;
    }
    for (const std::size_t i : targetList) {
        const SSleeper& target = sleepers[i]; // kept: a target is not read unless within reach
        const bool mayReach = awake[i] == kTarget
                                  ? CEntity::StepMayReach(target.from, target.to, target.radius,
                                                          box.low, box.high, box.radius)
                                  : enemies[i]->MayReach(box.low, box.high, box.radius);
        const auto& enemy = enemies[i];
        if (!mayReach || enemy->IsExploding()) {
            continue;
        }
        for (const auto& shot : shots) {
            // The shot flies on: it can take out more enemies, now and in later frames.
            if (shot && !shot->IsExploding() && enemy->Collide(*shot)) {
                enemy->Explode();
                awake[i] = kAwake; // a target moves from the next frame, catching up first
                Recount(i);
                explosionSounds(2);
                break;
            }
        }
    }
}

bool CCourse::BoxFlyingShots(SShotBox& box) const {
    bool any = false;
    for (const auto& shot : shots) {
        if (!shot || shot->IsExploding()) {
            continue;
        }
        const CVector3& p = shot->GetPosition();
        if (!any) {
            box = {p, p, shot->GetRadius()};
            any = true;
            continue;
        }
        box.low =
            CVector3(std::min(box.low.x, p.x), std::min(box.low.y, p.y), std::min(box.low.z, p.z));
        box.high = CVector3(std::max(box.high.x, p.x), std::max(box.high.y, p.y),
                            std::max(box.high.z, p.z));
        box.radius = std::max(box.radius, shot->GetRadius());
    }
    return any;
}

void CCourse::ExplodeApproachedEnemies() {
    const int node = player->GetNodeIndex();
    for (const std::size_t i : awakeList) {
        const auto& enemy = enemies[i];
        if (!enemy->IsExploding() && enemy->GetNodeIndex() > node &&
            enemy->GetActivationNode() < node) {
            enemy->Explode();
            Recount(i);
            explosionSounds(1);
        }
    }
}

void CCourse::RamEnemies() {
    for (const std::size_t i : awakeList) {
        const auto& enemy = enemies[i];
        if (enemy->IsExploding() || !player->Collide(*enemy)) {
            continue;
        }
        if (!pMode) {
            player->Damage(kRamDamage);
        }
        enemy->Explode();
        Recount(i);
        explosionSounds(1);
        return; // one ramming per frame
    }
}

void CCourse::RemoveDeadShots() {
    // The only place where shots are removed during play.
    for (auto& shot : shots) {
        if (shot && shot->IsDead()) {
            shot.reset();
        }
    }
}

CReplay::SFrame CCourse::RecordFrame(double measuredStep, std::uint8_t commands,
                                     std::uint64_t stateHash) const {
    CReplay::SFrame frame;
    frame.step = measuredStep;
    frame.commands = commands;
    const CPlayer::SPathPose pose = player->GetPathPose();
    frame.pose.node = player->GetNodeIndex();
    frame.pose.along = CReplay::ToPoseUnits(pose.along);
    frame.pose.offset = CReplay::ToPoseUnits(pose.offset);
    frame.pose.roll = CReplay::ToPoseUnits(pose.roll);
    frame.pose.turnRate = CReplay::ToPoseUnits(pose.turnRate);
    frame.pose.nose = CReplay::ToPoseUnits(pose.nose);
    frame.pose.visible = player->IsShown();
    frame.check = static_cast<std::uint8_t>(stateHash & 0xFF);
    return frame;
}

std::uint64_t CCourse::HashState(double courseClock) const {
    std::uint64_t hash = 1469598103934665603ULL;
    const auto mix = [&hash](const void* data, size_t size) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < size; ++i) {
            hash = (hash ^ bytes[i]) * 1099511628211ULL;
        }
    };
    const CBody& body = player->GetBody();
    const int node = player->GetNodeIndex();
    const float shipState[] = {body.along, body.offset, body.roll, body.GetSpeed()};
    const int energy = player->GetEnergy();
    // The particles are where the random draws of a frame show: a draw out of order moves them.
    const auto mixParticles = [&mix](const CParticleSystem* explosion) {
        for (int slot = 0; explosion != nullptr && slot < CParticleSystem::kFireSlots; ++slot) {
            if (const CParticle* particle = explosion->GetFireParticle(slot)) {
                mix(&particle->GetPosition(), sizeof(CVector3));
            }
        }
        for (int slot = 0; explosion != nullptr && slot < CParticleSystem::kSmokeSlots; ++slot) {
            if (const CParticle* particle = explosion->GetSmokeParticle(slot)) {
                mix(&particle->GetPosition(), sizeof(CVector3));
            }
        }
    };
    const int liveEnemies = static_cast<int>(enemies.size()) - deadCount;
    const int explodingEnemies = explodedCount;
    for (const std::size_t i : awakeList) { // an exploding enemy never sleeps
        if (enemies[i]->IsExploding() && !enemies[i]->IsDead()) {
            mixParticles(enemies[i]->GetExplosion());
        }
    }
    if (player->IsExploding()) {
        mixParticles(player->GetExplosion());
    }
    int shotCount = 0;
    for (const auto& shot : shots) {
        shotCount += shot ? 1 : 0;
    }
    const int modes = (pMode ? 1 : 0) | (pModeUsed ? 2 : 0);
    mix(&node, sizeof(node));
    mix(shipState, sizeof(shipState));
    mix(&energy, sizeof(energy));
    mix(&liveEnemies, sizeof(liveEnemies));
    mix(&explodingEnemies, sizeof(explodingEnemies));
    mix(&shotCount, sizeof(shotCount));
    mix(&courseClock, sizeof(courseClock));
    mix(&modes, sizeof(modes));
    return hash;
}
