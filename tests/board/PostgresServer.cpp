#include "PostgresServer.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
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
const char* const kSuperuser = "zelkora";
const char* const kPort = "5432"; // names the socket only: the directory is the tests' own
constexpr double kInitSeconds = 120;
constexpr double kReadySeconds = 60;
constexpr double kStopSeconds = 20;

CPostgresServer* const shared =
    static_cast<CPostgresServer*>(testing::AddGlobalTestEnvironment(new CPostgresServer));

// True when pid ended within the time; its exit code then in code (-1 for a signal).
bool Ended(pid_t pid, double seconds, int& code) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) != pid) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return true;
}

// Fast shutdown, then immediate, then SIGKILL: each given its time.
void Stop(pid_t pid) {
    int code = 0;
    for (const int signal : {SIGINT, SIGQUIT, SIGKILL}) {
        kill(pid, signal);
        if (Ended(pid, kStopSeconds, code)) {
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
    EXPECT_TRUE(shared->running) << "PostgreSQL did not start:\n" << shared->Log();
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
        server = -1;
    }
    tried = running = false; // --gtest_repeat: the next round starts another
    if (!directory.empty()) {
        std::filesystem::remove_all(directory);
        directory.clear();
    }
}

bool CPostgresServer::Start() {
    // Short: a socket's path has at most 107 bytes.
    char scratch[] = "/tmp/zelkora-pg-XXXXXX";
    if (mkdtemp(scratch) == nullptr) {
        return false;
    }
    directory = scratch;
    const passwd* postgres = geteuid() == 0 ? getpwnam("postgres") : nullptr;
    if (geteuid() == 0 &&
        (postgres == nullptr || chown(scratch, postgres->pw_uid, postgres->pw_gid) != 0)) {
        return false;
    }
    const pid_t initdb = Spawn({kBinaries + "initdb", "-D", directory + "/data", "-A", "trust",
                                "-U", kSuperuser, "-E", "UTF8", "--no-locale", "--no-sync"},
                               directory + "/initdb.log");
    int code = -1;
    if (initdb <= 0 || !Ended(initdb, kInitSeconds, code) || code != 0) {
        if (initdb > 0) {
            Stop(initdb);
        }
        return false;
    }
    // Nothing here outlives the tests: no need to wait for the disk.
    server = Spawn({kBinaries + "postgres", "-D", directory + "/data", "-k", directory, "-p", kPort,
                    "-c", "listen_addresses=", "-c", "fsync=off"},
                   directory + "/server.log");
    return server > 0 && WaitUntilReady();
}

bool CPostgresServer::WaitUntilReady() {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(kReadySeconds);
    int code = 0;
    while (std::chrono::steady_clock::now() < deadline && !Ended(server, 0, code)) {
        try {
            pqxx::connection probe(Url("postgres"));
            return true;
        } catch (const std::exception&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    return false;
}

std::string CPostgresServer::Url(const std::string& database) const {
    return "postgresql:///" + database + "?host=" + directory + "&port=" + kPort +
           "&user=" + kSuperuser;
}

pid_t CPostgresServer::Spawn(const std::vector<std::string>& argv,
                             const std::string& logPath) const {
    std::vector<char*> arguments;
    for (const std::string& argument : argv) {
        arguments.push_back(const_cast<char*>(argument.c_str()));
    }
    arguments.push_back(nullptr);
    const passwd* postgres = geteuid() == 0 ? getpwnam("postgres") : nullptr;
    const pid_t parent = getpid();
    const pid_t child = fork();
    if (child != 0) {
        return child;
    }
    // Between fork and exec: system calls only.
    const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    const int nothing = open("/dev/null", O_RDONLY);
    if (log < 0 || nothing < 0 || dup2(nothing, STDIN_FILENO) < 0 || dup2(log, STDOUT_FILENO) < 0 ||
        dup2(log, STDERR_FILENO) < 0) {
        _exit(126);
    }
    if (postgres != nullptr && (setgroups(0, nullptr) != 0 || setgid(postgres->pw_gid) != 0 ||
                                setuid(postgres->pw_uid) != 0)) {
        _exit(126);
    }
    // After the change of user, which clears it; and the parent may be gone already.
    if (prctl(PR_SET_PDEATHSIG, SIGQUIT) != 0 || getppid() != parent) {
        _exit(126);
    }
    execv(arguments[0], arguments.data());
    _exit(127);
}

std::string CPostgresServer::Log() const {
    std::string log;
    for (const char* name : {"/initdb.log", "/server.log"}) {
        std::ifstream file(directory + name);
        log.append(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    return log;
}
