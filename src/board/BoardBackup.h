#pragma once

#include <string>

// A consistent copy of a board's database, made while boards serve it. SQLite's online backup
// reads one snapshot (in WAL, the boards keep writing meanwhile) into a temporary file beside
// the copy, renamed onto it only once whole: a failed backup leaves an older copy as it was.
// A PostgreSQL board is copied with pg_dump, which the answer names.
class CBoardBackup {
public:
    // databaseUrl: as --database takes it ("sqlite:PATH"); file: where the copy goes. False with
    // a one-line why: nothing to read, no place to write, or the copy would replace the database.
    static bool Write(const std::string& databaseUrl, const std::string& file,
                      std::string& problem);

private:
    // source's snapshot into target, an empty file already there.
    static bool CopySqlite(const std::string& source, const std::string& target,
                           std::string& problem);
};
