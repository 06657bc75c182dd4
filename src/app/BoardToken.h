#pragma once

#include <cstddef>
#include <string>

// The player's secret for the board: whoever holds it may send runs under the player's name.
// It lives in board-token in the player's config directory, made on first use from the
// system's random source and readable by the player alone. It is never printed, and a token
// file that is damaged or open to others is never mended silently: a new token would lose the
// name, so the player is told how to mend it and no run goes until then.
class CBoardToken {
public:
    static constexpr std::size_t kRandomBytes = 32;         // 256 bits, 43 letters of base64url
    static constexpr std::size_t kLargestFile = 1024;       // larger is no token file
    static constexpr const char* kFileName = "board-token"; // in the config directory

    // The token in configDirectory/board-token, made (with the directory) when missing. False
    // with one line in problem, naming the file and how to mend it, when there is no usable
    // token; token is then empty.
    static bool Obtain(const std::string& configDirectory, std::string& token,
                       std::string& problem);

private:
    static bool Read(const std::string& path, std::string& token, std::string& problem);
    static bool Make(const std::string& configDirectory, const std::string& path,
                     std::string& problem);
    static bool RandomToken(std::string& token, std::string& problem);
};
