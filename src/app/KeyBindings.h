#pragma once

#include "base/SettingsFile.h"

#include <array>
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
    };

    struct SHelpLine {
        const char* keys;   // "y or z"; nullptr: the line of the row above covers this one
        const char* action; // "fire"
    };
    // The one home of the default keys: the bindings, keys.txt's command names, --help's key
    // lines and the held-key table all read them from here, and a test holds the README and the
    // manual page to it.
    struct SCommandRow {
        ECommand command;
        const char* name;        // as keys.txt names it
        const char* defaultKeys; // as keys.txt would list them
        SHelpLine help;          // as --help lists it
    };

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

    static std::string NameOf(ECommand command); // "fire"; "nothing" for None

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
    void Bind(const SKey& key, ECommand command);

    std::array<ECommand, 256> asciiKeys{};
    std::array<ECommand, 256> specialKeys{};
};
