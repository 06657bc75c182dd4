#pragma once

#include "base/SettingsFile.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

// Which command each key sends. The defaults are the keys of the command table; keys.txt in
// the player's config directory may give any command other keys. ESC and q always quit and are no
// part of it. ASCII keys and GLUT's special keys are looked up apart, by their whole codes, so
// an arrow key and the letter that shares its low 8 bits never stand for each other.
class CKeyBindings {
public:
    enum class ECommand : unsigned char {
        None,
        Accelerate,
        Left,
        Up,
        Right,
        Down,
        Fire,
        SelfDestruct,
        PMode,
        Restart,
        NewWorld,
        Ghost,
        Sound,
        Records,
        Help,
        FrameRate,
        Wireframe,
        Pause,
        Mipmaps,
        VertexArrays,
        Resolution,
        Culling,
        Translucency,
        Screenshot,
        FullScreen,
        PathLine,
        Menu,
    };

    struct SHelpLine {
        const char* keys;   // "y or z"; nullptr: the line of the row above covers this one
        const char* action; // "fire"
    };
    // The one home of the default keys: the bindings, keys.txt's command names, --help's key
    // lines, the menu's list of keys and the held-key table all read them from here, and a test
    // holds the README and the manual page to it. In --help's order, which is the menu's too.
    struct SCommandRow {
        ECommand command;
        const char* name;        // as keys.txt names it
        const char* defaultKeys; // as keys.txt would list them
        const char* summary;     // what it does, at most kLongestSummary characters
        SHelpLine help;          // as --help lists it
    };
    static constexpr std::size_t kLongestSummary = 28; // the width of the game's help page

    // ESC and q quit whatever keys.txt says, so they are no row of the table; --help lists them
    // last.
    static constexpr SHelpLine kQuitHelp{"ESC or q", "quit"};

    // A file larger than this is no key file: it is not read.
    static constexpr long kLargestFile = 64 * 1024;
    // After this many problems the rest are counted in one more line.
    static constexpr int kProblemsShown = CSettingsFile::kProblemsShown;

    CKeyBindings(); // the default keys

    static const CKeyBindings& Defaults();
    static const std::vector<SCommandRow>& CommandTable();
    static std::vector<SHelpLine> HelpLines(); // --help's key lines, in the table's order
    static bool Quits(int code);               // an ASCII key's code: ESC or q

    // The file's bindings over the defaults. A missing file is no problem; any other is one line
    // "path: what" or "path:line: what" on problems, and a bad line is ignored.
    static CKeyBindings Load(const std::string& path, std::vector<std::string>& problems);
    static CKeyBindings Parse(const std::string& text, const std::string& path,
                              std::vector<std::string>& problems);

    ECommand ForKey(int code) const;        // an ASCII key: None outside 0 to 255
    ECommand ForSpecialKey(int code) const; // a GLUT special key: None outside 0 to 255

    static std::string NameOf(ECommand command);  // "fire"; "nothing" for None
    static const char* Summary(ECommand command); // "fire"; "nothing" for None

    // Changing keys in the game's menu. Every command keeps distinct keys, as a file Load reads
    // gives them.
    std::string KeysOf(ECommand command) const; // as keys.txt lists them: "y z", "F1"; "" for none
    // The command's keys become this one key: an ASCII code (0 to 255) or, when special, a GLUT
    // special key code. False with why, nothing changed, for a key another command has ("y is
    // fire's"), for ESC and q ("q quits") and for a key keys.txt cannot name (a letter, a digit,
    // space, TAB, ENTER, the arrows and F1 to F12 can be bound). A key this command has already:
    // true, and its keys stay as they are.
    bool SetKey(ECommand command, bool special, int code, std::string& problem);
    // The command's default keys back, those that are free: a default key another command has
    // been given since stays with it, since taking it would leave that command without the key
    // the player chose for it. The command may so end up with no key.
    void RestoreDefault(ECommand command);
    // Writes keys.txt: a line for each command whose keys are not its defaults, in place of the
    // lines that named it, every other line and comment kept (see CSettingsFile::Save). Load
    // reads back these bindings. False with one line; true with problem empty, or saying where
    // a file too large to read was moved.
    bool Save(const std::string& path, std::string& problem) const;

private:
    struct SKey {
        bool special;
        int code; // 0 to 255
        bool operator==(const SKey& other) const {
            return special == other.special && code == other.code;
        }
    };
    struct SBinding {
        ECommand command;
        std::vector<SKey> keys;
        int line;
    };
    static bool ReadKey(const std::string& name, SKey& key, std::string& problem);
    static bool ReadCommand(const std::string& name, ECommand& command, std::string& problem);
    static bool ReadLine(const std::string& line, SBinding& binding, std::string& problem);
    static bool Conflicts(const SBinding& binding, const std::vector<SBinding>& earlier,
                          std::string& problem);
    static std::string KeyName(const SKey& key);
    static bool IsNameable(const SKey& key); // one keys.txt can write, so a saved key reads back
    static const SCommandRow* RowOf(ECommand command);     // null for None
    std::vector<SKey> KeysBoundTo(ECommand command) const; // ASCII keys first; none for None
    ECommand Holder(const SKey& key) const;
    void Bind(const SKey& key, ECommand command);
    void Unbind(ECommand command);

    std::array<ECommand, 256> asciiKeys{};
    std::array<ECommand, 256> specialKeys{};
};
