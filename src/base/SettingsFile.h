#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// A small settings file of the player's (keys.txt, board.txt, settings.txt): read whole, one
// setting a line, each bad line named as "path:line: what is wrong; the line is ignored", the
// first kProblemsShown of them in full and the rest counted in one more line. Written back by
// the game's menu so that the player's own lines and comments stay.
class CSettingsFile {
public:
    static constexpr int kProblemsShown = 20;

    // The file's text, or false: missing silently, else with one line on problems that ends
    // with what follows ("the default keys apply"). noFile names it: "no key file".
    static bool Read(const std::string& path, std::size_t largest, const std::string& noFile,
                     const std::string& consequence, std::string& text,
                     std::vector<std::string>& problems);

    // Hands each line (without its line end) to readLine with its number, 1 for the first; a
    // line longer than longestLine is bad unread. readLine gives false with what is wrong.
    // Printable ASCII and tabs only: quoting anything else back would send control bytes to the
    // terminal.
    static bool IsText(const std::string& line);
    static std::vector<std::string> Words(const std::string& line); // split at blanks
    // A line's words, without its '#' comment and a Windows line end; false with the problem
    // when it is no text. No words: a blank line or a comment.
    static bool LineWords(const std::string& line, std::vector<std::string>& words,
                          std::string& problem);

    using LineReader =
        std::function<bool(int number, const std::string& line, std::string& problem)>;
    static void ReadLines(const std::string& text, const std::string& path, std::size_t longestLine,
                          const LineReader& readLine, std::vector<std::string>& problems);

    // One setting to write: the name as the file spells it and the words after it; an empty
    // value takes the setting out of the file.
    struct SSetting {
        std::string name;
        std::string value;
    };
    struct SKind {
        std::size_t largest; // as Read takes it
        std::string header;  // comment lines ending in '\n' that a new file starts with
        bool anyCase;        // names match in any case (keys.txt's commands)
    };

    // Puts settings into the file at path (its directory made if need be) by Edit, written to a
    // temporary file renamed into place. False with one line when nothing was written: a file
    // that cannot be read is not replaced. A file larger than kind.largest, which no reading
    // takes, is moved aside (path.bad, see CAtomicFile::SetAside) and a new one written: true,
    // with problem saying where it went; otherwise problem is left empty.
    static bool Save(const std::string& path, const SKind& kind,
                     const std::vector<SSetting>& settings, std::string& problem);
    // The text with each setting's first line holding its new value in place (the line's
    // comment kept), its later lines gone, and a setting the text lacks added at the end. Every
    // other line, comments, blanks and lines no reader takes, stays as it was.
    static std::string Edit(const std::string& text, const std::vector<SSetting>& settings,
                            bool anyCase);

private:
    // The index of the setting a line sets (its first word before any '#'), or -1.
    static int SettingOf(const std::string& line, const std::vector<SSetting>& settings,
                         bool anyCase);
    static std::string Replaced(const std::string& line, const SSetting& setting);
};
