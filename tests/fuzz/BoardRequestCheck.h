#pragma once

// What must hold for any request the board reads: the input's lines are a name, an
// Authorization header, a page and a world's three numbers. A submission taken has a name of 1
// to 16 letters, digits, - or _, its key is that name in lower case and its token's hash is 64
// hex digits; a refusal is 400 or 401 with a reason of printable text; a page is 0 or 1 to the
// last; a world taken has a seed the game can make.
#include "base/PlayerName.h"
#include "board/BoardRequest.h"
#include "world/Tunnel.h"

#include <string>
#include <vector>

inline std::vector<std::string> BoardRequestFields(const std::string& input) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (fields.size() < 6) {
        const std::size_t end = input.find('\n', start);
        fields.push_back(
            input.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    fields.resize(6);
    return fields;
}

inline bool BoardRequestIsReadSoundly(const std::string& input) {
    const std::vector<std::string> field = BoardRequestFields(input);
    CBoardRequest::SSubmission submission;
    int status = 0;
    std::string problem;
    if (CBoardRequest::ReadSubmission(field[0], field[1], submission, status, problem)) {
        std::string nameProblem;
        if (!CPlayerName::IsValid(submission.name, nameProblem) ||
            submission.nameKey != CPlayerName::Key(field[0]) || submission.tokenHash.size() != 64 ||
            submission.tokenHash.find_first_not_of("0123456789abcdef") != std::string::npos) {
            return false;
        }
        for (const char c : submission.nameKey) {
            if (c >= 'A' && c <= 'Z') {
                return false;
            }
        }
    } else {
        if ((status != 400 && status != 401) || problem.empty()) {
            return false;
        }
        for (const char c : problem) {
            if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7e) {
                return false;
            }
        }
    }
    const int page = CBoardRequest::ReadPage(true, field[2]);
    if (page < 0 || page > CBoardRequest::kLastPage) {
        return false;
    }
    const std::vector<std::string> numbers =
        BoardRequestFields(field[3] + "\n" + field[4] + "\n" + field[5]);
    CBoardStore::SWorld world;
    if (CBoardRequest::ReadWorld(numbers[0], numbers[1], numbers[2], world) &&
        (world.seed > static_cast<unsigned>(CTunnel::kMaximumSeed) || world.nodes < 0)) {
        return false;
    }
    return true;
}
