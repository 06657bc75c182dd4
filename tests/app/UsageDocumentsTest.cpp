#include "app/CommandLine.h"
#include "app/KeyBindings.h"

#include "FileBytes.h"

#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

// The README and the manual page repeat the usage's options, ranges and keys for readers; these
// tests keep them in step with the tables the game itself reads.

namespace {

const std::string kReadme = std::string(ZELKORA_SOURCE_DIR) + "/README.md";
const std::string kManualPage = std::string(ZELKORA_SOURCE_DIR) + "/packaging/zelkora.6";

// The lines from the heading that starts with `heading` to the next heading of that kind.
std::vector<std::string> Section(const std::string& path, const std::string& heading,
                                 const std::string& headingMark) {
    std::istringstream text(ReadFileBytes(path));
    std::vector<std::string> lines;
    bool inside = false;
    for (std::string line; std::getline(text, line);) {
        if (line.compare(0, headingMark.size(), headingMark) == 0) {
            inside = line.compare(0, heading.size(), heading) == 0;
        } else if (inside) {
            lines.push_back(line);
        }
    }
    return lines;
}

// Words separated by single blanks, without punctuation, padded with one blank on each side, so
// that " F1 " is not found in " F12 " nor " k " in " keys ", and "1000;" is the number 1000.
std::string Words(const std::string& text) {
    std::string words = " ";
    for (const char letter : text) {
        const bool blank = std::string(" \t\n,;:.()\"`|").find(letter) != std::string::npos;
        if (!blank) {
            words += letter;
        } else if (words.back() != ' ') {
            words += ' ';
        }
    }
    return words.back() == ' ' ? words : words + " ";
}

bool HasWords(const std::string& text, const std::string& words) {
    return Words(text).find(Words(words)) != std::string::npos;
}

// A manual page line as it reads: "\-" is a hyphen.
std::string Unescaped(const std::string& line) {
    return std::regex_replace(line, std::regex("\\\\-"), "-");
}

// Each whole number written in the text.
std::vector<std::string> NumbersIn(const std::string& text) {
    std::vector<std::string> numbers;
    const std::regex number("\\b\\d+\\b");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), number);
         it != std::sregex_iterator(); ++it) {
        numbers.push_back(it->str());
    }
    return numbers;
}

// "y or z" -> {"y", "z"}, "arrow keys, d e f g" -> {"arrow keys", "d e f g"}.
std::vector<std::string> KeysOf(const CKeyBindings::SHelpLine& entry) {
    const std::string keys = std::regex_replace(entry.keys, std::regex(" or "), ", ");
    std::vector<std::string> names;
    std::size_t start = 0;
    for (std::size_t comma; (comma = keys.find(", ", start)) != std::string::npos;
         start = comma + 2) {
        names.push_back(keys.substr(start, comma - start));
    }
    names.push_back(keys.substr(start));
    return names;
}

// The first cell of each row of the README's tables in a section.
std::vector<std::string> FirstCells(const std::vector<std::string>& lines) {
    std::vector<std::string> cells;
    for (const std::string& line : lines) {
        if (line.compare(0, 2, "| ") == 0) {
            cells.push_back(line.substr(2, line.find(" |", 2) - 2));
        }
    }
    return cells;
}

// The manual page's entries in a section: the .B line that names them, and the lines of text
// up to the next entry or paragraph.
struct SManualEntry {
    std::string names;
    std::string text;
};

std::vector<SManualEntry> ManualEntries(const std::vector<std::string>& lines) {
    std::vector<SManualEntry> entries;
    bool named = false;
    for (const std::string& line : lines) {
        if (line == ".TP") {
            named = false;
        } else if (!named && line.compare(0, 2, ".B") == 0) {
            entries.push_back({Unescaped(line.substr(line.find(' ') + 1)), ""});
            named = true;
        } else if (named && !entries.empty()) {
            entries.back().text += Unescaped(line) + "\n";
        }
    }
    return entries;
}

// The last item that matches, or null: a README row or a manual page entry.
template <typename Item, typename Matches>
const Item* LastMatching(const std::vector<Item>& items, Matches matches) {
    const Item* found = nullptr;
    for (const Item& item : items) {
        if (matches(item)) {
            found = &item;
        }
    }
    return found;
}

} // namespace

