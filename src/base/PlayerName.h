#pragma once

#include <cstddef>
#include <string>

// A player on the board: a name of 1 to 16 letters, digits, '-' or '_', the same name whatever
// its case, and a secret token the client made, of which the board keeps only a hash. The game
// and the board read these rules from here, so a name the game sends is one the board takes.
class CPlayerName {
public:
    static constexpr std::size_t kLongestName = 16;
    static constexpr std::size_t kShortestToken = 22; // 128 bits in base64, 32 in hex
    static constexpr std::size_t kLongestToken = 128;
    static constexpr std::size_t kTokenBits = 128;    // the least a token must carry
    static constexpr std::size_t kFewestDistinct = 8; // characters; fewer is no random token

    // False, with why in a few words, for a name the board does not take.
    static bool IsValid(const std::string& name, std::string& problem);
    static std::string Key(const std::string& name); // folded to lower case
    // A token of kShortestToken to kLongestToken letters, digits, '-', '_', '+', '/' or '=',
    // of at least kTokenBits (4 bits a hex digit, 6 any other) and kFewestDistinct characters.
    static bool IsValidToken(const std::string& token);
};
