#include "PostgresServer.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <iterator>
#include <pqxx/connection>
#include <pqxx/nontransaction>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

const std::string kBinaries = "/usr/lib/postgresql/15/bin/";
const std::string kPort = "5432"; // names the socket only: the directory is the tests' own

CPostgresServer* const shared =
    static_cast<CPostgresServer*>(testing::AddGlobalTestEnvironment(new CPostgresServer));

// The exit code once pid ended within the time (128 for a signal), else -1.
int WaitFor(pid_t pid, int seconds) {
    int status = 0;
    for (int tick = 0; tick <= seconds * 50; ++tick) {
        if (waitpid(pid, &status, WNOHANG) == pid) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}

// Fast shutdown, then immediate, then SIGKILL, each given its time.
void Stop(pid_t pid) {
    for (const int signal : {SIGINT, SIGQUIT, SIGKILL}) {
        kill(pid, signal);
        if (WaitFor(pid, 20) != -1) {
            return;
        }
    }
}

} // namespace

CPostgresServer& CPostgresServer::Get() {
    if (!shared->tried) {
        shared->tried = true;
        shared->running = shared->Start();
    }
    std::ifstream log(shared->directory + "/log");
    EXPECT_TRUE(shared->running) << "PostgreSQL did not start:\n" << log.rdbuf();
    return *shared;
}

std::string CPostgresServer::NewDatabase() {
    const std::string name = "board_" + std::to_string(++databases);
    try {
        pqxx::connection administrator(Url("postgres"));
        pqxx::nontransaction(administrator).exec("CREATE DATABASE " + name);
    } catch (const std::exception& error) {
        ADD_FAILURE() << "cannot create " << name << ": " << error.what();
    }
    return Url(name);
}

void CPostgresServer::TearDown() {
    if (server > 0) {
        Stop(server);
    }
    server = -1;
    tried = running = false; // --gtest_repeat: the next round starts another
    if (!directory.empty()) {
        std::filesystem::remove_all(directory);
        directory.clear();
    }
}

bool CPostgresServer::Start() {
    char scratch[] = "/tmp/zelkora-pg-XXXXXX"; // short: a socket's path has at most 107 bytes
    if (mkdtemp(scratch) == nullptr) {
        return false;
    }
    directory = scratch;
    const passwd* postgres = geteuid() == 0 ? getpwnam("postgres") : nullptr;
    if (geteuid() == 0 &&
        (postgres == nullptr || chown(scratch, postgres->pw_uid, postgres->pw_gid) != 0)) {
        return false;
    }
    const std::string data = directory + "/data";
    const pid_t initdb = Spawn({kBinaries + "initdb", "-D", data, "-A", "trust", "-U", "zelkora",
                                "-E", "UTF8", "--no-locale", "--no-sync"});
    const int initialized = initdb > 0 ? WaitFor(initdb, 120) : 127;
    if (initialized == -1) {
        Stop(initdb);
    }
    if (initialized != 0) {
        return false;
    }
    // Nothing here outlives the tests: no need to wait for the disk.
    server = Spawn({kBinaries + "postgres", "-D", data, "-k", directory, "-p", kPort, "-c",
                    "listen_addresses=", "-c", "fsync=off"});
    return server > 0 && WaitUntilReady();
}

bool CPostgresServer::WaitUntilReady() {
    for (int tick = 0; tick < 600; ++tick) {
        if (WaitFor(server, 0) != -1) {
            server = -1; // it gave up: the log says why
            return false;
        }
        try {
            pqxx::connection probe(Url("postgres"));
            return true;
        } catch (const std::exception&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    return false;
}

pid_t CPostgresServer::Spawn(const std::vector<std::string>& argv) const {
    std::vector<char*> arguments;
    for (const std::string& argument : argv) {
        arguments.push_back(const_cast<char*>(argument.c_str()));
    }
    arguments.push_back(nullptr);
    const std::string log = directory + "/log";
    const passwd* postgres = geteuid() == 0 ? getpwnam("postgres") : nullptr;
    const pid_t parent = getpid();
    const pid_t child = fork();
    if (child != 0) {
        return child;
    }
    // Between fork and exec: system calls only.
    const int output = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (output < 0 || dup2(output, STDOUT_FILENO) < 0 || dup2(output, STDERR_FILENO) < 0 ||
        (postgres != nullptr && (setgroups(0, nullptr) != 0 || setgid(postgres->pw_gid) != 0 ||
                                 setuid(postgres->pw_uid) != 0))) {
        _exit(126);
    }
    // After the change of user, which clears it; the parent may be gone already.
    if (prctl(PR_SET_PDEATHSIG, SIGQUIT) != 0 || getppid() != parent) {
        _exit(126);
    }
    execv(arguments[0], arguments.data());
    _exit(127);
}

std::string CPostgresServer::Url(const std::string& database) const {
    return "postgresql:///" + database + "?host=" + directory + "&port=" + kPort + "&user=zelkora";
}
