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

// "y or z" -> {"y", "z"}, "arrow keys, d e f g" -> {"arrow keys", "d e f g"}.
std::vector<std::string> KeysOf(const CKeyBindings::SHelpLine& line) {
    const std::string keys = std::regex_replace(line.keys, std::regex(" or "), ", ");
    std::vector<std::string> names;
    std::size_t start = 0;
    for (std::size_t comma; (comma = keys.find(", ", start)) != std::string::npos;
         start = comma + 2) {
        names.push_back(keys.substr(start, comma - start));
    }
    names.push_back(keys.substr(start));
    return names;
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

// Which of the key lines a row of a document names (every key of the line), and whether it
// names anything else: only "or" may be left once their keys are taken out.
struct SNamedLines {
    std::vector<std::size_t> lines;
    bool nothingElse;
};

SNamedLines NamedLines(const std::string& names,
                       const std::vector<CKeyBindings::SHelpLine>& lines) {
    SNamedLines named{{}, true};
    std::string rest = Words(names);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::vector<std::string> keys = KeysOf(lines[i]);
        bool all = true;
        for (const std::string& key : keys) {
            all = all && HasWords(names, key);
        }
        if (!all) {
            continue;
        }
        named.lines.push_back(i);
        for (const std::string& key : keys) {
            const std::size_t at = rest.find(Words(key));
            rest = at == std::string::npos ? rest : rest.replace(at, Words(key).size(), " ");
        }
    }
    std::istringstream leftOver(rest);
    for (std::string word; leftOver >> word;) {
        named.nothingElse = named.nothingElse && word == "or";
    }
    return named;
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

// Each key line of --help (the command table's, and the quit keys) is named by exactly one row
// of the README's key table and one entry of the manual page's KEYS, and they name no other key.
TEST(UsageDocuments, ReadmeAndManualPageGiveEachKeyLineOfTheUsageOnceAndNoOtherKey) {
    std::vector<std::string> readme;
    for (const std::vector<std::string>& row : TableRows(Section(kReadme, "## Keys", "## "))) {
        readme.push_back(row.at(0));
    }
    std::vector<std::string> manual;
    for (const SManualEntry& entry : ManualEntries(Section(kManualPage, ".SH KEYS", ".SH "))) {
        manual.push_back(entry.names);
    }
    ASSERT_FALSE(readme.empty()) << kReadme;
    ASSERT_FALSE(manual.empty()) << kManualPage;
    const std::vector<CKeyBindings::SHelpLine> lines = CKeyBindings::HelpLines();
    for (const auto& [document, rows] : {std::pair{"the README's key table", &readme},
                                         std::pair{"the manual page's KEYS", &manual}}) {
        std::vector<int> timesNamed(lines.size(), 0);
        for (const std::string& row : *rows) {
            const SNamedLines named = NamedLines(row, lines);
            EXPECT_FALSE(named.lines.empty()) << document << ": no key line has " << row;
            EXPECT_TRUE(named.nothingElse) << document << ": " << row << " names other keys";
            for (const std::size_t line : named.lines) {
                ++timesNamed[line];
            }
        }
        for (std::size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(timesNamed[i], 1) << document << ": rows with " << lines[i].keys;
        }
    }
}

// Each row of the command table: in the README's keys.txt table and the manual page's KEY FILE
// once, with its default keys and no others, and no command beside them.
TEST(UsageDocuments, ReadmeAndManualPageGiveEachCommandOfTheKeyFileWithItsDefaultKeys) {
    std::vector<std::pair<std::string, std::string>> readme; // the command, its keys
    for (const std::vector<std::string>& row :
         TableRows(Section(kReadme, "## Keys of your own", "## "))) {
        readme.emplace_back(Words(row.at(0)), Words(row.at(1)));
    }
    std::vector<std::pair<std::string, std::string>> manual;
    for (const SManualEntry& entry : ManualEntries(Section(kManualPage, ".SH KEY FILE", ".SH "))) {
        manual.emplace_back(Words(entry.names), Words(entry.text));
    }
    const std::vector<CKeyBindings::SCommandRow>& table = CKeyBindings::CommandTable();
    for (const auto& [document, rows] : {std::pair{"the README's keys.txt table", &readme},
                                         std::pair{"the manual page's KEY FILE", &manual}}) {
        EXPECT_EQ(rows->size(), table.size()) << document << ": one row a command";
        for (const CKeyBindings::SCommandRow& command : table) {
            int timesNamed = 0;
            for (const auto& [name, keys] : *rows) {
                if (name == Words(command.name)) {
                    ++timesNamed;
                    EXPECT_EQ(keys, Words(command.defaultKeys)) << document << ": " << command.name;
                }
            }
            EXPECT_EQ(timesNamed, 1) << document << ": rows for " << command.name;
        }
    }
}
