#pragma once

// What must hold for any bytes read as HTTP requests, one after another on one connection: the
// reader takes no more than it is given, keeps a body within its limit and the headers within
// theirs, refuses with a status it documents and a printable reason, and reads the same requests
// whether the bytes come whole or in pieces of any size.
#include "board/HttpRequestReader.h"

#include <algorithm>
#include <set>
#include <string>

// The requests read, a line each, from bytes given `piece` at a time (0: all at once), with limits
// small enough for short inputs to reach; sound turns false when something that must hold does not.
inline std::string ReadRequestsInPieces(const std::string& bytes, std::size_t piece, bool& sound) {
    static const std::set<int> kRefusals = {400, 413, 414, 415, 417, 431, 501};
    CHttpRequestReader::SLimits limits;
    limits.largestBody = 64;
    limits.largestHead = 256;
    limits.mostHeaders = 8;
    limits.refuseEncodedBodies = true;
    CHttpRequestReader reader(limits);
    std::string read;
    std::string pending; // given, not yet taken
    for (std::size_t given = 0; given < bytes.size() || !pending.empty();) {
        const std::size_t more = std::min(piece == 0 ? bytes.size() : piece, bytes.size() - given);
        pending.append(bytes, given, more);
        given += more;
        std::size_t used = 0;
        const CHttpRequestReader::EProgress progress = reader.Feed(pending, used);
        sound = sound && used <= pending.size();
        pending.erase(0, used);
        const CHttpRequestReader::SRequest& request = reader.GetRequest();
        if (progress == CHttpRequestReader::EProgress::Refused) {
            const std::string& problem = reader.GetProblem();
            sound = sound && kRefusals.count(reader.GetStatus()) > 0 && !problem.empty() &&
                    std::all_of(problem.begin(), problem.end(),
                                [](char c) { return c >= 0x20 && c < 0x7f; });
            return read + "refused " + std::to_string(reader.GetStatus()) + "\n";
        }
        if (progress == CHttpRequestReader::EProgress::Done) {
            sound = sound && request.body.size() <= limits.largestBody &&
                    request.headers.size() <= limits.mostHeaders;
            read += request.method + " " + request.path + " " +
                    std::to_string(request.params.size()) + " " + request.body +
                    (reader.KeepsAlive() ? " open\n" : " closed\n");
            reader.Reset();
        } else if (progress == CHttpRequestReader::EProgress::NeedMore) {
            sound = sound && pending.empty();
            if (given == bytes.size()) {
                break;
            }
        }
    }
    return read;
}

inline bool HttpRequestsAreReadSoundly(const std::string& input) {
    bool sound = true;
    const std::string whole = ReadRequestsInPieces(input, 0, sound);
    for (const std::size_t piece : {1, 2, 7}) {
        sound = ReadRequestsInPieces(input, piece, sound) == whole && sound;
    }
    return sound;
}
