#include "settings/KeyBindings.h"

#include "base/SettingsFile.h"

#include <GL/glut.h>
#include <cassert>
#include <cctype>
#include <strings.h>

namespace {

using ECommand = CKeyBindings::ECommand;

constexpr std::size_t kLongestLine = 1000; // longer is no line of a key file
constexpr int kEscape = 27;                // the ESC key's ASCII code

const char* const kHeader = "# Zelkora's keys: a command and its keys a line (fire y z); a command "
                            "not named\n"
                            "# keeps its default keys. ESC and q always quit.\n";

const char* const kKeyNames = "a letter, a digit, space, UP, DOWN, LEFT, RIGHT, F1 to F12, TAB or "
                              "ENTER";

struct SNamedKey {
    const char* name;
    bool special;
    int code;
};
const SNamedKey kNamedKeys[] = {
    {"space", false, ' '},           {"TAB", false, '\t'},          {"ENTER", false, '\r'},
    {"UP", true, GLUT_KEY_UP},       {"DOWN", true, GLUT_KEY_DOWN}, {"LEFT", true, GLUT_KEY_LEFT},
    {"RIGHT", true, GLUT_KEY_RIGHT},
};

bool SameWord(const std::string& word, const char* name) {
    return strcasecmp(word.c_str(), name) == 0;
}

} // namespace

// In --help's order. The four steering commands share one line of it.
const std::vector<CKeyBindings::SCommandRow>& CKeyBindings::CommandTable() {
    static const std::vector<SCommandRow> table = {
        {ECommand::Accelerate, "accelerate", "space", "accelerate", {"space", "accelerate (hold)"}},
        {ECommand::Left,
         "left",
         "d LEFT",
         "steer left",
         {"arrow keys, d e f g", "steer (left, up, right, down)"}},
        {ECommand::Up, "up", "e UP", "steer up", {nullptr, nullptr}},
        {ECommand::Right, "right", "f RIGHT", "steer right", {nullptr, nullptr}},
        {ECommand::Down, "down", "g DOWN", "steer down", {nullptr, nullptr}},
        {ECommand::Fire, "fire", "y z", "fire", {"y or z", "fire"}},
        {ECommand::SelfDestruct, "self-destruct", "k", "self-destruct", {"k", "self-destruct"}},
        {ECommand::PMode,
         "p-mode",
         "p",
         "P mode (not recorded)",
         {"p", "P mode (a run with it is not recorded)"}},
        {ECommand::Restart,
         "restart",
         "r",
         "restart the course",
         {"r", "restart the course in the same world"}},
        {ECommand::NewWorld,
         "new-world",
         "n",
         "a new world",
         {"n", "a new world of the same difficulty and length"}},
        {ECommand::Ghost,
         "ghost",
         "G",
         "best run's ghost on or off",
         {"G (shift+g)", "ghost of the world's best run on or off"}},
        {ECommand::Sound, "sound", "m", "sound on or off", {"m", "sound off or on"}},
        {ECommand::Records,
         "records",
         "TAB",
         "records table on or off",
         {"Tab", "records table on or off"}},
        {ECommand::Help, "help", "F1", "help", {"F1", "help"}},
        {ECommand::Menu,
         "menu",
         "ENTER",
         "menu",
         {"Enter", "menu: settings, the world of the day, replays, the board"}},
        {ECommand::FrameRate,
         "frame-rate",
         "F2",
         "frame rate on or off",
         {"F2", "frame rate on or off"}},
        {ECommand::Wireframe,
         "wireframe",
         "F3",
         "wireframe on or off",
         {"F3", "wireframe on or off"}},
        {ECommand::Pause, "pause", "F4", "pause", {"F4", "pause"}},
        {ECommand::Mipmaps, "mipmaps", "F5", "mipmaps on or off", {"F5", "mipmaps on or off"}},
        {ECommand::VertexArrays,
         "vertex-arrays",
         "F6",
         "vertex arrays on or off",
         {"F6", "vertex arrays on or off"}},
        {ECommand::Resolution,
         "resolution",
         "F7",
         "resolution automatic or full",
         {"F7", "resolution automatic or always full"}},
        {ECommand::Culling,
         "culling",
         "F8",
         "frustum culling on or off",
         {"F8", "view-frustum culling on or off"}},
        {ECommand::Translucency,
         "translucency",
         "F9",
         "translucency on or off",
         {"F9", "translucency on or off"}},
        {ECommand::Screenshot, "screenshot", "F10", "screenshot", {"F10", "screenshot"}},
        {ECommand::FullScreen,
         "full-screen",
         "F11",
         "full screen or window",
         {"F11", "full screen or window"}},
        {ECommand::PathLine,
         "path-line",
         "F12",
         "path line on or off",
         {"F12", "path line on or off"}},
    };
    return table;
}

