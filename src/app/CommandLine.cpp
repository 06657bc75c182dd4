#include "app/CommandLine.h"

#include "app/CallerPath.h"
#include "app/Config.h"
#include "base/Version.h"
#include "online/BoardSettings.h"
#include "settings/KeyBindings.h"
#include "world/WorldIdentity.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <getopt.h>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

enum EOption {
    kWindow = 256, // above every character, so no short option is mistaken for one
    kFullScreen,
    kDifficulty,
    kLength,
    kSeed,
    kNoRecords,
    kFullResolution,
    kReplay,
    kVerify,
    kNoGhost,
    kDaily,
    kBoard,
    kNoBoard,
    kSubmit,
    kGhost,
};

// Every option once: getopt's table, the usage text and the documents' test all read it.
struct SOption {
    const char* name; // without the leading "--"
    int id;
    const char* value; // the value's name in the usage; nullptr: takes none
    const char* help;  // "{low}" and "{high}" stand for a number's range; '\n' goes on indented
    bool orNext;       // the synopsis joins it to the next one with " | "
    long low = 0;      // a number's range (value "N")
    long high = 0;
};

// Options whose value is a file stand apart in the synopsis: a replay is watched or checked,
// not played.
bool TakesFile(const SOption& entry) {
    return entry.value != nullptr && std::string(entry.value) == "FILE";
}

const SOption kOptionTable[] = {
    {"window", kWindow, nullptr, "an 800 x 600 window", true},
    {"fullscreen", kFullScreen, nullptr, "full screen", false},
    {"difficulty", kDifficulty, "N",
     "bendiness and enemy spacing, {low} to {high} (0: straight, no enemies)", false, 0,
     CWorldIdentity::kMaximumDifficulty},
    {"length", kLength, "N", "1, 2 or 3 for 500, 1000 or 1500 nodes, or a node count up to {high}",
     false, 1, CWorldIdentity::kMaximumLength},
    {"seed", kSeed, "N", "the world to fly, {low} to {high} (default: the clock's choice\nof 37)",
     false, 0, CWorldIdentity::kMaximumSeed},
    {"no-records", kNoRecords, nullptr, "read and write no best times", false},
    {"full-resolution", kFullResolution, nullptr,
     "never draw the scene smaller to keep 60 frames a second (F7)", false},
    {"no-ghost", kNoGhost, nullptr, "start without the ghost of the world's best run (G)", false},
    {"daily", kDaily, nullptr,
     "the world of the day (UTC): the board's when one is set, else seed\nYYYYMMDD, difficulty 2 "
     "on Mondays to 8 on Sundays; 1000 nodes. It wins\nover --seed, --difficulty and --length",
     false},
    {"ghost", kGhost, "WHO",
     "whose best run the ghost flies: own (the default) or board (the\nboard's best of the "
     "world, once the game has flown it itself)",
     false},
    {"board", kBoard, "URL", "send runs to this board, for this run only (over board.txt)", true},
    {"no-board", kNoBoard, nullptr, "send no runs to a board, whatever board.txt says", false},
    {"replay", kReplay, "FILE",
     "play a recorded run (.zrp) in the window, then check it; a file\nnamed alone is played "
     "the same way",
     true},
    {"verify", kVerify, "FILE",
     "check a recorded run without a window: exit 0 if it matches,\n1 if it diverges, 2 if the "
     "file cannot be read",
     false},
    {"submit", kSubmit, "FILE",
     "send a recorded run to the board and exit: 0 if it counts, 1 if the\nboard refuses it, 2 "
     "if it cannot be read or sent",
     false},
    {"help", 'h', nullptr, "this text", false},
    {"version", 'V', nullptr, "the version", false},
};

// getopt_long's form of the table, with the zero row it ends with.
const option* LongOptions() {
    static const std::vector<option> options = [] {
        std::vector<option> built;
        for (const SOption& entry : kOptionTable) {
            built.push_back(
                {entry.name, entry.value ? required_argument : no_argument, nullptr, entry.id});
        }
        built.push_back({nullptr, 0, nullptr, 0});
        return built;
    }();
    return options.data();
}

// The ending the game gives its replays, and the one the desktop's file type goes by.
constexpr const char* kReplayEnding = ".zrp";

