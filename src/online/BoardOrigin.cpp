#include "online/BoardOrigin.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

bool IsHostCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '-';
}

bool IsDigits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// A decimal number of 0 to 255 as an address is written: no sign, no leading zero, which some
// readers take for octal.
bool IsAddressByte(const std::string& text) {
    return IsDigits(text) && text.size() <= 3 && (text.size() == 1 || text[0] != '0') &&
           std::atoi(text.c_str()) <= 255;
}

bool IsLoopbackAddress(const std::string& host) {
    std::string parts[4];
    std::size_t start = 0;
    for (int part = 0; part < 4; ++part) {
        const std::size_t dot = host.find('.', start);
        if ((part < 3) == (dot == std::string::npos)) {
            return false; // three dots, no more and no fewer
        }
        parts[part] = host.substr(start, dot == std::string::npos ? dot : dot - start);
        start = dot + 1;
    }
    return parts[0] == "127" && std::all_of(parts, parts + 4, IsAddressByte);
}

} // namespace

bool CBoardOrigin::Parse(const std::string& url, CBoardOrigin& origin, std::string& problem) {
    const std::size_t schemeEnd = url.find("://");
    origin.scheme = url.substr(0, schemeEnd);
    if (schemeEnd == std::string::npos || (origin.scheme != "http" && origin.scheme != "https")) {
        problem = "a board's URL starts with https:// (or http:// for one on this machine)";
        return false;
    }
    const std::size_t hostStart = schemeEnd + 3;
    return origin.ReadAuthority(url.substr(hostStart, url.find('/', hostStart) - hostStart),
                                problem);
}

// "host", "host:port", "[v6]" or "[v6]:port".
bool CBoardOrigin::ReadAuthority(const std::string& authority, std::string& problem) {
    std::string rest;
    if (authority.compare(0, 1, "[") == 0) {
        const std::size_t close = authority.find(']');
        host = authority.substr(0, close == std::string::npos ? 0 : close + 1);
        rest = close == std::string::npos ? "" : authority.substr(close + 1);
        if (host.size() < 3 ||
            host.find_first_not_of("0123456789abcdefABCDEF:.", 1) + 1 != host.size()) {
            problem = "a bracketed host is an IPv6 address";
            return false;
        }
    } else {
        const std::size_t colon = authority.find(':');
        host = authority.substr(0, colon);
        rest = colon == std::string::npos ? "" : authority.substr(colon);
        if (host.empty() || !std::all_of(host.begin(), host.end(), IsHostCharacter)) {
            problem = "no host after the scheme";
            return false;
        }
    }
    std::transform(host.begin(), host.end(), host.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (rest.empty()) {
        port = IsSecure() ? 443 : 80;
        return true;
    }
    const std::string digits = rest.substr(1);
    port = IsDigits(digits) && digits.size() <= 5 ? std::atoi(digits.c_str()) : 0;
    if (rest[0] != ':' || port < 1 || port > 65535) {
        problem = "a port is 1 to 65535";
        return false;
    }
    return true;
}

bool CBoardOrigin::IsThisMachine() const {
    return host == "localhost" || host == "[::1]" || IsLoopbackAddress(host);
}

std::string CBoardOrigin::ToString() const {
    return scheme + "://" + host + ":" + std::to_string(port);
}