std::vector<CKeyBindings::SHelpLine> CKeyBindings::HelpLines() {
    std::vector<SHelpLine> lines;
    for (const SCommandRow& row : CommandTable()) {
        if (row.help.keys != nullptr) {
            lines.push_back(row.help);
        }
    }
    lines.push_back(kQuitHelp);
    return lines;
}

bool CKeyBindings::Quits(int code) {
    return code == kEscape || code == 'q';
}

CKeyBindings::CKeyBindings() {
    for (const SCommandRow& row : CommandTable()) {
        for (const std::string& name : CSettingsFile::Words(row.defaultKeys)) {
            SKey key{};
            std::string problem;
            const bool known = ReadKey(name, key, problem);
            assert(known);
            (void)known;
            Bind(key, row.command);
        }
    }
}

const CKeyBindings& CKeyBindings::Defaults() {
    static const CKeyBindings defaults;
    return defaults;
}

CKeyBindings CKeyBindings::Load(const std::string& path, std::vector<std::string>& problems) {
    std::string text;
    if (!CSettingsFile::Read(path, kLargestFile, "no key file", "the default keys apply", text,
                             problems)) {
        return Defaults();
    }
    return Parse(text, path, problems);
}

CKeyBindings CKeyBindings::Parse(const std::string& text, const std::string& path,
                                 std::vector<std::string>& problems) {
    std::vector<SBinding> bindings;
    const auto readLine = [&bindings](int number, const std::string& line, std::string& problem) {
        SBinding binding{ECommand::None, {}, number};
        if (!ReadLine(line, binding, problem) || Conflicts(binding, bindings, problem)) {
            return false;
        }
        if (binding.command != ECommand::None) {
            bindings.push_back(binding);
        }
        return true;
    };
    CSettingsFile::ReadLines(text, path, kLongestLine, readLine, problems);

    // A command the file names keeps none of its default keys; a key the file gives to a
    // command is taken from whichever command had it.
    CKeyBindings result = Defaults();
    for (const SBinding& binding : bindings) {
        result.Unbind(binding.command);
    }
    for (const SBinding& binding : bindings) {
        for (const SKey& key : binding.keys) {
            result.Bind(key, binding.command);
        }
    }
    return result;
}

bool CKeyBindings::ReadLine(const std::string& line, SBinding& binding, std::string& problem) {
    std::vector<std::string> words;
    if (!CSettingsFile::LineWords(line, words, problem)) {
        return false;
    }
    if (words.empty()) {
        return true; // blank, or a comment
    }
    if (!ReadCommand(words[0], binding.command, problem)) {
        return false;
    }
    if (words.size() == 1) {
        problem = words[0] + " names no key";
        return false;
    }
    for (std::size_t i = 1; i < words.size(); ++i) {
        SKey key{};
        if (!ReadKey(words[i], key, problem)) {
            return false;
        }
        bool listed = false; // "fire y y" is fire y
        for (const SKey& earlier : binding.keys) {
            listed = listed || earlier == key;
        }
        if (!listed) {
            binding.keys.push_back(key);
        }
    }
    return true;
}

bool CKeyBindings::ReadCommand(const std::string& name, ECommand& command, std::string& problem) {
    if (SameWord(name, "quit")) {
        problem = "quit cannot be bound: ESC and q always quit";
        return false;
    }
    for (const SCommandRow& row : CommandTable()) {
        if (SameWord(name, row.name)) {
            command = row.command;
            return true;
        }
    }
    problem = "unknown command \"" + name + "\"";
    return false;
}

// Single characters are what they say, so G is shift+g; longer names take any case.
bool CKeyBindings::ReadKey(const std::string& name, SKey& key, std::string& problem) {
    if (name == "q" || SameWord(name, "ESC") || SameWord(name, "escape")) {
        problem = (name == "q" ? "q" : "ESC") + std::string(" always quits and cannot be bound");
        return false;
    }
    if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0]))) {
        key = {false, name[0]};
        return true;
    }
    for (const SNamedKey& named : kNamedKeys) {
        if (SameWord(name, named.name)) {
            key = {named.special, named.code};
            return true;
        }
    }
    for (int number = 1; number <= 12; ++number) { // GLUT_KEY_F1 is 1 and so on to F12
        if (SameWord(name, ("F" + std::to_string(number)).c_str())) {
            key = {true, number};
            return true;
        }
    }
    problem = "unknown key \"" + name + "\" (" + kKeyNames + ")";
    return false;
}

bool CKeyBindings::Conflicts(const SBinding& binding, const std::vector<SBinding>& earlier,
                             std::string& problem) {
    for (const SBinding& other : earlier) {
        if (other.command == binding.command) {
            problem = NameOf(binding.command) + " is bound on line " + std::to_string(other.line) +
                      " already";
            return true;
        }
        for (const SKey& key : binding.keys) {
            for (const SKey& taken : other.keys) {
                if (key == taken) {
                    problem = KeyName(key) + " is bound to " + NameOf(other.command) + " on line " +
                              std::to_string(other.line) + " already";
                    return true;
                }
            }
        }
    }
    return false;
}

