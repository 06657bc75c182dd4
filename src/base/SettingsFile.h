#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// A small settings file of the player's (keys.txt, board.txt): read whole, one setting a line,
// each bad line named as "path:line: what is wrong; the line is ignored", the first
// kProblemsShown of them in full and the rest counted in one more line.
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

    using LineReader =
        std::function<bool(int number, const std::string& line, std::string& problem)>;
    static void ReadLines(const std::string& text, const std::string& path, std::size_t longestLine,
                          const LineReader& readLine, std::vector<std::string>& problems);
};
