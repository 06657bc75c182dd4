#include "app/BoardSettings.h"

#include "base/PlayerName.h"
#include "base/SettingsFile.h"

#include <cstdlib>

namespace {

constexpr std::size_t kLongestLine = 1000; // longer is no line of board.txt

bool StartsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

bool IsHostCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '-';
}

// The host of "host", "host:port", "[v6]" or "[v6]:port"; false for anything else.
bool SplitHost(const std::string& authority, std::string& host, std::string& problem) {
    std::string rest;
    if (StartsWith(authority, "[")) {
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
        bool named = !host.empty();
        for (const char c : host) {
            named = named && IsHostCharacter(c);
        }
        if (!named) {
            problem = "no host after the scheme";
            return false;
        }
    }
    if (rest.empty()) {
        return true;
    }
    const std::string port = rest.substr(1);
    if (rest[0] != ':' || port.empty() || port.size() > 5 ||
        port.find_first_not_of("0123456789") != std::string::npos || std::atol(port.c_str()) < 1 ||
        std::atol(port.c_str()) > 65535) {
        problem = "a port is 1 to 65535";
        return false;
    }
    return true;
}

bool IsThisMachine(const std::string& host) {
    return host == "localhost" || host == "[::1]" || StartsWith(host, "127.");
}

} // namespace

CBoardSettings CBoardSettings::Load(const std::string& path, std::vector<std::string>& problems) {
    std::string text;
    if (!CSettingsFile::Read(path, kLargestFile, "no board.txt", "no runs are sent", text,
                             problems)) {
        return CBoardSettings();
    }
    return Parse(text, path, problems);
}

CBoardSettings CBoardSettings::Parse(const std::string& text, const std::string& path,
                                     std::vector<std::string>& problems) {
    CBoardSettings settings;
    const auto readLine = [&settings](int number, const std::string& line, std::string& problem) {
        return settings.ReadLine(line, number, problem);
    };
    CSettingsFile::ReadLines(text, path, kLongestLine, readLine, problems);
    std::string missing;
    if (settings.IsSet() && !settings.CanSend(missing)) {
        problems.push_back(path + ": " + missing);
    }
    return settings;
}

bool CBoardSettings::ReadLine(const std::string& line, int lineNumber, std::string& problem) {
    std::string content = line.substr(0, line.find('#'));
    if (!content.empty() && content.back() == '\r') {
        content.pop_back(); // a file from Windows
    }
    if (!CSettingsFile::IsText(content)) {
        problem = "not text: a character that is neither printable ASCII nor a tab";
        return false;
    }
    const std::vector<std::string> words = CSettingsFile::Words(content);
    if (words.empty()) {
        return true; // blank, or a comment
    }
    const std::string& setting = words[0];
    if (setting != "url" && setting != "name") {
        problem = "unknown setting \"" + setting + "\" (url or name)";
        return false;
    }
    if (words.size() != 2) {
        problem = setting + (words.size() == 1 ? " needs a value" : " takes one value");
        return false;
    }
    if (setting == "url" ? !CheckUrl(words[1], problem)
                         : !CPlayerName::IsValid(words[1], problem)) {
        return false;
    }
    int& setOn = setting == "url" ? urlLine : nameLine;
    if (setOn != 0) {
        problem = setting + " is set on line " + std::to_string(setOn) + " already";
        return false;
    }
    setOn = lineNumber;
    if (setting == "url") {
        SetUrl(words[1]);
    } else {
        name = words[1];
    }
    return true;
}

bool CBoardSettings::CheckUrl(const std::string& url, std::string& problem) {
    const bool secure = StartsWith(url, "https://");
    if (!secure && !StartsWith(url, "http://")) {
        problem = "a board's URL starts with https:// (or http:// for one on this machine)";
        return false;
    }
    if (!CSettingsFile::IsText(url) || url.find_first_of(" \t@?#") != std::string::npos) {
        problem = "a board's URL holds no blanks, user, query or fragment";
        return false;
    }
    const std::size_t hostStart = secure ? 8 : 7;
    const std::string authority = url.substr(hostStart, url.find('/', hostStart) - hostStart);
    std::string host;
    if (!SplitHost(authority, host, problem)) {
        return false;
    }
    if (!secure && !IsThisMachine(host)) {
        problem = "http:// is for a board on this machine only (the token would cross the "
                  "network in clear); use https://";
        return false;
    }
    return true;
}

void CBoardSettings::SetUrl(const std::string& checkedUrl) {
    url = checkedUrl;
    while (!url.empty() && url.back() == '/') {
        url.pop_back(); // the paths of the board's answers are joined on with their own '/'
    }
}

void CBoardSettings::TurnOff() {
    url.clear();
}

bool CBoardSettings::CanSend(std::string& problem) const {
    if (!IsSet()) {
        problem = "no board: board.txt names none (url URL), nor does --board";
        return false;
    }
    if (name.empty()) {
        problem = "a board but no name: runs are not sent until board.txt says name NAME";
        return false;
    }
    return true;
}
