#include "base/PlayerName.h"

#include <cctype>
#include <set>

namespace {

bool IsNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_';
}

} // namespace

bool CPlayerName::IsValid(const std::string& name, std::string& problem) {
    if (name.empty() || name.size() > kLongestName) {
        problem = "a name is 1 to " + std::to_string(kLongestName) + " characters";
        return false;
    }
    for (const char c : name) {
        if (!IsNameCharacter(c)) {
            problem = "a name is letters, digits, - and _ only";
            return false;
        }
    }
    return true;
}

std::string CPlayerName::Key(const std::string& name) {
    std::string key = name;
    for (char& c : key) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return key;
}

bool CPlayerName::IsValidToken(const std::string& token) {
    if (token.size() < kShortestToken || token.size() > kLongestToken) {
        return false;
    }
    bool hexOnly = true;
    std::set<char> distinct;
    for (const char c : token) {
        if (!IsNameCharacter(c) && c != '+' && c != '/' && c != '=') {
            return false;
        }
        hexOnly = hexOnly && std::isxdigit(static_cast<unsigned char>(c)) != 0;
        distinct.insert(c);
    }
    // Hex digits carry 4 bits each, the rest 6: a hex token needs more of them. A token of a
    // few letters repeated is no secret, however long.
    const std::size_t bitsEach = hexOnly ? 4 : 6;
    return token.size() * bitsEach >= kTokenBits && distinct.size() >= kFewestDistinct;
}
