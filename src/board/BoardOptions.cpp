#include "board/BoardOptions.h"

#include "base/Version.h"
#include "board/BoardRequest.h"

#include <cstdlib>
#include <getopt.h>
#include <ostream>
#include <thread>

namespace {

void Refuse(std::ostream& err, const std::string& what) {
    err << "zelkora-board: " << what << "; try 'zelkora-board --help'\n";
}

// A whole number from low to high, or false. Digits and an optional minus only: strtol alone
// would take blanks and a plus too.
bool ReadNumber(const char* text, int low, int high, int& value) {
    const char* digits = text + (text[0] == '-' ? 1 : 0);
    if (digits[0] < '0' || digits[0] > '9') {
        return false;
    }
    char* end = nullptr;
    const long number = std::strtol(text, &end, 10);
    if (*end != '\0' || number < low || number > high) {
        return false;
    }
    value = static_cast<int>(number);
    return true;
}

} // namespace

std::string CBoardOptions::DefaultDatabase() {
    const char* state = std::getenv("STATE_DIRECTORY");
    return std::string("sqlite:") +
           (state != nullptr && *state != '\0' ? std::string(state) + "/" : "") + "board.sqlite3";
}

void CBoardOptions::PrintUsage(std::ostream& out) {
    out << "Usage: zelkora-board [--listen ADDRESS:PORT] [--database URL] [--verifier PATH]\n"
           "                     [--workers N] [--queue N] [--day-secret FILE]\n"
           "                     [--trusted-proxy ADDRESS]...\n"
           "       zelkora-board [--database URL] remove run ID | remove name NAME\n"
           "       zelkora-board [--database URL] backup FILE\n"
           "The Zelkora board: takes replays, checks each with the game's own rules, ranks\n"
           "every world and every day.\n"
           "\n"
           "  --listen ADDRESS:PORT  where to listen (default 127.0.0.1:8717)\n"
           "  --database URL         sqlite:PATH (default: board.sqlite3 in $STATE_DIRECTORY,\n"
           "                         else here) or postgresql://...\n"
           "  --verifier PATH        the game that checks runs (default: the installed zelkora,\n"
           "                         else the one built beside this program)\n"
           "  --workers N            runs checked at once, 1 to 256 (default: the cores)\n"
           "  --queue N              runs that may wait for a check, 0 to 100000 (default 64)\n"
           "  --day-secret FILE      the secret that makes each day's world, made when missing\n"
           "                         (default: day-secret in $STATE_DIRECTORY, else here);\n"
           "                         boards sharing a database share it\n"
           "  --trusted-proxy ADDRESS  a proxy whose X-Forwarded-For names the player's\n"
           "                         address (repeatable); from others the connection's counts\n"
           "  --help                 this text\n"
           "  --version              the version\n"
           "\n"
           "remove run ID removes a run; remove name NAME removes a name and all its runs.\n"
           "backup FILE writes a consistent copy of an SQLite board to FILE while it serves.\n";
}

bool CBoardOptions::ParseListen(const std::string& text) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) {
        return false;
    }
    std::string address = text.substr(0, colon);
    if (address.size() > 2 && address.front() == '[' && address.back() == ']') {
        address = address.substr(1, address.size() - 2);
    }
    if (!ReadNumber(text.c_str() + colon + 1, 1, 65535, port)) {
        return false;
    }
    host = address;
    return true;
}

CBoardOptions::EOutcome CBoardOptions::Parse(int argc, char** argv, std::ostream& out,
                                             std::ostream& err) {
    static const option options[] = {
        {"listen", required_argument, nullptr, 'l'},
        {"database", required_argument, nullptr, 'd'},
        {"verifier", required_argument, nullptr, 'v'},
        {"workers", required_argument, nullptr, 'w'},
        {"queue", required_argument, nullptr, 'q'},
        {"day-secret", required_argument, nullptr, 's'},
        {"trusted-proxy", required_argument, nullptr, 't'},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, 'V'},
        {nullptr, 0, nullptr, 0},
    };
    opterr = 0;
    optind = 0; // glibc starts afresh, also after a parse that stopped inside "-xy"
    const unsigned cores = std::thread::hardware_concurrency();
    workers = cores == 0 ? 1 : static_cast<int>(cores);
    for (;;) {
        const int previous = optind == 0 ? 1 : optind;
        // '+': options end at the first word, the command; ':': a missing value is told apart.
        const int found = getopt_long(argc, argv, "+:", options, nullptr);
        if (found == -1) {
            break;
        }
        switch (found) {
        case 'l':
            if (!ParseListen(optarg)) {
                Refuse(err, "invalid address '" + std::string(optarg) + "' for '--listen'");
                return EOutcome::Refused;
            }
            break;
        case 'd':
            database = optarg;
            break;
        case 'v':
            verifier = optarg;
            break;
        case 's':
            daySecret = optarg;
            break;
        case 't':
            if (!CBoardRequest::IsAddress(optarg)) {
                Refuse(err, "invalid address '" + std::string(optarg) + "' for '--trusted-proxy'");
                return EOutcome::Refused;
            }
            trustedProxies.push_back(optarg);
            break;
        case 'w':
        case 'q':
            if (!(found == 'w' ? ReadNumber(optarg, 1, 256, workers)
                               : ReadNumber(optarg, 0, 100000, queue))) {
                Refuse(err, "invalid value '" + std::string(optarg) + "' for '--" +
                                (found == 'w' ? "workers" : "queue") + "'");
                return EOutcome::Refused;
            }
            break;
        case 'h':
            PrintUsage(out);
            return EOutcome::Exit;
        case 'V':
            out << "zelkora-board " << GetGameVersion() << "\n";
            return EOutcome::Exit;
        case ':':
            Refuse(err, "option needs a value: " + std::string(argv[previous]));
            return EOutcome::Refused;
        default:
            Refuse(err, "unknown option " + std::string(argv[previous]));
            return EOutcome::Refused;
        }
    }
    return optind == argc ? EOutcome::Serve : ParseCommand(optind, argc, argv, err);
}

CBoardOptions::EOutcome CBoardOptions::ParseCommand(int first, int argc, char** argv,
                                                    std::ostream& err) {
    const std::string command = argv[first];
    const bool backup = command == "backup";
    if (!backup && command != "remove") {
        Refuse(err, "unexpected argument '" + command + "'");
        return EOutcome::Refused;
    }
    const int words = backup ? 2 : 3;
    if (backup && (first + 2 > argc || argv[first + 1][0] == '\0')) {
        Refuse(err, "backup takes FILE");
        return EOutcome::Refused;
    }
    if (!backup && (first + 3 > argc || (std::string(argv[first + 1]) != "run" &&
                                         std::string(argv[first + 1]) != "name"))) {
        Refuse(err, "remove takes run ID or name NAME");
        return EOutcome::Refused;
    }
    if (first + words < argc) {
        Refuse(err, "unexpected argument '" + std::string(argv[first + words]) + "'");
        return EOutcome::Refused;
    }
    if (backup) {
        backupFile = argv[first + 1];
        return EOutcome::Backup;
    }
    removeKind = argv[first + 1];
    removeWhat = argv[first + 2];
    return EOutcome::Remove;
}