bool EndsWith(const std::string& text, const std::string& ending) {
    return text.size() >= ending.size() &&
           text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

// '+': stop at the first argument that is no option; ':': report a missing value as ':'.
constexpr const char* kShortOptions = "+:hV";

void Refuse(std::ostream& err, const std::string& what) {
    err << "zelkora: " << what << "; try 'zelkora --help'\n";
}

// The option as the player wrote it, without a value joined to it by '='.
std::string WrittenOption(const char* argument) {
    const std::string text = argument;
    return text.substr(0, text.find('='));
}

// The long options that a written "--name" stands for: the one named exactly, or every one it
// is the beginning of, as getopt_long reads it.
std::vector<const option*> OptionsMeant(const std::string& written) {
    std::vector<const option*> meant;
    if (written.compare(0, 2, "--") != 0) {
        return meant;
    }
    const std::string name = written.substr(2);
    for (const option* entry = LongOptions(); entry->name != nullptr; ++entry) {
        if (name == entry->name) {
            return {entry};
        }
        if (!name.empty() && std::string(entry->name).compare(0, name.size(), name) == 0) {
            meant.push_back(entry);
        }
    }
    return meant;
}

// Why getopt_long refused an option: ambiguous, given a value it takes none of, or unknown.
std::string Refusal(const char* argument) {
    const std::string written = WrittenOption(argument);
    const std::vector<const option*> meant = OptionsMeant(written);
    if (meant.size() > 1) {
        std::string names;
        for (std::size_t i = 0; i < meant.size(); ++i) {
            names += (i == 0 ? "" : (i + 1 == meant.size() ? " or " : ", ")) + std::string("--") +
                     meant[i]->name;
        }
        return "option '" + written + "' is ambiguous: " + names;
    }
    if (meant.size() == 1 && meant[0]->has_arg == no_argument) {
        return "option '" + written + "' takes no value";
    }
    return "unknown option '" + std::string(argument) + "'";
}

// The row of an option getopt has named by its id.
const SOption& FindOption(int id) {
    for (const SOption& option : kOptionTable) {
        if (option.id == id) {
            return option;
        }
    }
    return kOptionTable[0];
}

std::string Accepted(const SOption& number) {
    return "a whole number from " + std::to_string(number.low) + " to " +
           std::to_string(number.high);
}

// Digits with an optional sign, nothing else: no blanks, no hex, no fractions.
bool ReadWholeNumber(const char* text, long long& value) {
    const char* digits = text + (text[0] == '-' || text[0] == '+' ? 1 : 0);
    if (digits[0] == '\0') {
        return false;
    }
    for (const char* at = digits; *at != '\0'; ++at) {
        if (*at < '0' || *at > '9') {
            return false;
        }
    }
    errno = 0;
    value = std::strtoll(text, nullptr, 10);
    return errno != ERANGE;
}

} // namespace

CCommandLine::EOutcome CCommandLine::Parse(int argc, char* argv[], std::ostream& out,
                                           std::ostream& err) {
    optind = 0; // glibc starts afresh, so a line can be read more than once (tests do)
    opterr = 0; // every message is ours
    for (;;) {
        const int previous = optind == 0 ? 1 : optind;
        const int found = getopt_long(argc, argv, kShortOptions, LongOptions(), nullptr);
        if (found == -1) {
            break;
        }
        const std::string written = WrittenOption(argv[previous]);
        long long value = 0;
        switch (found) {
        case 'h':
            PrintUsage(out);
            return EOutcome::Finished;
        case 'V':
            out << "zelkora " << GetGameVersion() << "\n";
            return EOutcome::Finished;
        case kWindow:
            displayMode = 1;
            break;
        case kFullScreen:
            displayMode = 0;
            break;
        case kNoRecords:
            noRecords = true;
            break;
        case kFullResolution:
            fullResolution = true;
            break;
        case kNoGhost:
            noGhost = true;
            break;
        case kDaily:
            daily = true;
            break;
        case kReplay:
        case kVerify:
        case kSubmit:
            if (optarg[0] == '\0') {
                Refuse(err, "option '" + written + "' needs a replay file");
                return EOutcome::Refused;
            }
            (found == kReplay ? replayPath : found == kVerify ? verifyPath : submitPath) = optarg;
            break;
        case kNoBoard:
            noBoard = true;
            break;
        case kBoard:
        case kGhost:
            if (!StoreWord(found, optarg, err)) {
                return EOutcome::Refused;
            }
            break;
        case kDifficulty:
        case kLength:
        case kSeed: {
            const SOption& number = FindOption(found);
            if (!ReadWholeNumber(optarg, value) || value < number.low || value > number.high) {
                Refuse(err, "invalid value '" + std::string(optarg) + "' for '--" + number.name +
                                "': " + Accepted(number) + " is accepted");
                return EOutcome::Refused;
            }
            StoreNumber(found, value);
            break;
        }
        case ':':
            if (optopt == kReplay || optopt == kVerify || optopt == kSubmit) {
                Refuse(err, "option '" + written + "' needs a replay file");
            } else if (optopt == kBoard) {
                Refuse(err, "option '" + written + "' needs a board's URL");
            } else if (optopt == kGhost) {
                Refuse(err, "option '" + written + "' needs own or board");
            } else {
                Refuse(err,
                       "option '" + written + "' needs a value: " + Accepted(FindOption(optopt)));
            }
            return EOutcome::Refused;
        default: // '?': unknown, ambiguous, or a value given to an option that takes none
            Refuse(err, Refusal(argv[previous]));
            return EOutcome::Refused;
        }
    }
    if (optind < argc && !TakeReplayNamedAlone(argc - optind, argv[optind])) {
        Refuse(err, "unexpected argument '" + std::string(argv[optind]) + "'");
        return EOutcome::Refused;
    }
    std::string files; // each is a program run of its own: one of them at a time
    for (const auto& [path, name] :
         {std::pair<const std::string&, const char*>{replayPath, "--replay"},
          {verifyPath, "--verify"},
          {submitPath, "--submit"}}) {
        if (!path.empty()) {
            files += (files.empty() ? "'" : "' and '") + std::string(name);
        }
    }
    if (files.find(" and ") != std::string::npos) {
        Refuse(err, files + "' cannot go together");
        return EOutcome::Refused;
    }
    if (daily) {
        SetAsideForTheDaily(err);
    }
    return EOutcome::Run;
}

