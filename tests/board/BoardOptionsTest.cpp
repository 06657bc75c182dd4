#include "board/BoardOptions.h"

#include "Process.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using EOutcome = CBoardOptions::EOutcome;

// The day secret and trusted proxies, when not the defaults.
std::string Extras(const CBoardOptions& options) {
    const std::string& secret = options.GetDaySecret();
    std::string extras = secret != CBoardDays::DefaultSecretPath() ? " secret " + secret : "";
    for (const std::string& proxy : options.GetTrustedProxies()) {
        extras += " proxy " + proxy;
    }
    return extras;
}

// What a parse left: for a served or removing line its values in one line, else what it printed.
std::string Result(const CBoardOptions& options, EOutcome outcome, const std::string& out,
                   const std::string& err) {
    const std::string database = " " + options.GetDatabase();
    switch (outcome) {
    case EOutcome::Serve:
        return "serve " + options.GetHost() + " " + std::to_string(options.GetPort()) + database +
               " verifier " + options.GetVerifier() + " workers " +
               std::to_string(options.GetWorkers()) + " queue " +
               std::to_string(options.GetQueue()) + Extras(options);
    case EOutcome::Remove:
        return "remove " + options.GetRemoveKind() + " " + options.GetRemoveWhat() + database;
    case EOutcome::Backup:
        return "backup " + options.GetBackupFile() + database;
    default:
        return out.substr(0, out.find('\n') + 1) + err;
    }
}

} // namespace

