#include "online/BoardLink.h"

#include "online/Outbox.h"
#include "runs/ReplayPlayback.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace {

void PrintLine(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

} // namespace

struct CBoardLink::SShared {
    explicit SShared(SSettings given)
        : settings(std::move(given)),
          client(settings.url, settings.name, settings.token, settings.timeouts),
          outbox(settings.dataDirectory),
          verifier(settings.gameProgram, settings.scratchDirectory, CReplayVerifier::SLimits{}) {}

    const SSettings settings;
    const CBoardClient client;
    const COutbox outbox;
    const CReplayVerifier verifier;

    std::mutex mutex; // guards everything below; never held over the network or the disk
    std::condition_variable wake;
    bool stop = false;
    bool working = false; // the thread is inside a job
    bool sendOutbox = false;
    std::optional<CWorldIdentity> worldAsked;
    // Runs handed over, with their outbox names, until their file is in the outbox.
    std::vector<std::pair<std::string, std::string>> pending;
    std::string messageRun; // the outbox name of the last run handed over
    std::optional<std::string> message;
    SStanding standing;
    int changes = 0;
    std::optional<SGhostRun> ghost;
};

CBoardLink::CBoardLink(SSettings settings)
    : shared(std::make_shared<SShared>(std::move(settings))) {
    shared->sendOutbox = CanSend();
    std::thread(&CBoardLink::Work, shared).detach();
}

CBoardLink::~CBoardLink() {
    {
        const std::lock_guard<std::mutex> lock(shared->mutex);
        shared->stop = true;
    }
    shared->wake.notify_all();
    WritePending(*shared);
}

bool CBoardLink::CanSend() const {
    return !shared->settings.name.empty() && !shared->settings.token.empty();
}

void CBoardLink::SendRun(std::shared_ptr<const CReplay> run) {
    if (!CanSend() || !run || !run->finished) {
        return;
    }
    std::string bytes;
    std::string problem;
    if (!run->Encode(bytes, problem)) {
        PrintLine("board: the run cannot be sent: " + problem);
        return;
    }
    const std::string name = COutbox::NameFor(bytes);
    {
        const std::lock_guard<std::mutex> lock(shared->mutex);
        shared->pending.emplace_back(std::move(bytes), name);
        shared->messageRun = name;
    }
    Post(true, nullptr);
}

void CBoardLink::AskWorld(const CWorldIdentity& world) {
    Post(false, &world);
}

void CBoardLink::Post(bool sendOutbox, const CWorldIdentity* world) {
    {
        const std::lock_guard<std::mutex> lock(shared->mutex);
        shared->sendOutbox = shared->sendOutbox || sendOutbox;
        if (world != nullptr) {
            shared->worldAsked = *world;
            shared->standing = SStanding{SStanding::EState::Loading, *world, {}};
            shared->ghost.reset();
            ++shared->changes;
        }
    }
    shared->wake.notify_all();
}

bool CBoardLink::TakeMessage(std::string& onScreen) {
    const std::lock_guard<std::mutex> lock(shared->mutex);
    if (!shared->message) {
        return false;
    }
    onScreen = std::move(*shared->message);
    shared->message.reset();
    return true;
}

CBoardLink::SStanding CBoardLink::GetStanding() const {
    const std::lock_guard<std::mutex> lock(shared->mutex);
    return shared->standing;
}

int CBoardLink::GetChangeCount() const {
    const std::lock_guard<std::mutex> lock(shared->mutex);
    return shared->changes;
}

bool CBoardLink::TakeGhost(SGhostRun& ghost) {
    const std::lock_guard<std::mutex> lock(shared->mutex);
    if (!shared->ghost) {
        return false;
    }
    ghost = std::move(*shared->ghost);
    shared->ghost.reset();
    return true;
}

std::unique_ptr<CReplay> CBoardLink::ReadGhost(const std::string& bytes,
                                               const CWorldIdentity& world, std::string& problem) {
    auto run = std::make_unique<CReplay>();
    if (!CReplay::Decode(bytes, *run, problem)) {
        return nullptr;
    }
    if (!run->finished) {
        problem = "a run without a finish";
        return nullptr;
    }
    if (!run->world.IsSameWorld(world)) {
        problem = "the run of another world";
        return nullptr;
    }
    return run;
}

bool CBoardLink::FliesAsClaimed(const CReplayVerifier& verifier, const std::string& bytes,
                                const CReplay& run, std::string& problem) {
    std::string line;
    int exitCode = -1;
    if (!verifier.Run(bytes, line, exitCode, problem)) {
        problem = "it could not be checked: " + problem;
        return false;
    }
    std::string verdict;
    if (CReplayPlayback::FlewAsClaimed(line, exitCode, run, verdict)) {
        return true;
    }
    problem = "did not verify: " + (verdict.empty() ? "no verdict" : verdict);
    return false;
}