bool CCommandLine::TakeReplayNamedAlone(int remaining, const std::string& argument) {
    const bool fileNamed = !replayPath.empty() || !verifyPath.empty() || !submitPath.empty();
    // A file without the ending still counts: a browser may save a download under another name.
    if (remaining != 1 || fileNamed ||
        !(EndsWith(argument, kReplayEnding) || CCallerPath::IsFile(argument))) {
        return false;
    }
    replayPath = argument;
    return true;
}

// The world of the day wins over the options that name a world: one line says which it set aside.
void CCommandLine::SetAsideForTheDaily(std::ostream& err) {
    std::string named;
    for (const auto& [given, name] : {std::pair<bool, const char*>{seed.has_value(), "--seed"},
                                      {difficulty.has_value(), "--difficulty"},
                                      {tunnelLength.has_value(), "--length"}}) {
        if (given) {
            named += (named.empty() ? "" : ", ") + std::string(name);
        }
    }
    if (!named.empty()) {
        err << "zelkora: --daily flies the world of the day; " << named << " ignored\n";
    }
    seed.reset();
    difficulty.reset();
    tunnelLength.reset();
}

bool CCommandLine::StoreWord(int option, const std::string& value, std::ostream& err) {
    std::string problem;
    if (option == kBoard && CBoardSettings::CheckUrl(value, problem)) {
        boardUrl = value;
        return true;
    }
    if (option == kGhost && (value == "own" || value == "board")) {
        ghost = value == "own" ? EGhost::Own : EGhost::Board;
        return true;
    }
    Refuse(err, "invalid value '" + value + "' for '--" + FindOption(option).name +
                    "': " + (option == kBoard ? problem : "own or board is accepted"));
    return false;
}

void CCommandLine::ApplyTo(CBoardSettings& board) const {
    if (!boardUrl.empty()) {
        board.SetUrl(boardUrl);
    }
    if (noBoard) {
        board.TurnOff();
    }
}

void CCommandLine::StoreNumber(int option, long long value) {
    switch (option) {
    case kDifficulty:
        difficulty = static_cast<int>(value);
        break;
    case kLength:
        tunnelLength = static_cast<int>(value);
        break;
    default:
        seed = static_cast<unsigned>(value);
        break;
    }
}

void CCommandLine::ApplyTo(CConfig& config) const {
    if (difficulty) {
        config.difficulty = *difficulty;
    }
    if (tunnelLength) {
        config.tunnelLength = *tunnelLength;
    }
    if (displayMode) {
        config.displayMode = *displayMode;
    }
}

