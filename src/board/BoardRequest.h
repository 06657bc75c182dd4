#pragma once

#include "board/BoardStore.h"

#include <string>
#include <vector>

// What a request to the board says, read without trusting a byte of it: the player and token
// of a submission, a page number, a world in a path.
class CBoardRequest {
public:
    static constexpr int kLastPage = 100000; // a larger page number is refused

    struct SSubmission {
        std::string name;      // as written: "Ann"
        std::string nameKey;   // folded: "ann"
        std::string tokenHash; // hex SHA-256 of the token
    };

    // name: the query's; authorization: the header, "Bearer <token>". False with the status
    // (400 a bad name, 401 no usable token) and a reason of a few words.
    static bool ReadSubmission(const std::string& name, const std::string& authorization,
                               SSubmission& submission, int& status, std::string& problem);
    // The page asked for: 1 when none is; 0 for anything but a number from 1 to kLastPage.
    static int ReadPage(bool given, const std::string& text);
    // An IPv4 or IPv6 address as text, nothing else (no name, no port).
    static bool IsAddress(const std::string& text);
    // The player's address: the connection's, unless it comes from a trusted proxy; then the
    // last address in X-Forwarded-For that no trusted proxy added (each proxy appends the
    // address it saw, so what a client wrote itself stays to the left of it).
    static std::string ClientAddress(const std::string& socketAddress,
                                     const std::string& forwardedFor,
                                     const std::vector<std::string>& trustedProxies);
    // Whole numbers as the path gives them; false for a seed outside the game's or a number
    // that does not fit.
    static bool ReadWorld(const std::string& difficulty, const std::string& nodes,
                          const std::string& seed, CBoardStore::SWorld& world);
};
