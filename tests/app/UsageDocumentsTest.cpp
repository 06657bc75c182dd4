#include "app/CommandLine.h"
#include "settings/KeyBindings.h"

#include "FileBytes.h"

#include <algorithm>
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

// The lines from the heading to the next heading of that kind ("## Keys" is not "## Keys of
// your own").
std::vector<std::string> Section(const std::string& path, const std::string& heading,
                                 const std::string& headingMark) {
    std::istringstream text(ReadFileBytes(path));
    std::vector<std::string> lines;
    bool inside = false;
    for (std::string line; std::getline(text, line);) {
        if (line.compare(0, headingMark.size(), headingMark) == 0) {
            inside = line == heading;
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

// The cells of each row of the README's tables in a section, below their heading rows.
std::vector<std::vector<std::string>> TableRows(const std::vector<std::string>& lines) {
    std::vector<std::vector<std::string>> rows;
    bool belowHeading = false;
    for (const std::string& line : lines) {
        if (line.compare(0, 4, "|---") == 0) {
            belowHeading = true;
        } else if (line.compare(0, 2, "| ") != 0) {
            belowHeading = false;
        } else if (belowHeading) {
            std::vector<std::string> cells;
            for (std::size_t start = 2, bar; (bar = line.find(" |", start)) != std::string::npos;
                 start = bar + 3) {
                cells.push_back(line.substr(start, bar - start));
            }
            rows.push_back(cells);
        }
    }
    return rows;
}

// The manual page's entries in a section: the .B line after .TP that names them, and the lines
// of text up to the next entry or paragraph. The section's own text before them is no entry.
struct SManualEntry {
    std::string names;
    std::string text;
};

std::vector<SManualEntry> ManualEntries(const std::vector<std::string>& lines) {
    std::vector<SManualEntry> entries;
    bool tagged = false; // the line after .TP
    bool inEntry = false;
    for (const std::string& line : lines) {
        if (line == ".TP" || line == ".PP") {
            tagged = line == ".TP";
            inEntry = false;
        } else if (tagged && line.compare(0, 2, ".B") == 0) {
            entries.push_back({Unescaped(line.substr(line.find(' ') + 1)), ""});
            tagged = false;
            inEntry = true;
        } else if (inEntry) {
            entries.back().text += Unescaped(line) + "\n";
        }
    }
    return entries;
}

// The words of the keys that rows of a document name, sorted, without "or": "y or z" is y, z.
std::vector<std::string> KeyWords(const std::vector<std::string>& names) {
    std::vector<std::string> words;
    for (const std::string& name : names) {
        std::istringstream row(Words(name));
        for (std::string word; row >> word;) {
            if (word != "or") {
                words.push_back(word);
            }
        }
    }
    std::sort(words.begin(), words.end());
    return words;
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
    // The replay named alone is no option of the table: both synopses give it.
    const auto namesItAlone = [](const std::string& line) {
        return HasWords(line, CCommandLine::kReplayAloneSynopsis);
    };
    const std::vector<std::string> synopsis = Section(kManualPage, ".SH SYNOPSIS", ".SH ");
    EXPECT_NE(LastMatching(readme, namesItAlone), nullptr) << "the README's command line";
    EXPECT_NE(LastMatching(synopsis, namesItAlone), nullptr) << "the manual page's synopsis";
}

// Each key of --help's key lines (the command table's, and the quit keys) is named once by the
// README's key table and once by the manual page's KEYS, and they name no other.
TEST(UsageDocuments, ReadmeAndManualPageNameEachKeyOfTheUsageOnce) {
    std::vector<std::string> usage;
    for (const CKeyBindings::SHelpLine& line : CKeyBindings::HelpLines()) {
        usage.push_back(line.keys);
    }
    std::vector<std::string> readme;
    for (const std::vector<std::string>& row : TableRows(Section(kReadme, "## Keys", "## "))) {
        readme.push_back(row.at(0));
    }
    std::vector<std::string> manual;
    for (const SManualEntry& entry : ManualEntries(Section(kManualPage, ".SH KEYS", ".SH "))) {
        manual.push_back(entry.names);
    }
    EXPECT_EQ(KeyWords(readme), KeyWords(usage)) << "the README's key table";
    EXPECT_EQ(KeyWords(manual), KeyWords(usage)) << "the manual page's KEYS";
}

// Each row of the command table is in the README's keys.txt table and the manual page's KEY
// FILE once, with its default keys, and they list no other command.
TEST(UsageDocuments, ReadmeAndManualPageGiveEachCommandOfTheKeyFileWithItsDefaultKeys) {
    std::vector<std::string> table;
    for (const CKeyBindings::SCommandRow& row : CKeyBindings::CommandTable()) {
        table.push_back(Words(row.name) + ":" + Words(row.defaultKeys));
    }
    std::vector<std::string> readme;
    for (const std::vector<std::string>& row :
         TableRows(Section(kReadme, "## Keys of your own", "## "))) {
        readme.push_back(Words(row.at(0)) + ":" + Words(row.at(1)));
    }
    std::vector<std::string> manual;
    for (const SManualEntry& entry : ManualEntries(Section(kManualPage, ".SH KEY FILE", ".SH "))) {
        manual.push_back(Words(entry.names) + ":" + Words(entry.text));
    }
    for (std::vector<std::string>* rows : {&table, &readme, &manual}) {
        std::sort(rows->begin(), rows->end());
    }
    EXPECT_EQ(readme, table) << "the README's keys.txt table";
    EXPECT_EQ(manual, table) << "the manual page's KEY FILE";
}
