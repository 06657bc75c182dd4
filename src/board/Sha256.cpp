#include "board/Sha256.h"

#include <cstdio>
#include <openssl/evp.h>

std::string CSha256::Hex(const std::string& bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr);
    return ToHex(digest, length);
}

std::string CSha256::ToHex(const unsigned char* bytes, std::size_t size) {
    std::string hex;
    for (std::size_t i = 0; i < size; ++i) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", bytes[i]);
        hex += pair;
    }
    return hex;
}
