#pragma once

#include <string>

// Where the game keeps files of its own, by the XDG base directory rules: a variable that is
// unset, empty or not an absolute path counts as unset, and the default under $HOME applies.
// Nothing is created here; the paths are only worked out.
class CXdgDirectories {
public:
    // "$XDG_DATA_HOME/zelkora", else "$HOME/.local/share/zelkora"; "" when neither is absolute.
    static std::string DataDirectory();
    // "$XDG_CONFIG_HOME/zelkora", else "$HOME/.config/zelkora"; "" when neither is absolute.
    static std::string ConfigDirectory();

    // Where short-lived private files go: "$XDG_RUNTIME_DIR", else "$TMPDIR", else "/tmp".
    static std::string ScratchDirectory();

    // Why a file of ours cannot be saved when DataDirectory is "".
    static constexpr const char* kNoDataDirectory =
        "no data directory: neither XDG_DATA_HOME nor HOME is an absolute path";

private:
    // The variable's value, or $HOME with homeDefault appended, then "/zelkora".
    static std::string Resolve(const char* variable, const char* homeDefault);
    static bool IsAbsolute(const char* path); // false for null and ""
};
