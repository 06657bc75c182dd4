#include "base/SettingsFile.h"

#include "base/SmallFile.h"

#include <sstream>

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
