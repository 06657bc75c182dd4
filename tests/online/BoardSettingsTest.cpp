#include "online/BoardSettings.h"
#include "FileBytes.h"
#include "ToneFiles.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

// Every kind of line board.txt may hold: what it sets, and the one line a bad one gives.
TEST(BoardSettings, EachLineSetsOrIsNamedWithItsFileAndNumber) {
    const std::string bad = "; the line is ignored";
    const std::string noName =
        "b.txt: a board but no name: runs are not sent until board.txt says name NAME";
    const std::string httpOnly = ": http:// is for a board on this machine only (the token "
                                 "would cross the network in clear); use https://" +
                                 bad;
    const struct {
        std::string text;
        std::string url;
        std::string name;
        std::vector<std::string> problems;
    } cases[] = {
        {"", "", "", {}},
        {"# mine\n\nurl https://board.example.org/ # the club's\r\nname Ann_2\n",
         "https://board.example.org",
         "Ann_2",
         {}},
        {"\turl   http://127.0.0.1:8717/zelkora\nname x", "http://127.0.0.1:8717/zelkora", "x", {}},
        {"url http://[::1]:80\nname a-b", "http://[::1]:80", "a-b", {}},
        {"url http://localhost\n", "http://localhost", "", {noName}},
        {"name Ann\nurl http://board.example.org\n", "", "Ann", {"b.txt:2" + httpOnly}},
        {"url http://127.255.0.9:8717\nname a", "http://127.255.0.9:8717", "a", {}},
        {"url ftp://x.org\nurl https://\nurl https://a.org:0\nurl https://a.org:99999\n"
         "url https://u@a.org\nurl https://a.org?x=1\nurl https://a b.org\nurl https://[xyz]\n",
         "",
         "",
         {"b.txt:1: a board's URL starts with https:// (or http:// for one on this machine)" + bad,
          "b.txt:2: no host after the scheme" + bad, "b.txt:3: a port is 1 to 65535" + bad,
          "b.txt:4: a port is 1 to 65535" + bad,
          "b.txt:5: a board's URL holds no blanks, user, query or fragment" + bad,
          "b.txt:6: a board's URL holds no blanks, user, query or fragment" + bad,
          "b.txt:7: url takes one value" + bad,
          "b.txt:8: a bracketed host is an IPv6 address" + bad}},
        {"name Ann\nname Bo\nname\nname Ann!\nname ABCDEFGHIJKLMNOPQ\nnick Ann\nurl\n",
         "",
         "Ann",
         {"b.txt:2: name is set on line 1 already" + bad, "b.txt:3: name needs a value" + bad,
          "b.txt:4: a name is letters, digits, - and _ only" + bad,
          "b.txt:5: a name is 1 to 16 characters" + bad,
          "b.txt:6: unknown setting \"nick\" (url or name)" + bad,
          "b.txt:7: url needs a value" + bad}},
        {"name \x1b[2J\n" + std::string(1001, '#') + "\n",
         "",
         "",
         {"b.txt:1: not text: a character that is neither printable ASCII nor a tab" + bad,
          "b.txt:2: longer than 1000 characters" + bad}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> problems;
        const CBoardSettings settings = CBoardSettings::Parse(c.text, "b.txt", problems);
        EXPECT_EQ(settings.GetUrl(), c.url) << c.text;
        EXPECT_EQ(settings.GetName(), c.name) << c.text;
        EXPECT_EQ(problems, c.problems) << c.text;
        std::string why;
        EXPECT_EQ(settings.CanSend(why), !c.url.empty() && !c.name.empty()) << c.text;
    }
    // Hosts that look like this machine and are not: names anyone may point anywhere, and
    // addresses some readers take otherwise (127.1, octal, one 32-bit number).
    for (const char* host :
         {"127.board.example.net", "127.0.0.1.example.net", "127.1", "127.0.0.256", "0177.0.0.1",
          "127.0.0.01", "localhost.example.net", "[::2]", "2130706433"}) {
        std::vector<std::string> problems;
        const std::string url = std::string("url http://") + host;
        EXPECT_EQ(CBoardSettings::Parse(url, "b.txt", problems).GetUrl(), "") << host;
        EXPECT_EQ(problems, std::vector<std::string>{"b.txt:1" + httpOnly}) << host;
    }
}

// The BOARD page's save: the name and url lines change in place and every other line stays; a
// name the rules refuse writes nothing.
TEST(BoardSettings, SaveChangesTheNameAndUrlLinesAndKeepsTheRest) {
    const struct {
        std::string before;
        std::string name;
        std::string url;
        std::string problem; // "" when saved
        std::string after;
    } cases[] = {
        {"# mine\nname Bo # me\r\nurl https://a.org\nname Cy\n", "Ann", "", "",
         "# mine\nname Ann # me\r\n"},
        {"url ftp://x\nnick Ann\n\x01\x02\n\nname Ann!\n# end", "Ann", "http://127.0.0.1:8717/", "",
         "url http://127.0.0.1:8717/\nnick Ann\n\x01\x02\n\nname Ann\n# end\n"},
        {"# mine\n", "Ann", "https://b.org", "", "# mine\nurl https://b.org\nname Ann\n"},
        {"name Bo\n", "Ann!", "", "a name is letters, digits, - and _ only", "name Bo\n"},
    };
    for (const auto& c : cases) {
        const CScratchDirectory scratch;
        const std::string path = scratch.Join("board.txt");
        WriteFileBytes(path, c.before);
        std::string problem;
        EXPECT_EQ(CBoardSettings::Save(path, c.name, c.url, problem), c.problem.empty()) << c.after;
        EXPECT_EQ(problem, c.problem) << c.after;
        EXPECT_EQ(ReadFileBytes(path), c.after);
    }
}
