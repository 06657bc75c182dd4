#include "app/BoardToken.h"

#include "base/AtomicFile.h"
#include "base/PlayerName.h"
#include "base/SmallFile.h"

#include <cerrno>
#include <cstring>
#include <sys/random.h>
#include <sys/stat.h>

namespace {

// How to mend a file that holds no token. Removing it makes a new token, which the board does
// not know: the name then has to be claimed anew, so the line says so.
std::string RemoveIt(const std::string& path) {
    return "; rm " + path +
           " makes a new token, and the board's name must then be claimed anew; no run is sent "
           "until then";
}

} // namespace

bool CBoardToken::Obtain(const std::string& configDirectory, std::string& token,
                         std::string& problem) {
    token.clear();
    if (configDirectory.empty()) {
        problem = "no config directory for the board token: neither XDG_CONFIG_HOME nor HOME is "
                  "an absolute path; no run is sent";
        return false;
    }
    const std::string path = configDirectory + "/" + kFileName;
    struct stat status {};
    if (stat(path.c_str(), &status) != 0 && errno == ENOENT &&
        !Make(configDirectory, path, problem)) {
        return false;
    }
    return Read(path, token, problem);
}

bool CBoardToken::Read(const std::string& path, std::string& token, std::string& problem) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        problem = path + ": cant read it (" + std::strerror(errno) + "); no run is sent";
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        problem = path + ": not a regular file" + RemoveIt(path);
        return false;
    }
    if ((status.st_mode & 077) != 0) {
        problem = path + ": others than you may read or change it; chmod 600 " + path +
                  " (no run is sent until then)";
        return false;
    }
    std::string text;
    std::string error;
    switch (CSmallFile::Read(path, kLargestFile, text, error)) {
    case CSmallFile::ERead::Read:
        break;
    case CSmallFile::ERead::TooLarge:
        problem = path + ": larger than " + std::to_string(kLargestFile) + " bytes, so no token" +
                  RemoveIt(path);
        return false;
    default:
        problem =
            path + ": cant read it (" + (error.empty() ? "gone" : error) + "); no run is sent";
        return false;
    }
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    if (!CPlayerName::IsValidToken(text)) {
        problem = path + ": damaged (a token is one line of " +
                  std::to_string(CPlayerName::kShortestToken) + " to " +
                  std::to_string(CPlayerName::kLongestToken) +
                  " letters, digits, -, _, +, / or =)" + RemoveIt(path);
        return false;
    }
    token = text;
    return true;
}

bool CBoardToken::Make(const std::string& configDirectory, const std::string& path,
                       std::string& problem) {
    std::string token;
    std::string error;
    if (!RandomToken(token, problem)) {
        return false;
    }
    if (!CAtomicFile::MakeDirectories(configDirectory, error)) {
        problem =
            "cant make " + configDirectory + " for the board token (" + error + "); no run is sent";
        return false;
    }
    // CreateNew, not Replace: a token another game made at this moment is the one kept.
    if (CAtomicFile::CreateNew(path, token + "\n", error, 0600) == CAtomicFile::EResult::Failed) {
        problem = "cant write " + path + " (" + error + "); no run is sent";
        return false;
    }
    return true;
}

bool CBoardToken::RandomToken(std::string& token, std::string& problem) {
    unsigned char random[kRandomBytes];
    for (std::size_t done = 0; done < sizeof random;) {
        const ssize_t count = getrandom(random + done, sizeof random - done, 0);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            problem = std::string("no random bytes for a board token (") +
                      std::strerror(count < 0 ? errno : EIO) + "); no run is sent";
            return false;
        }
        done += static_cast<std::size_t>(count);
    }
    // base64url without padding: letters the board's token rules take, and safe in a header.
    static const char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    token.clear();
    unsigned bits = 0;
    int held = 0;
    for (const unsigned char byte : random) {
        bits = (bits << 8) | byte;
        held += 8;
        while (held >= 6) {
            held -= 6;
            token += kAlphabet[(bits >> held) & 63];
        }
    }
    if (held > 0) {
        token += kAlphabet[(bits << (6 - held)) & 63];
    }
    return true;
}
