#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

class CBoardSettings;
class CConfig;

// The command line, GNU style. Read before anything else happens, so that --help, --version and
// a bad option print their text and end the program without a window or a sound.
class CCommandLine {
public:
    enum class EOutcome {
        Run,      // start the game with what was read
        Finished, // --help or --version printed: exit 0
        Refused,  // one line written to the error stream: exit 2
    };

    // Usage and version go to out, the one line about a bad option to err.
    EOutcome Parse(int argc, char* argv[], std::ostream& out, std::ostream& err);

    // Overrides the values of zelkora.ini that options named; the file is read first.
    void ApplyTo(CConfig& config) const;
    const std::optional<unsigned>& GetSeed() const { return seed; } // empty: the clock's choice
    bool GetNoRecords() const { return noRecords; }
    bool GetFullResolution() const { return fullResolution; }
    bool GetNoGhost() const { return noGhost; }
    bool GetDaily() const { return daily; } // --seed, --difficulty and --length then set aside
    const std::string& GetReplayPath() const { return replayPath; } // empty: none
    const std::string& GetVerifyPath() const { return verifyPath; } // empty: none
    const std::string& GetSubmitPath() const { return submitPath; } // empty: none

    // Whose ghost flies: the player's own best run of the world, or the board's best.
    enum class EGhost { Own, Board };
    EGhost GetGhost() const { return ghost; }
    // --board and --no-board over board.txt, which is read first: --no-board wins.
    void ApplyTo(CBoardSettings& board) const;

    // The options as the usage lists them; the README and the manual page must name each (a
    // test reads both). The usage's keys are the key bindings' table.
    struct SOptionHelp {
        std::string name;  // "--seed"
        std::string value; // "N", "FILE", "URL", "WHO", or empty: the option takes none
        std::string help;  // with the number's range written in
        std::string Written() const { return value.empty() ? name : name + " " + value; }
    };
    static std::vector<SOptionHelp> GetOptionHelp();

    static void PrintUsage(std::ostream& out);

    // A replay named alone, as a file manager or a browser starts the game with one: a single
    // argument that is no option and names a file, or ends in .zrp, is --replay's FILE. The
    // usage, the README and the manual page give this form in these words.
    static constexpr const char* kReplayAloneSynopsis = "zelkora FILE.zrp";

private:
    void StoreNumber(int option, long long value); // value already checked against its range
    // --board's URL or --ghost's word; false after one line on err when it is no such value.
    bool StoreWord(int option, const std::string& value, std::ostream& err);
    void SetAsideForTheDaily(std::ostream& err);
    // The arguments left after the options as a replay named alone; false when they are not one
    // (more than one, a file option already given, or neither a file nor a .zrp name).
    bool TakeReplayNamedAlone(int remaining, const std::string& argument);

    std::optional<int> difficulty;
    std::optional<int> tunnelLength;
    std::optional<int> displayMode;
    std::optional<unsigned> seed;
    bool noRecords = false;
    bool fullResolution = false;
    bool noGhost = false;
    bool daily = false;
    std::string replayPath;
    std::string verifyPath;
    std::string submitPath;
    std::string boardUrl; // checked; empty: board.txt's
    bool noBoard = false;
    EGhost ghost = EGhost::Own;
};
