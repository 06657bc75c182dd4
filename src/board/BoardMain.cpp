// zelkora-board: the board service. It takes replays over HTTP, checks each with the game's own
// rules in a child process, and ranks every world and every day (see README, "The board").

#include "base/ChildSandbox.h"
#include "base/PlayerName.h"
#include "base/ProgramPath.h"
#include "board/BoardBackup.h"
#include "board/BoardOptions.h"
#include "board/BoardService.h"
#include "board/RunChecker.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <pthread.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

// The installed game's program, as the game's package lays it out.
const char* const kInstalledVerifier = "/usr/lib/games/zelkora/zelkora";

std::string DefaultVerifier() {
    if (access(kInstalledVerifier, X_OK) == 0) {
        return kInstalledVerifier;
    }
    const std::string directory = CProgramPath::Directory();
    return directory.empty() ? "zelkora" : directory + "/zelkora";
}

int Remove(CBoardStore& store, const std::string& kind, const std::string& what) {
    const bool removed =
        kind == "run" ? store.RemoveRun(what) : store.RemoveName(CPlayerName::Key(what));
    std::printf("%s %s %s\n", removed ? "removed" : "there is no", kind.c_str(), what.c_str());
    return removed ? 0 : 1;
}

// Before the store opens: a backup creates and migrates nothing, it copies what is there.
int Backup(const std::string& database, const std::string& file) {
    std::string problem;
    if (!CBoardBackup::Write(database, file, problem)) {
        std::fprintf(stderr, "zelkora-board: %s\n", problem.c_str());
        return 1;
    }
    std::printf("backed up %s to %s\n", database.c_str(), file.c_str());
    return 0;
}

// SIGINT and SIGTERM end the service: a thread of its own waits for them.
sigset_t EndingSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

} // namespace

int main(int argc, char** argv) {
    CBoardOptions options;
    switch (options.Parse(argc, argv, std::cout, std::cerr)) {
    case CBoardOptions::EOutcome::Exit:
        return 0;
    case CBoardOptions::EOutcome::Refused:
        return 2;
    case CBoardOptions::EOutcome::Backup:
        return Backup(options.GetDatabase(), options.GetBackupFile());
    default:
        break;
    }
    std::string problem;
    const std::unique_ptr<CBoardStore> store = CBoardStore::OpenUrl(options.GetDatabase(), problem);
    if (!store) {
        std::fprintf(stderr, "zelkora-board: %s\n", problem.c_str());
        return 2;
    }
    if (options.GetRemoveKind().size() > 0) {
        return Remove(*store, options.GetRemoveKind(), options.GetRemoveWhat());
    }
    const char* temporary = std::getenv("TMPDIR");
    std::string scratch =
        std::string(temporary != nullptr && *temporary != '\0' ? temporary : "/tmp") +
        "/zelkora-board-XXXXXX";
    if (mkdtemp(scratch.data()) == nullptr) {
        std::fprintf(stderr, "zelkora-board: cannot make a scratch directory %s\n",
                     scratch.c_str());
        return 2;
    }
    const std::string verifier =
        options.GetVerifier().empty() ? DefaultVerifier() : options.GetVerifier();
    const CRunChecker checker(verifier, scratch, CRunChecker::SLimits{});
    std::string secret;
    if (!CBoardDays::LoadSecret(options.GetDaySecret(), secret, problem)) {
        std::fprintf(stderr, "zelkora-board: %s\n", problem.c_str());
        rmdir(scratch.c_str());
        return 2;
    }
    const CBoardDays days(secret);
    // Runs kept before the board told flights apart stay their owners'.
    if (const int fingerprinted = CBoardService::FingerprintOldRuns(*store)) {
        std::fprintf(stderr, "zelkora-board: %d runs kept before were given their flights\n",
                     fingerprinted);
    }
    CBoardService::SSettings settings;
    settings.workers = options.GetWorkers();
    settings.queue = static_cast<std::size_t>(options.GetQueue());
    settings.trustedProxies = options.GetTrustedProxies();
    std::signal(SIGPIPE, SIG_IGN);
    const sigset_t ending = EndingSignals();
    pthread_sigmask(SIG_BLOCK, &ending, nullptr); // every thread made from here on too
    CBoardService service(*store, checker, days, settings);
    if (!service.Bind(options.GetHost(), options.GetPort(), problem)) {
        std::fprintf(stderr, "zelkora-board: %s\n", problem.c_str());
        rmdir(scratch.c_str());
        return 2;
    }
    std::thread waiter([&service, ending] {
        int signal = 0;
        sigwait(&ending, &signal);
        service.Stop();
    });
    const int landlock = CChildSandbox::GetLandlockVersion();
    std::fprintf(stderr, "zelkora-board: listening on %s:%d, checking with %s, %s\n",
                 options.GetHost().c_str(), service.GetPort(), verifier.c_str(),
                 landlock > 0 ? "each check confined to its directory by Landlock"
                              : "without Landlock (neither the kernel nor the system call "
                                "filter offers it): each check still under its limits");
    service.Serve();
    pthread_kill(waiter.native_handle(), SIGTERM); // when Serve ended otherwise
    waiter.join();
    rmdir(scratch.c_str());
    return 0;
}