// One job at a time: the runs waiting go before the world's standing, so that the standing
// fetched after a finish counts the run just sent.
void CBoardLink::Work(const std::shared_ptr<SShared>& shared) {
    for (;;) {
        bool sendOutbox = false;
        std::optional<CWorldIdentity> world;
        {
            std::unique_lock<std::mutex> lock(shared->mutex);
            shared->wake.wait(lock, [&] {
                return shared->stop || shared->sendOutbox || shared->worldAsked.has_value();
            });
            if (shared->stop) {
                return;
            }
            std::swap(sendOutbox, shared->sendOutbox);
            if (!sendOutbox) {
                std::swap(world, shared->worldAsked);
            }
        }
        if (sendOutbox) {
            WritePending(*shared);
            SendWaitingRuns(*shared);
        } else if (world) {
            Fetch(*shared, *world);
        }
    }
}

void CBoardLink::WritePending(SShared& shared) {
    std::vector<std::pair<std::string, std::string>> runs;
    {
        const std::lock_guard<std::mutex> lock(shared.mutex);
        runs = shared.pending;
    }
    for (const auto& [bytes, name] : runs) {
        std::string problem;
        if (!shared.outbox.Put(bytes, problem)) {
            PrintLine("board: cant keep the run in the outbox (" + problem + ")");
        }
    }
    // By name: the thread and a quitting game may both have written the same run.
    const std::lock_guard<std::mutex> lock(shared.mutex);
    for (const auto& written : runs) {
        auto& pending = shared.pending;
        pending.erase(std::remove_if(pending.begin(), pending.end(),
                                     [&](const auto& run) { return run.second == written.second; }),
                      pending.end());
    }
}

// Oldest first, each until the board answers it; a board that cannot be reached now is tried
// again after the next finish or at the next start.
void CBoardLink::SendWaitingRuns(SShared& shared) {
    bool answered = false;
    for (const std::string& path : shared.outbox.List()) {
        std::string bytes;
        std::string problem;
        if (!shared.outbox.Read(path, bytes, problem)) {
            PrintLine("board: " + problem);
            continue;
        }
        const CBoardClient::SSubmitted sent = shared.client.Submit(bytes);
        const bool unsent = sent.outcome == CBoardClient::EOutcome::Unsent;
        PrintLine(unsent ? sent.line + "; it waits in the outbox" : sent.line);
        if (!unsent && !shared.outbox.Remove(path, problem)) {
            PrintLine("board: " + problem);
        }
        const std::string name = path.substr(path.rfind('/') + 1);
        {
            const std::lock_guard<std::mutex> lock(shared.mutex);
            if (name == shared.messageRun) {
                shared.message = sent.onScreen;
                shared.messageRun.clear();
            }
            if (shared.stop) {
                return;
            }
        }
        if (unsent) {
            break;
        }
        answered = true;
    }
    // The standing changed with the runs the board took.
    const std::lock_guard<std::mutex> lock(shared.mutex);
    if (answered && !shared.worldAsked && shared.standing.state != SStanding::EState::Loading) {
        shared.worldAsked = shared.standing.world;
    }
}

void CBoardLink::Fetch(SShared& shared, const CWorldIdentity& world) {
    const CBoardClient::SWorldBoard board = shared.client.FetchWorld(world, shared.settings.name);
    if (!board.fetched) {
        PrintLine("board: cant read the board of the world (" + board.problem + ")");
    }
    {
        const std::lock_guard<std::mutex> lock(shared.mutex);
        if (!shared.standing.world.IsSameWorld(world)) {
            return; // another world was asked for meanwhile
        }
        shared.standing.state =
            board.fetched ? SStanding::EState::Fetched : SStanding::EState::Offline;
        shared.standing.board = board;
        ++shared.changes;
    }
    if (board.fetched && shared.settings.ghostFromBoard && !board.top.empty()) {
        FetchGhost(shared, world, board);
    }
}

void CBoardLink::FetchGhost(SShared& shared, const CWorldIdentity& world,
                            const CBoardClient::SWorldBoard& board) {
    const CBoardClient::SRankedRun& best = board.top.front();
    const CBoardClient::SFetchedReplay fetched = shared.client.FetchReplay(best.runId);
    std::string problem = fetched.problem;
    std::unique_ptr<CReplay> run =
        fetched.fetched ? ReadGhost(fetched.bytes, world, problem) : nullptr;
    if (run && !FliesAsClaimed(shared.verifier, fetched.bytes, *run, problem)) {
        run.reset();
    }
    if (!run) {
        PrintLine("board: the best run of the world is no ghost (" + problem + "); dropped");
        return;
    }
    const std::lock_guard<std::mutex> lock(shared.mutex);
    if (shared.standing.world.IsSameWorld(world)) {
        shared.ghost = SGhostRun{world, best.player, std::move(run)};
    }
}
