#include "base/SettingsFile.h"

#include "base/AtomicFile.h"
#include "base/SmallFile.h"

#include <sstream>
#include <strings.h>

bool CSettingsFile::Read(const std::string& path, std::size_t largest, const std::string& noFile,
                         const std::string& consequence, std::string& text,
                         std::vector<std::string>& problems) {
    if (path.empty()) {
        return false;
    }
    std::string error;
    switch (CSmallFile::Read(path, largest, text, error)) {
    case CSmallFile::ERead::Missing:
        return false;
    case CSmallFile::ERead::TooLarge:
        problems.push_back(path + ": larger than " + std::to_string(largest / 1024) + " KiB, so " +
                           noFile + "; " + consequence);
        return false;
    case CSmallFile::ERead::Failed:
        problems.push_back(path + ": cant read it (" + error + "); " + consequence);
        return false;
    case CSmallFile::ERead::Read:
        break;
    }
    return true;
}

void CSettingsFile::ReadLines(const std::string& text, const std::string& path,
                              std::size_t longestLine, const LineReader& readLine,
                              std::vector<std::string>& problems) {
    int lineNumber = 0;
    int bad = 0;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        ++lineNumber;
        std::string problem;
        if (end - start > longestLine) {
            problem = "longer than " + std::to_string(longestLine) + " characters";
        }
        if ((!problem.empty() || !readLine(lineNumber, text.substr(start, end - start), problem)) &&
            ++bad <= kProblemsShown) {
            problems.push_back(path + ":" + std::to_string(lineNumber) + ": " + problem +
                               "; the line is ignored");
        }
        start = end + 1;
    }
    if (bad > kProblemsShown) {
        problems.push_back(path + ": " + std::to_string(bad - kProblemsShown) + " more bad lines");
    }
}

bool CSettingsFile::IsText(const std::string& line) {
    for (const char c : line) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 || byte > 0x7e) && c != '\t') {
            return false;
        }
    }
    return true;
}

std::vector<std::string> CSettingsFile::Words(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

bool CSettingsFile::Save(const std::string& path, const SKind& kind,
                         const std::vector<SSetting>& settings, std::string& problem) {
    problem.clear();
    std::string text;
    std::string error;
    switch (CSmallFile::Read(path, kind.largest, text, error)) {
    case CSmallFile::ERead::Missing:
        text.clear();
        break;
    case CSmallFile::ERead::Failed:
        problem = path + ": cant read it (" + error + "), so it is not replaced";
        return false;
    case CSmallFile::ERead::TooLarge: {
        const std::string size = "larger than " + std::to_string(kind.largest / 1024) + " KiB";
        std::string movedTo;
        if (!CAtomicFile::SetAside(path, movedTo, error)) {
            problem = path + ": " + size + " and cant move it aside (" + error + "); not saved";
            return false;
        }
        problem = path + ": " + size + ", so moved it to " + movedTo + " and wrote a new one";
        text.clear();
        break;
    }
    case CSmallFile::ERead::Read:
        break;
    }
    const std::string::size_type slash = path.rfind('/');
    if ((slash != std::string::npos && slash > 0 &&
         !CAtomicFile::MakeDirectories(path.substr(0, slash), error)) ||
        !CAtomicFile::Replace(path, Edit(text.empty() ? kind.header : text, settings, kind.anyCase),
                              error)) {
        problem = "cant write " + path + " (" + error + ")";
        return false;
    }
    return true;
}

std::string CSettingsFile::Edit(const std::string& text, const std::vector<SSetting>& settings,
                                bool anyCase) {
    std::vector<bool> done(settings.size(), false);
    std::string edited;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        const int index = SettingOf(line, settings, anyCase);
        if (index < 0) {
            edited += line + "\n";
            continue;
        }
        const SSetting& setting = settings[static_cast<std::size_t>(index)];
        if (!done[static_cast<std::size_t>(index)] && !setting.value.empty()) {
            edited += Replaced(line, setting) + "\n";
        }
        done[static_cast<std::size_t>(index)] = true;
    }
    for (std::size_t index = 0; index < settings.size(); ++index) {
        if (!done[index] && !settings[index].value.empty()) {
            edited += settings[index].name + " " + settings[index].value + "\n";
        }
    }
    return edited;
}

int CSettingsFile::SettingOf(const std::string& line, const std::vector<SSetting>& settings,
                             bool anyCase) {
    const std::vector<std::string> words = Words(line.substr(0, line.find('#')));
    for (std::size_t index = 0; !words.empty() && index < settings.size(); ++index) {
        const std::string& name = settings[index].name;
        if (anyCase ? strcasecmp(words[0].c_str(), name.c_str()) == 0 : words[0] == name) {
            return static_cast<int>(index);
        }
    }
    return -1;
}

std::string CSettingsFile::Replaced(const std::string& line, const SSetting& setting) {
    const bool windowsLineEnd = !line.empty() && line.back() == '\r'; // kept as the file had it
    const std::string body = line.substr(0, line.size() - (windowsLineEnd ? 1 : 0));
    const std::string::size_type comment = body.find('#');
    return setting.name + " " + setting.value +
           (comment == std::string::npos ? "" : " " + body.substr(comment)) +
           (windowsLineEnd ? "\r" : "");
}

bool CSettingsFile::LineWords(const std::string& line, std::vector<std::string>& words,
                              std::string& problem) {
    std::string content = line.substr(0, line.find('#'));
    if (!content.empty() && content.back() == '\r') {
        content.pop_back(); // a file from Windows
    }
    if (!IsText(content)) {
        problem = "not text: a character that is neither printable ASCII nor a tab";
        return false;
    }
    words = Words(content);
    return true;
}