// Each line as a shell gives it (a leading NAME=VALUE is the environment), and what it leaves.
// The program itself must end as the parse says: 0 after help or version, 2 with the same line.
TEST(BoardOptions, EachLineServesRemovesOrEndsWithOneLine) {
    struct SCase {
        std::vector<std::string> line;
        EOutcome outcome;
        std::string result;
    };
    const std::string cores = std::to_string(std::thread::hardware_concurrency());
    const std::string serve = "serve 127.0.0.1 8717 sqlite:board.sqlite3 verifier  workers ";
    std::vector<SCase> cases = {
        {{}, EOutcome::Serve, serve + cores + " queue 64"},
        {{"STATE_DIRECTORY=/var/lib/zelkora-board"},
         EOutcome::Serve,
         "serve 127.0.0.1 8717 sqlite:/var/lib/zelkora-board/board.sqlite3 verifier  workers " +
             cores + " queue 64"},
        {{"--listen", "0.0.0.0:80", "--workers", "1", "--queue", "0"},
         EOutcome::Serve,
         "serve 0.0.0.0 80 sqlite:board.sqlite3 verifier  workers 1 queue 0"},
        {{"--listen", "[::1]:80", "--workers=256", "--queue=100000"},
         EOutcome::Serve,
         "serve ::1 80 sqlite:board.sqlite3 verifier  workers 256 queue 100000"},
        {{"--listen=board.example:65535", "--verifier", "/opt/zelkora", "--database",
          "postgresql://board@db/board"},
         EOutcome::Serve,
         "serve board.example 65535 postgresql://board@db/board verifier /opt/zelkora workers " +
             cores + " queue 64"},
        {{"--day-secret", "/srv/s", "--trusted-proxy", "10.0.0.1", "--trusted-proxy=::1"},
         EOutcome::Serve,
         serve + cores + " queue 64 secret /srv/s proxy 10.0.0.1 proxy ::1"},
        {{"remove", "run", "ab12"}, EOutcome::Remove, "remove run ab12 sqlite:board.sqlite3"},
        {{"--database", "sqlite:/srv/b.sqlite3", "remove", "name", "Ann"},
         EOutcome::Remove,
         "remove name Ann sqlite:/srv/b.sqlite3"},
        {{"STATE_DIRECTORY=/var/lib/zelkora-board", "backup", "/srv/b-2026-12-09.sqlite3"},
         EOutcome::Backup,
         "backup /srv/b-2026-12-09.sqlite3 sqlite:/var/lib/zelkora-board/board.sqlite3"},
        {{"--database", "postgresql://db/board", "backup", "b.dump"},
         EOutcome::Backup,
         "backup b.dump postgresql://db/board"},
        {{"--help", "--port"},
         EOutcome::Exit,
         "Usage: zelkora-board [--listen ADDRESS:PORT] [--database URL] [--verifier PATH]\n"},
        {{"--version"}, EOutcome::Exit, "zelkora-board 1.3.0\n"},
    };
    // Each refusal: one line on stderr, the fault's words and where help is.
    const std::pair<std::vector<std::string>, std::string> refusals[] = {
        {{"--listen", "127.0.0.1:0"}, "invalid address '127.0.0.1:0' for '--listen'"},
        {{"--listen", "127.0.0.1:65536"}, "invalid address '127.0.0.1:65536' for '--listen'"},
        {{"--listen", "127.0.0.1: 80"}, "invalid address '127.0.0.1: 80' for '--listen'"},
        {{"--listen", "[::1]:+80"}, "invalid address '[::1]:+80' for '--listen'"},
        {{"--listen", "8717"}, "invalid address '8717' for '--listen'"},
        {{"--listen", ":8717"}, "invalid address ':8717' for '--listen'"},
        {{"--workers", "0"}, "invalid value '0' for '--workers'"},
        {{"--workers", "257"}, "invalid value '257' for '--workers'"},
        {{"--queue", "100001"}, "invalid value '100001' for '--queue'"},
        {{"--queue", "-1"}, "invalid value '-1' for '--queue'"},
        {{"--queue", "8x"}, "invalid value '8x' for '--queue'"},
        {{"--trusted-proxy", "proxy.example.org"},
         "invalid address 'proxy.example.org' for '--trusted-proxy'"},
        {{"remove", "run"}, "remove takes run ID or name NAME"},
        {{"remove", "player", "Ann"}, "remove takes run ID or name NAME"},
        {{"remove", "name", "Ann", "Bo"}, "unexpected argument 'Bo'"},
        {{"backup"}, "backup takes FILE"},
        {{"backup", ""}, "backup takes FILE"},
        {{"backup", "a", "b"}, "unexpected argument 'b'"},
        {{"serve"}, "unexpected argument 'serve'"},
        {{"remove", "run", "ab12", "--workers", "2"}, "unexpected argument '--workers'"},
        {{"--port", "80"}, "unknown option --port"},
        {{"-xy"}, "unknown option -xy"},
        {{"--listen"}, "option needs a value: --listen"},
    };
    for (const auto& [line, message] : refusals) {
        cases.push_back({line, EOutcome::Refused,
                         "zelkora-board: " + message + "; try 'zelkora-board --help'\n"});
    }
    for (const SCase& test : cases) {
        std::vector<std::string> line = test.line;
        const std::string assignment = "STATE_DIRECTORY=";
        unsetenv("STATE_DIRECTORY");
        if (!line.empty() && line[0].compare(0, assignment.size(), assignment) == 0) {
            setenv("STATE_DIRECTORY", line[0].c_str() + assignment.size(), 1);
            line.erase(line.begin());
        }
        std::vector<std::string> arguments = line;
        arguments.insert(arguments.begin(), "zelkora-board");
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        std::ostringstream out;
        std::ostringstream err;
        CBoardOptions options;
        const EOutcome outcome =
            options.Parse(static_cast<int>(arguments.size()), argv.data(), out, err);
        const std::string shown = testing::PrintToString(test.line);
        EXPECT_EQ(outcome, test.outcome) << shown;
        EXPECT_EQ(Result(options, outcome, out.str(), err.str()), test.result) << shown;
        EXPECT_EQ((outcome == EOutcome::Refused ? out : err).str(), "") << shown;
        if (outcome == EOutcome::Exit || outcome == EOutcome::Refused) {
            std::vector<std::string> program = line; // and no STATE_DIRECTORY of the test's
            program.insert(program.begin(), {"sh", "-c", "exec env \"$@\" 2>&1", "sh", "-u",
                                             "STATE_DIRECTORY", ZELKORA_BOARD_BINARY});
            const SCommandResult run = RunCommand(program, 10.0);
            EXPECT_EQ(run.exitCode, outcome == EOutcome::Exit ? 0 : 2) << shown;
            EXPECT_EQ(run.output, out.str() + err.str()) << shown;
        }
    }
    unsetenv("STATE_DIRECTORY");
}
