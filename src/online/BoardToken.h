#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

// The player's secrets for the boards: whoever holds a board's token may send runs to it under
// the player's name. They live in board-token in the player's config directory, one line per
// board, its origin and its token ("https://board.example.org:443 TOKEN"), each made on first
// use from the system's random source; the file is readable by the player alone. A token goes
// to the board it was made for and nowhere else, so a board can never collect one to use on
// another. Tokens are never printed, and a token file that is damaged or open to others is
// never mended silently: a new token would lose the name, so the player is told how to mend it
// and no run goes until then.
//
// A file of one token without an origin, as games before one token per board wrote it, belongs
// to the board board.txt names; when board.txt names none, to the first board it is used with.
// The game rewrites such a file with that origin the first time it reads it.
class CBoardToken {
public:
    static constexpr std::size_t kRandomBytes = 32;         // 256 bits, 43 letters of base64url
    static constexpr std::size_t kLargestFile = 16 * 1024;  // larger is no token file
    static constexpr const char* kFileName = "board-token"; // in the config directory

    // The token for the board at boardUrl, from configDirectory/board-token, made (with the
    // file and the directory) when that board has none yet. boardUrl: a URL
    // CBoardSettings::CheckUrl took. fileUrl: the URL board.txt names, "" when none, which an
    // old one-token file is bound to. False with one line in problem, naming the file and how
    // to mend it, when there is no usable token; token is then empty.
    static bool Obtain(const std::string& configDirectory, const std::string& boardUrl,
                       const std::string& fileUrl, std::string& token, std::string& problem);

private:
    using Tokens = std::vector<std::pair<std::string, std::string>>; // origin, token; in file order

    // The file's tokens; a missing file has none. An old one-token file gives one token with
    // the origin "". False with problem when the file cannot serve.
    static bool Read(const std::string& path, Tokens& tokens, std::string& problem);
    // An old one-token file's token goes to board.txt's board, or to origin when board.txt
    // names none. False when tokens are no such file's.
    static bool BindOldToken(Tokens& tokens, const std::string& fileUrl, const std::string& origin);
    static bool ReadLines(const std::string& path, const std::string& text, Tokens& tokens,
                          std::string& problem);
    static bool Write(const std::string& path, const Tokens& tokens, std::string& problem);
    static bool RandomToken(std::string& token, std::string& problem);
};