namespace {

// The option as the usage writes it ("--seed", "N"), with its help as the table has it.
CCommandLine::SOptionHelp Named(const SOption& entry) {
    return {std::string("--") + entry.name, entry.value ? entry.value : "", entry.help};
}

// "[--window | --fullscreen]", "[--seed N]" or "--replay FILE | --verify FILE", in table order.
std::vector<std::string> SynopsisItems(bool files) {
    std::vector<std::string> items;
    bool joining = false;
    for (const SOption& entry : kOptionTable) {
        if (TakesFile(entry) != files) {
            continue;
        }
        const std::string written = Named(entry).Written();
        if (joining) {
            items.back() += " | " + written;
        } else {
            items.push_back(written);
        }
        joining = entry.orNext;
    }
    if (!files) {
        for (std::string& item : items) {
            item = "[" + item + "]";
        }
    }
    return items;
}

void PrintSynopsis(std::ostream& out) {
    const std::string first = "Usage: zelkora ";
    const std::string indent(first.size(), ' ');
    std::string line = first;
    bool lineEmpty = true;
    for (const std::string& item : SynopsisItems(false)) {
        if (!lineEmpty && line.size() + 1 + item.size() > 80) {
            out << line << "\n";
            line = indent;
            lineEmpty = true;
        }
        line += (lineEmpty ? "" : " ") + item;
        lineEmpty = false;
    }
    out << line << "\n";
    std::string files;
    for (const std::string& item : SynopsisItems(true)) {
        files += (files.empty() ? "" : " | ") + item;
    }
    out << "       zelkora " << files << "\n";
    out << "       " << CCommandLine::kReplayAloneSynopsis << "\n";
}

// "  --seed N          the world to fly, ...", the help's further lines under its first.
void PrintEntry(std::ostream& out, const std::string& left, std::size_t width,
                const std::string& help) {
    std::string text = "  " + left + std::string(width - left.size(), ' ');
    for (const char letter : help) {
        text += letter;
        if (letter == '\n') {
            text += std::string(2 + width, ' ');
        }
    }
    out << text << "\n";
}

std::string Replace(std::string text, const std::string& marker, long number) {
    const std::size_t at = text.find(marker);
    return at == std::string::npos ? text : text.replace(at, marker.size(), std::to_string(number));
}

} // namespace

std::vector<CCommandLine::SOptionHelp> CCommandLine::GetOptionHelp() {
    std::vector<SOptionHelp> options;
    for (const SOption& entry : kOptionTable) {
        SOptionHelp option = Named(entry);
        if (entry.value != nullptr && !TakesFile(entry)) {
            option.help = Replace(Replace(option.help, "{low}", entry.low), "{high}", entry.high);
        }
        options.push_back(option);
    }
    return options;
}

void CCommandLine::PrintUsage(std::ostream& out) {
    PrintSynopsis(out);
    out << "Fly the ship through the tunnel from the start mark to the finish mark.\n"
           "\n"
           "Options (they override zelkora.ini, which is read first):\n";
    const std::vector<SOptionHelp> options = GetOptionHelp();
    std::size_t width = 0;
    for (const SOptionHelp& entry : options) {
        width = std::max(width, entry.Written().size() + 1);
    }
    for (const SOptionHelp& entry : options) {
        PrintEntry(out, entry.Written(), width, entry.help);
    }
    out << "\nKeys:\n";
    const std::vector<CKeyBindings::SHelpLine> keys = CKeyBindings::HelpLines();
    width = 0;
    for (const CKeyBindings::SHelpLine& line : keys) {
        width = std::max(width, std::string(line.keys).size() + 1);
    }
    for (const CKeyBindings::SHelpLine& line : keys) {
        PrintEntry(out, line.keys, width, line.action);
    }
    out << "\n"
           "These are the default keys: keys.txt in $XDG_CONFIG_HOME/zelkora (~/.config/zelkora)\n"
           "gives the commands other keys (see the README or zelkora(6)).\n"
           "\n"
           "Game pads: left stick or d-pad steer, right trigger or B accelerates, A or right\n"
           "shoulder fires, Start pauses.\n"
           "\n"
           "Files: best times in $XDG_DATA_HOME/zelkora/records.txt, screenshots in\n"
           "$XDG_DATA_HOME/zelkora/screenshots/, replays in $XDG_DATA_HOME/zelkora/replays/\n"
           "(last.zrp, best-D-N-S.zrp) ($XDG_DATA_HOME is ~/.local/share when unset).\n"
           "The board: board.txt (url URL, name NAME) and the secret board-token in\n"
           "$XDG_CONFIG_HOME/zelkora; runs waiting to be sent in $XDG_DATA_HOME/zelkora/outbox/.\n";
}
