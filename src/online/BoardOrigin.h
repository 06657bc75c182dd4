#pragma once

#include <string>

// Where a board lives as far as its token is concerned: scheme, host and port. The port is
// always written and the host folded to lower case, so that https://Board.example.org/ and
// https://board.example.org:443/zelkora are one origin, "https://board.example.org:443". A
// token goes to the origin it was made for and to no other.
class CBoardOrigin {
public:
    // The origin of an http:// or https:// URL whose host is a name, an IPv4 address or an
    // IPv6 address in brackets, with a port of 1 to 65535 or none (80 and 443 then). The URL's
    // path is no part of it. False with why in a few words.
    static bool Parse(const std::string& url, CBoardOrigin& origin, std::string& problem);

    bool IsSecure() const { return scheme == "https"; }
    // localhost, [::1], or 127.0.0.0/8 written as four decimal numbers: a host whose traffic
    // never leaves this machine, whatever a name server says.
    bool IsThisMachine() const;
    const std::string& GetHost() const { return host; } // lower case; IPv6 in its brackets
    int GetPort() const { return port; }
    std::string ToString() const; // "https://board.example.org:443"

private:
    bool ReadAuthority(const std::string& authority, std::string& problem);

    std::string scheme; // "http" or "https"
    std::string host;
    int port = 0;
};
