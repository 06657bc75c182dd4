#pragma once

#include <cstddef>
#include <string>

// SHA-256 as 64 lower-case hex digits: a run's identity (of its bytes), a token's hash.
class CSha256 {
public:
    static std::string Hex(const std::string& bytes);
    static std::string ToHex(const unsigned char* bytes, std::size_t size); // lower case
};
