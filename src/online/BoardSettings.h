#pragma once

#include <string>
#include <vector>

// Where the player's runs go: board.txt in the player's config directory, one setting a line,
//   url https://board.example.org   the board (http only for one on this machine)
//   name Ann                        the name the runs go under (the board's name rules)
// with '#' comments and blank lines. A bad line is named and ignored; the game plays either way.
// The board is "set" once a URL is known; runs are sent only when a name is known too.
class CBoardSettings {
public:
    // A file larger than this is no board.txt: it is not read.
    static constexpr long kLargestFile = 16 * 1024;

    // The file's settings. A missing file is no problem; any other is one line "path: what" or
    // "path:line: what" on problems. A URL without a name adds the line that says so.
    static CBoardSettings Load(const std::string& path, std::vector<std::string>& problems);
    static CBoardSettings Parse(const std::string& text, const std::string& path,
                                std::vector<std::string>& problems);

    // An http:// or https:// URL naming a host, without user, query or fragment; http only for
    // localhost, [::1] or 127.0.0.0/8 written as four decimal numbers (127.0.0.1), since the
    // token would cross the network in clear. False with why in a few words.
    static bool CheckUrl(const std::string& url, std::string& problem);

    // The game's menu sets the board: name and url as the player typed them, each either empty
    // (no name, no board: the line goes) or one the rules above take (else false with why,
    // nothing written). board.txt keeps every other line and comment, damaged lines too (see
    // CSettingsFile::Save). False with one line; true with problem empty, or saying where a
    // file too large to read was moved.
    static bool Save(const std::string& path, const std::string& name, const std::string& url,
                     std::string& problem);

    void SetUrl(const std::string& checkedUrl); // --board: a URL CheckUrl took
    void TurnOff();                             // --no-board: no URL, whatever the file said

    bool IsSet() const { return !url.empty(); }
    const std::string& GetUrl() const { return url; }   // without a trailing '/'; "" when off
    const std::string& GetName() const { return name; } // "" when not named
    // The URL board.txt names, whatever --board and --no-board say; "" when it names none.
    const std::string& GetFileUrl() const { return fileUrl; }
    // Whether runs can go: false with one line saying what is missing.
    bool CanSend(std::string& problem) const;

private:
    bool ReadLine(const std::string& line, int lineNumber, std::string& problem);

    std::string url;
    std::string fileUrl;
    std::string name;
    int urlLine = 0; // where the file set each, to name a repeat
    int nameLine = 0;
};
