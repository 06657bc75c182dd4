#include "app/CommandLine.h"

#include "app/Config.h"

#include <cerrno>
#include <cstdlib>
#include <getopt.h>
#include <ostream>
#include <string>
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
};

const option kOptions[] = {
    {"window", no_argument, nullptr, kWindow},
    {"fullscreen", no_argument, nullptr, kFullScreen},
    {"difficulty", required_argument, nullptr, kDifficulty},
    {"length", required_argument, nullptr, kLength},
    {"seed", required_argument, nullptr, kSeed},
    {"no-records", no_argument, nullptr, kNoRecords},
    {"full-resolution", no_argument, nullptr, kFullResolution},
    {"replay", required_argument, nullptr, kReplay},
    {"verify", required_argument, nullptr, kVerify},
    {"no-ghost", no_argument, nullptr, kNoGhost},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
};

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
    for (const option* entry = kOptions; entry->name != nullptr; ++entry) {
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

struct SNumberOption {
    int id;
    const char* name;
    long low;
    long high;
};

constexpr SNumberOption kNumberOptions[] = {
    {kDifficulty, "--difficulty", 0, CCommandLine::kMaxDifficulty},
    {kLength, "--length", 1, CCommandLine::kMaxLength},
    {kSeed, "--seed", 0, CCommandLine::kMaxSeed},
};

const SNumberOption& FindNumberOption(int id) {
    for (const SNumberOption& number : kNumberOptions) {
        if (number.id == id) {
            return number;
        }
    }
    return kNumberOptions[0];
}

std::string Accepted(const SNumberOption& number) {
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
        const int found = getopt_long(argc, argv, kShortOptions, kOptions, nullptr);
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
            out << "zelkora " << GetVersion() << "\n";
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
        case kReplay:
        case kVerify:
            if (optarg[0] == '\0') {
                Refuse(err, "option '" + written + "' needs a replay file");
                return EOutcome::Refused;
            }
            (found == kReplay ? replayPath : verifyPath) = optarg;
            break;
        case kDifficulty:
        case kLength:
        case kSeed: {
            const SNumberOption& number = FindNumberOption(found);
            if (!ReadWholeNumber(optarg, value) || value < number.low || value > number.high) {
                Refuse(err, "invalid value '" + std::string(optarg) + "' for '" + number.name +
                                "': " + Accepted(number) + " is accepted");
                return EOutcome::Refused;
            }
            StoreNumber(found, value);
            break;
        }
        case ':':
            if (optopt == kReplay || optopt == kVerify) {
                Refuse(err, "option '" + written + "' needs a replay file");
            } else {
                Refuse(err, "option '" + written +
                                "' needs a value: " + Accepted(FindNumberOption(optopt)));
            }
            return EOutcome::Refused;
        default: // '?': unknown, ambiguous, or a value given to an option that takes none
            Refuse(err, Refusal(argv[previous]));
            return EOutcome::Refused;
        }
    }
    if (optind < argc) {
        Refuse(err, "unexpected argument '" + std::string(argv[optind]) + "'");
        return EOutcome::Refused;
    }
    if (!replayPath.empty() && !verifyPath.empty()) {
        Refuse(err, "'--replay' and '--verify' cannot go together");
        return EOutcome::Refused;
    }
    return EOutcome::Run;
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

void CCommandLine::PrintUsage(std::ostream& out) {
    out << "Usage: zelkora [--window | --fullscreen] [--difficulty N] [--length N] [--seed N]\n"
           "               [--no-records] [--full-resolution] [--no-ghost] [--help] [--version]\n"
           "       zelkora --replay FILE | --verify FILE\n"
           "Fly the ship through the tunnel from the start mark to the finish mark.\n"
           "\n"
           "Options (they override zelkora.ini, which is read first):\n"
           "  --window          an 800 x 600 window\n"
           "  --fullscreen      full screen\n"
           "  --difficulty N    bendiness and enemy spacing, 0 to 1000 (0: straight, no enemies)\n"
           "  --length N        1, 2 or 3 for 500, 1000 or 1500 nodes, or a node count up to "
           "100000\n"
           "  --seed N          the world to fly, 0 to 2147483647 (default: the clock's choice\n"
           "                    of 37)\n"
           "  --no-records      read and write no best times\n"
           "  --full-resolution never draw the scene smaller to keep 60 frames a second (F7)\n"
           "  --no-ghost        start without the ghost of the world's best run (G)\n"
           "  --replay FILE     play a recorded run (.zrp) in the window, then check it\n"
           "  --verify FILE     check a recorded run without a window: exit 0 if it matches,\n"
           "                    1 if it diverges, 2 if the file cannot be read\n"
           "  --help            this text\n"
           "  --version         the version\n"
           "\n"
           "Keys:\n"
           "  space             accelerate (hold)\n"
           "  arrows, d e f g   steer (left, up, right, down)\n"
           "  y or z            fire\n"
           "  k                 self-destruct\n"
           "  p                 P mode (a run with it is not recorded)\n"
           "  r                 restart the course in the same world\n"
           "  G (shift+g)       ghost of the world's best run on or off\n"
           "  m                 sound off or on\n"
           "  F1                help\n"
           "  F2                frame rate on or off\n"
           "  F3                wireframe on or off\n"
           "  F4                pause\n"
           "  F5                mipmaps on or off\n"
           "  F6                vertex arrays on or off\n"
           "  F7                resolution automatic or always full\n"
           "  F8                view-frustum culling on or off\n"
           "  F9                translucency on or off\n"
           "  F10               screenshot\n"
           "  F11               full screen or window\n"
           "  F12               path line on or off\n"
           "  ESC or q          quit\n"
           "\n"
           "Game pads: left stick or d-pad steer, right trigger or B accelerates, A or right\n"
           "shoulder fires, Start pauses.\n"
           "\n"
           "Files: best times in $XDG_DATA_HOME/zelkora/records.txt, screenshots in\n"
           "$XDG_DATA_HOME/zelkora/screenshots/, replays in $XDG_DATA_HOME/zelkora/replays/\n"
           "(last.zrp, best-D-N-S.zrp) ($XDG_DATA_HOME is ~/.local/share when unset).\n";
}

const char* CCommandLine::GetVersion() {
    return ZELKORA_VERSION;
}
