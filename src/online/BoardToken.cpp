#include "online/BoardToken.h"

#include "base/AtomicFile.h"
#include "base/PlayerName.h"
#include "base/SmallFile.h"
#include "online/BoardOrigin.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// How to mend a file that holds no usable token. Removing it makes new tokens, which the boards
// do not know: the names then have to be claimed anew, so the line says so.
std::string RemoveIt(const std::string& path) {
    return "; rm " + path +
           " makes new tokens, and your names on the boards must then be claimed anew; no run "
           "is sent until then";
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string DamagedLine(const std::string& path, std::size_t number) {
    return path + ":" + std::to_string(number) +
           ": damaged (a line is a board's origin, such as https://board.example.org:443, and "
           "its token of " +
           std::to_string(CPlayerName::kShortestToken) + " to " +
           std::to_string(CPlayerName::kLongestToken) +
           " letters, digits, -, _, +, / or =; each board once)" + RemoveIt(path);
}

bool IsOrigin(const std::string& text) {
    CBoardOrigin origin;
    std::string problem;
    return CBoardOrigin::Parse(text, origin, problem) && origin.ToString() == text;
}

// Held while the file is read and rewritten, so that two games starting at once never lose a
// token one of them has just made. Closing the directory releases it.
struct SDirectoryLock {
    explicit SDirectoryLock(const std::string& directory)
        : descriptor(open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        while (descriptor >= 0 && flock(descriptor, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~SDirectoryLock() {
        if (descriptor >= 0) {
            close(descriptor);
        }
    }
    SDirectoryLock(const SDirectoryLock&) = delete;
    SDirectoryLock& operator=(const SDirectoryLock&) = delete;

    const int descriptor;
};

} // namespace

bool CBoardToken::Obtain(const std::string& configDirectory, const std::string& boardUrl,
                         const std::string& fileUrl, std::string& token, std::string& problem) {
    token.clear();
    if (configDirectory.empty()) {
        problem = "no config directory for the board token: neither XDG_CONFIG_HOME nor HOME is "
                  "an absolute path; no run is sent";
        return false;
    }
    CBoardOrigin board;
    if (!CBoardOrigin::Parse(boardUrl, board, problem)) {
        problem = "no board token for " + boardUrl + " (" + problem + "); no run is sent";
        return false;
    }
    std::string error;
    if (!CAtomicFile::MakeDirectories(configDirectory, error)) {
        problem =
            "cant make " + configDirectory + " for the board token (" + error + "); no run is sent";
        return false;
    }
    const std::string path = configDirectory + "/" + kFileName;
    const SDirectoryLock lock(configDirectory);
    Tokens tokens;
    if (!Read(path, tokens, problem)) {
        return false;
    }
    const std::string origin = board.ToString();
    bool changed = BindOldToken(tokens, fileUrl, origin);
    const auto mine = std::find_if(tokens.begin(), tokens.end(),
                                   [&origin](const auto& line) { return line.first == origin; });
    const std::size_t index = static_cast<std::size_t>(mine - tokens.begin());
    if (mine == tokens.end()) {
        std::string made;
        if (!RandomToken(made, problem)) {
            return false;
        }
        tokens.emplace_back(origin, made);
        changed = true;
    }
    if (changed && !Write(path, tokens, problem)) {
        return false;
    }
    token = tokens[index].second;
    return true;
}

bool CBoardToken::BindOldToken(Tokens& tokens, const std::string& fileUrl,
                               const std::string& origin) {
    if (tokens.size() != 1 || !tokens[0].first.empty()) {
        return false;
    }
    CBoardOrigin named;
    std::string problem;
    tokens[0].first = CBoardOrigin::Parse(fileUrl, named, problem) ? named.ToString() : origin;
    return true;
}

bool CBoardToken::Read(const std::string& path, Tokens& tokens, std::string& problem) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        if (errno == ENOENT) {
            return true; // no token made yet
        }
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
    return ReadLines(path, text, tokens, problem);
}

bool CBoardToken::ReadLines(const std::string& path, const std::string& text, Tokens& tokens,
                            std::string& problem) {
    std::vector<std::string> lines = Lines(text);
    if (lines.size() == 1 && CPlayerName::IsValidToken(lines[0])) {
        tokens.emplace_back("", lines[0]); // the file of a game before one token per board
        return true;
    }
    if (lines.empty()) {
        lines.emplace_back(); // an empty file is a damaged first line
    }
    for (std::size_t index = 0; index < lines.size(); ++index) {
        const std::size_t blank = lines[index].find(' ');
        const std::string origin = lines[index].substr(0, blank);
        const std::string token = blank == std::string::npos ? "" : lines[index].substr(blank + 1);
        const bool repeated =
            std::any_of(tokens.begin(), tokens.end(),
                        [&origin](const auto& earlier) { return earlier.first == origin; });
        if (!IsOrigin(origin) || repeated || !CPlayerName::IsValidToken(token)) {
            problem = DamagedLine(path, index + 1);
            tokens.clear();
            return false;
        }
        tokens.emplace_back(origin, token);
    }
    return true;
}

bool CBoardToken::Write(const std::string& path, const Tokens& tokens, std::string& problem) {
    std::string text;
    for (const auto& [origin, token] : tokens) {
        text += origin + " " + token + "\n";
    }
    std::string error;
    // Replace, under the directory's lock: the tokens of other boards are in the text.
    if (!CAtomicFile::Replace(path, text, error, 0600)) {
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
