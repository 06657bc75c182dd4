#include "base/ChildSandbox.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/landlock.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Every kind of write Landlock's first two ABIs know; what is not named stays allowed (reading
// and running the game and its data).
constexpr __u64 kWrites = LANDLOCK_ACCESS_FS_WRITE_FILE | LANDLOCK_ACCESS_FS_REMOVE_DIR |
                          LANDLOCK_ACCESS_FS_REMOVE_FILE | LANDLOCK_ACCESS_FS_MAKE_CHAR |
                          LANDLOCK_ACCESS_FS_MAKE_DIR | LANDLOCK_ACCESS_FS_MAKE_REG |
                          LANDLOCK_ACCESS_FS_MAKE_SOCK | LANDLOCK_ACCESS_FS_MAKE_FIFO |
                          LANDLOCK_ACCESS_FS_MAKE_BLOCK | LANDLOCK_ACCESS_FS_MAKE_SYM;

bool SetLimit(int resource, rlim_t value) {
    const rlimit limit{value, value};
    return setrlimit(resource, &limit) == 0;
}

// Lets the ruleset's handled writes under path. False when the path cannot be opened.
bool AllowWrites(int ruleset, const char* path, __u64 writes) {
    const int beneath = open(path, O_PATH | O_CLOEXEC);
    if (beneath < 0) {
        return false;
    }
    landlock_path_beneath_attr rule{};
    rule.allowed_access = writes;
    rule.parent_fd = beneath;
    const long added =
        syscall(SYS_landlock_add_rule, ruleset, LANDLOCK_RULE_PATH_BENEATH, &rule, 0);
    close(beneath);
    return added == 0;
}

// Writes only in directory and to /dev/null. True also when the kernel has no Landlock: the
// limits still hold.
bool RestrictWrites(const char* directory) {
    const int version = CChildSandbox::GetLandlockVersion();
    if (version == 0) {
        return true;
    }
    landlock_ruleset_attr attributes{};
    attributes.handled_access_fs = kWrites | (version >= 2 ? LANDLOCK_ACCESS_FS_REFER : 0);
    const int ruleset =
        static_cast<int>(syscall(SYS_landlock_create_ruleset, &attributes, sizeof attributes, 0));
    if (ruleset < 0) {
        return false;
    }
    const bool restricted = AllowWrites(ruleset, directory, attributes.handled_access_fs) &&
                            AllowWrites(ruleset, "/dev/null", LANDLOCK_ACCESS_FS_WRITE_FILE) &&
                            prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
                            syscall(SYS_landlock_restrict_self, ruleset, 0) == 0;
    close(ruleset);
    return restricted;
}

} // namespace

int CChildSandbox::GetLandlockVersion() {
    const long version =
        syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
    return version > 0 ? static_cast<int>(version) : 0;
}

bool CChildSandbox::Enter(const char* directory, const SLimits& limits) {
    // The parent's sockets, its database and its clients' connections stay the parent's.
    if (syscall(SYS_close_range, 3u, ~0u, 0u) != 0) {
        for (int descriptor = 3; descriptor < 65536; ++descriptor) {
            close(descriptor);
        }
    }
    if (chdir(directory) != 0) {
        return false;
    }
    bool limited = SetLimit(RLIMIT_CPU, static_cast<rlim_t>(limits.cpuSeconds)) &&
                   SetLimit(RLIMIT_FSIZE, limits.fileBytes) &&
                   SetLimit(RLIMIT_NOFILE, static_cast<rlim_t>(limits.files)) &&
                   SetLimit(RLIMIT_CORE, 0) &&
                   // No process of its own: the count is the user's, so one is none more.
                   SetLimit(RLIMIT_NPROC, 1);
#if !defined(__SANITIZE_ADDRESS__)
    // A build with the address sanitizer reserves terabytes of address space for its shadow:
    // there the memory limit would stop every check before it starts.
    limited = limited && SetLimit(RLIMIT_AS, limits.memoryBytes);
#endif
    return limited && RestrictWrites(directory);
}