const CKeyBindings::SCommandRow* CKeyBindings::RowOf(ECommand command) {
    for (const SCommandRow& row : CommandTable()) {
        if (row.command == command) {
            return &row;
        }
    }
    return nullptr;
}

std::string CKeyBindings::NameOf(ECommand command) {
    const SCommandRow* row = RowOf(command);
    return row != nullptr ? row->name : "nothing";
}

const char* CKeyBindings::Summary(ECommand command) {
    const SCommandRow* row = RowOf(command);
    return row != nullptr ? row->summary : "nothing";
}

std::string CKeyBindings::KeysOf(ECommand command) const {
    std::string keys;
    for (const SKey& key : KeysBoundTo(command)) {
        keys += (keys.empty() ? "" : " ") + KeyName(key);
    }
    return keys;
}

bool CKeyBindings::SetKey(ECommand command, bool special, int code, std::string& problem) {
    const SKey key{special, code};
    if (RowOf(command) == nullptr) {
        problem = "no command to bind the key to";
        return false;
    }
    if (!special && Quits(code)) {
        problem = code == 'q' ? "q quits" : "ESC quits";
        return false;
    }
    if (!IsNameable(key)) {
        problem = std::string("not a key to bind: ") + kKeyNames;
        return false;
    }
    const ECommand holder = Holder(key);
    if (holder != ECommand::None && holder != command) {
        problem = KeyName(key) + " is " + NameOf(holder) + "'s";
        return false;
    }
    if (holder == ECommand::None) {
        Unbind(command);
        Bind(key, command);
    }
    return true;
}

void CKeyBindings::RestoreDefault(ECommand command) {
    Unbind(command);
    for (const SKey& key : Defaults().KeysBoundTo(command)) {
        if (Holder(key) == ECommand::None) {
            Bind(key, command);
        }
    }
}

bool CKeyBindings::Save(const std::string& path, std::string& problem) const {
    std::vector<CSettingsFile::SSetting> lines;
    for (const SCommandRow& row : CommandTable()) {
        const std::string keys = KeysOf(row.command);
        // A command left without keys gave them all to others: no line says so, as on reading.
        const bool changed = !keys.empty() && keys != Defaults().KeysOf(row.command);
        lines.push_back({row.name, changed ? keys : ""});
    }
    return CSettingsFile::Save(path, {kLargestFile, kHeader, true}, lines, problem);
}

std::string CKeyBindings::KeyName(const SKey& key) {
    for (const SNamedKey& named : kNamedKeys) {
        if (named.special == key.special && named.code == key.code) {
            return named.name;
        }
    }
    if (key.special) {
        return "F" + std::to_string(key.code);
    }
    return std::string(1, static_cast<char>(key.code));
}

bool CKeyBindings::IsNameable(const SKey& key) {
    SKey read{};
    std::string problem;
    return key.code >= 0 && key.code < 256 && ReadKey(KeyName(key), read, problem) && read == key;
}

std::vector<CKeyBindings::SKey> CKeyBindings::KeysBoundTo(ECommand command) const {
    std::vector<SKey> keys;
    if (command == ECommand::None) {
        return keys; // the unbound keys are no command's
    }
    for (const bool special : {false, true}) {
        const std::array<ECommand, 256>& table = special ? specialKeys : asciiKeys;
        for (int code = 0; code < 256; ++code) {
            if (table[static_cast<std::size_t>(code)] == command) {
                keys.push_back({special, code});
            }
        }
    }
    return keys;
}

CKeyBindings::ECommand CKeyBindings::Holder(const SKey& key) const {
    return key.special ? ForSpecialKey(key.code) : ForKey(key.code);
}

CKeyBindings::ECommand CKeyBindings::ForKey(int code) const {
    return code >= 0 && code < 256 ? asciiKeys[static_cast<std::size_t>(code)] : ECommand::None;
}

CKeyBindings::ECommand CKeyBindings::ForSpecialKey(int code) const {
    return code >= 0 && code < 256 ? specialKeys[static_cast<std::size_t>(code)] : ECommand::None;
}

void CKeyBindings::Bind(const SKey& key, ECommand command) {
    (key.special ? specialKeys : asciiKeys)[static_cast<std::size_t>(key.code)] = command;
}

void CKeyBindings::Unbind(ECommand command) {
    for (auto* table : {&asciiKeys, &specialKeys}) {
        for (ECommand& slot : *table) {
            if (slot == command) {
                slot = ECommand::None;
            }
        }
    }
}
