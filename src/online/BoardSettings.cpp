#include "online/BoardSettings.h"

#include "base/PlayerName.h"
#include "base/SettingsFile.h"
#include "online/BoardOrigin.h"

namespace {

constexpr std::size_t kLongestLine = 1000; // longer is no line of board.txt

const char* const kHeader = "# Where your runs go: url URL (the board), name NAME (yours on it).\n";

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
    std::vector<std::string> words;
    if (!CSettingsFile::LineWords(line, words, problem)) {
        return false;
    }
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
        fileUrl = url;
    } else {
        name = words[1];
    }
    return true;
}

bool CBoardSettings::CheckUrl(const std::string& url, std::string& problem) {
    if (!CSettingsFile::IsText(url) || url.find_first_of(" \t@?#") != std::string::npos) {
        problem = "a board's URL holds no blanks, user, query or fragment";
        return false;
    }
    CBoardOrigin origin;
    if (!CBoardOrigin::Parse(url, origin, problem)) {
        return false;
    }
    if (!origin.IsSecure() && !origin.IsThisMachine()) {
        problem = "http:// is for a board on this machine only (the token would cross the "
                  "network in clear); use https://";
        return false;
    }
    return true;
}

bool CBoardSettings::Save(const std::string& path, const std::string& name, const std::string& url,
                          std::string& problem) {
    if ((!name.empty() && !CPlayerName::IsValid(name, problem)) ||
        (!url.empty() && !CheckUrl(url, problem))) {
        return false;
    }
    return CSettingsFile::Save(path, {kLargestFile, kHeader, false}, {{"url", url}, {"name", name}},
                               problem);
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
