#pragma once

#include "board/BoardDays.h"

#include <iosfwd>
#include <string>
#include <vector>

// The board's command line:
//   zelkora-board [--listen ADDRESS:PORT] [--database URL] [--verifier PATH] [--workers N]
//                 [--queue N] [--day-secret FILE] [--trusted-proxy ADDRESS]...
//   zelkora-board [--database URL] remove run ID | remove name NAME
//   zelkora-board [--database URL] backup FILE
// with --help and --version. A bad option is one line and exit code 2, as the game's are.
class CBoardOptions {
public:
    enum class EOutcome { Serve, Remove, Backup, Exit, Refused };

    EOutcome Parse(int argc, char** argv, std::ostream& out, std::ostream& err);

    const std::string& GetHost() const { return host; }
    int GetPort() const { return port; }
    const std::string& GetDatabase() const { return database; } // "sqlite:PATH" or a libpq URL
    const std::string& GetVerifier() const { return verifier; } // empty: the default
    int GetWorkers() const { return workers; }
    int GetQueue() const { return queue; }
    const std::string& GetDaySecret() const { return daySecret; }
    const std::vector<std::string>& GetTrustedProxies() const { return trustedProxies; }
    const std::string& GetRemoveKind() const { return removeKind; } // "run" or "name"
    const std::string& GetRemoveWhat() const { return removeWhat; }
    const std::string& GetBackupFile() const { return backupFile; } // as given, maybe relative

    // sqlite: board.sqlite3 in $STATE_DIRECTORY, else in the current directory.
    static std::string DefaultDatabase();
    static void PrintUsage(std::ostream& out);

private:
    bool ParseListen(const std::string& text);
    // The words after the options: "remove ..." or "backup FILE".
    EOutcome ParseCommand(int first, int argc, char** argv, std::ostream& err);

    std::string host = "127.0.0.1";
    int port = 8717;
    std::string database = DefaultDatabase();
    std::string verifier;
    int workers = 0; // the number of cores
    int queue = 64;
    std::string daySecret = CBoardDays::DefaultSecretPath();
    std::vector<std::string> trustedProxies;
    std::string removeKind;
    std::string removeWhat;
    std::string backupFile;
};