TEST(UsageDocuments, ReadmeAndManualPageGiveEveryOptionWithTheNumbersOfItsUsage) {
    const std::vector<std::string> readme = Section(kReadme, "## Command line", "## ");
    const std::vector<SManualEntry> manual =
        ManualEntries(Section(kManualPage, ".SH OPTIONS", ".SH "));
    ASSERT_FALSE(readme.empty()) << kReadme;
    ASSERT_FALSE(manual.empty()) << kManualPage;
    for (const CCommandLine::SOptionHelp& option : CCommandLine::GetOptionHelp()) {
        const std::string written = "`" + option.Written() + "`";
        const std::string* row = LastMatching(readme, [&](const std::string& line) {
            return line.compare(0, 2, "| ") == 0 && line.find(written) != std::string::npos;
        });
        const SManualEntry* entry = LastMatching(manual, [&](const SManualEntry& candidate) {
            return HasWords(candidate.names, option.Written());
        });
        ASSERT_NE(row, nullptr) << "the README's command line table lacks " << written;
        ASSERT_NE(entry, nullptr) << "the manual page's OPTIONS lack " << option.Written();
        for (const std::string& number : NumbersIn(option.help)) {
            EXPECT_TRUE(HasWords(*row, number))
                << "the README's row for " << option.name << " lacks " << number;
            EXPECT_TRUE(HasWords(entry->text, number))
                << "the manual page's entry for " << option.name << " lacks " << number;
        }
    }
}

TEST(UsageDocuments, ReadmeAndManualPageGiveEveryKey) {
    const std::vector<std::string> readme = FirstCells(Section(kReadme, "## Keys", "## "));
    const std::vector<SManualEntry> manual =
        ManualEntries(Section(kManualPage, ".SH KEYS", ".SH "));
    ASSERT_FALSE(readme.empty()) << kReadme;
    ASSERT_FALSE(manual.empty()) << kManualPage;
    for (const CKeyBindings::SHelpLine& entry : CKeyBindings::HelpLines()) {
        for (const std::string& key : KeysOf(entry)) {
            bool inReadme = false;
            for (const std::string& cell : readme) {
                inReadme = inReadme || HasWords(cell, key);
            }
            bool inManual = false;
            for (const SManualEntry& candidate : manual) {
                inManual = inManual || HasWords(candidate.names, key);
            }
            EXPECT_TRUE(inReadme) << "the README's key table lacks " << key;
            EXPECT_TRUE(inManual) << "the manual page's KEYS lack " << key;
        }
    }
}

// keys.txt's commands: each in the README's table and the manual page's KEY FILE, with every
// one of its default keys beside it.
TEST(UsageDocuments, ReadmeAndManualPageGiveEveryCommandOfTheKeyFileWithItsDefaultKeys) {
    const std::vector<std::string> readme = Section(kReadme, "## Keys of your own", "## ");
    const std::vector<SManualEntry> manual =
        ManualEntries(Section(kManualPage, ".SH KEY FILE", ".SH "));
    ASSERT_FALSE(readme.empty()) << kReadme;
    ASSERT_FALSE(manual.empty()) << kManualPage;
    for (const CKeyBindings::SCommandRow& command : CKeyBindings::CommandTable()) {
        const std::string cell = std::string("| `") + command.name + "` | ";
        const std::string* row = LastMatching(readme, [&](const std::string& line) {
            return line.compare(0, cell.size(), cell) == 0;
        });
        const SManualEntry* entry = LastMatching(
            manual, [&](const SManualEntry& candidate) { return candidate.names == command.name; });
        ASSERT_NE(row, nullptr) << "the README's keys.txt table lacks " << command.name;
        ASSERT_NE(entry, nullptr) << "the manual page's KEY FILE lacks " << command.name;
        EXPECT_EQ(Words(row->substr(cell.size())), Words(command.defaultKeys))
            << "the README's keys for " << command.name;
        EXPECT_EQ(Words(entry->text), Words(command.defaultKeys))
            << "the manual page's keys for " << command.name;
    }
}
