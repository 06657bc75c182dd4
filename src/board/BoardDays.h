#pragma once

#include "board/BoardStore.h"

#include <cstddef>
#include <cstdint>
#include <string>

// The board's world of each day: the weekday's difficulty and the length of the game's world of
// the day, with a seed only the board can make, HMAC-SHA-256 of the date under the board's
// secret. So nobody can fly a day's world before the board announces it at 00:00 UTC. Boards
// that share a database share the secret (--day-secret FILE).
class CBoardDays {
public:
    static constexpr std::size_t kSecretBytes = 32;              // 64 hex digits in the file
    static constexpr const char* kSecretFileName = "day-secret"; // beside the default database
    static constexpr std::int64_t kGraceSeconds = 3600; // runs submitted this long after count

    explicit CBoardDays(std::string secret);

    // The secret kept in path, made (mode 0600, from the system's random source) when there is
    // none. False with one line naming the file for a damaged file or one others may read: a
    // new secret would change every day's world, so it is never made over one.
    static bool LoadSecret(const std::string& path, std::string& secret, std::string& problem);
    static std::string DefaultSecretPath(); // in $STATE_DIRECTORY, else the current directory

    // The world of that date ("2026-12-08"); nodes 0 for anything that is no date of the
    // game's years.
    CBoardStore::SWorld WorldOf(const std::string& date) const;
    static std::string DateAt(std::int64_t at); // UTC seconds to "2026-12-08"; "" out of range
    // Whether date's world has been announced at that time: it is that day or later.
    static bool IsAnnounced(const std::string& date, std::int64_t now);
    // The day whose board a run of that world, submitted at that time, counts for: that date
    // when it is the date's world, submitted on it or within kGraceSeconds after; else "".
    std::string DayOf(const CBoardStore::SWorld& world, std::int64_t submittedAt) const;

private:
    std::string secret;
};
