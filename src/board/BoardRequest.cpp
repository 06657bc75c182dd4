#include "board/BoardRequest.h"

#include "base/PlayerName.h"
#include "board/Sha256.h"
#include "world/Tunnel.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstdlib>

namespace {

// A whole number of at most `digits` digits after an optional minus sign; false otherwise.
bool ReadWhole(const std::string& text, std::size_t digits, long long& value) {
    const std::size_t sign = !text.empty() && text[0] == '-' ? 1 : 0;
    if (text.size() <= sign || text.size() - sign > digits ||
        text.find_first_not_of("0123456789", sign) != std::string::npos) {
        return false;
    }
    errno = 0;
    value = std::strtoll(text.c_str(), nullptr, 10);
    return errno == 0;
}

bool IsTrusted(const std::string& address, const std::vector<std::string>& trustedProxies) {
    return std::find(trustedProxies.begin(), trustedProxies.end(), address) != trustedProxies.end();
}

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    return first == std::string::npos
               ? ""
               : text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

bool CBoardRequest::IsAddress(const std::string& text) {
    unsigned char parsed[sizeof(in6_addr)];
    return inet_pton(AF_INET, text.c_str(), parsed) == 1 ||
           inet_pton(AF_INET6, text.c_str(), parsed) == 1;
}

std::string CBoardRequest::ClientAddress(const std::string& socketAddress,
                                         const std::string& forwardedFor,
                                         const std::vector<std::string>& trustedProxies) {
    std::string address = socketAddress;
    std::size_t end = forwardedFor.size();
    while (IsTrusted(address, trustedProxies) && end != std::string::npos && end > 0) {
        const std::size_t comma = forwardedFor.rfind(',', end - 1);
        const std::size_t start = comma == std::string::npos ? 0 : comma + 1;
        const std::string hop = Trimmed(forwardedFor.substr(start, end - start));
        if (!IsAddress(hop)) {
            break; // not what a proxy writes: the last proxy's word stands
        }
        address = hop;
        end = comma;
    }
    return address;
}

bool CBoardRequest::ReadSubmission(const std::string& name, const std::string& authorization,
                                   SSubmission& submission, int& status, std::string& problem) {
    if (!CPlayerName::IsValid(name, problem)) {
        status = 400;
        return false;
    }
    const std::string bearer = "Bearer ";
    const std::string token = authorization.compare(0, bearer.size(), bearer) == 0
                                  ? authorization.substr(bearer.size())
                                  : std::string();
    if (!CPlayerName::IsValidToken(token)) {
        status = 401;
        problem = "a run needs the player's token: Authorization: Bearer <at least 128 random "
                  "bits>";
        return false;
    }
    submission.name = name;
    submission.nameKey = CPlayerName::Key(name);
    submission.tokenHash = CSha256::Hex(token);
    return true;
}

int CBoardRequest::ReadPage(bool given, const std::string& text) {
    long long page = 0;
    if (!given) {
        return 1;
    }
    return ReadWhole(text, 6, page) && page >= 1 && page <= kLastPage ? static_cast<int>(page) : 0;
}

bool CBoardRequest::ReadWorld(const std::string& difficulty, const std::string& nodes,
                              const std::string& seed, CBoardStore::SWorld& world) {
    long long values[3] = {};
    if (!ReadWhole(difficulty, 7, values[0]) || !ReadWhole(nodes, 7, values[1]) ||
        !ReadWhole(seed, 10, values[2]) || values[1] < 0 || values[2] < 0 ||
        values[2] > CTunnel::kMaximumSeed) {
        return false;
    }
    world = CBoardStore::SWorld{static_cast<int>(values[0]), static_cast<int>(values[1]),
                                static_cast<unsigned>(values[2])};
    return true;
}
