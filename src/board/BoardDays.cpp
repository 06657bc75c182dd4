#include "board/BoardDays.h"

#include "base/AtomicFile.h"
#include "base/SmallFile.h"
#include "board/Sha256.h"
#include "world/DailyWorld.h"
#include "world/Tunnel.h"

#include <cstdlib>
#include <ctime>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <utility>

namespace {

bool IsSecretText(const std::string& text) {
    return text.size() == 2 * CBoardDays::kSecretBytes &&
           text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

// Exists when another board made it at the same moment: that one is read then.
CAtomicFile::EResult MakeSecret(const std::string& path, std::string& secret,
                                std::string& problem) {
    unsigned char random[CBoardDays::kSecretBytes];
    if (getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
        problem = "cannot make a day secret: the system's random source failed";
        return CAtomicFile::EResult::Failed;
    }
    secret = CSha256::ToHex(random, sizeof random);
    std::string error;
    const CAtomicFile::EResult made = CAtomicFile::CreateNew(path, secret + "\n", error, 0600);
    if (made == CAtomicFile::EResult::Failed) {
        problem = "cannot write the day secret " + path + ": " + error;
    }
    return made;
}

} // namespace

CBoardDays::CBoardDays(std::string secret) : secret(std::move(secret)) {}

std::string CBoardDays::DefaultSecretPath() {
    const char* state = std::getenv("STATE_DIRECTORY");
    return state != nullptr && *state != '\0' ? std::string(state) + "/" + kSecretFileName
                                              : kSecretFileName;
}

bool CBoardDays::LoadSecret(const std::string& path, std::string& secret, std::string& problem) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        const CAtomicFile::EResult made = MakeSecret(path, secret, problem);
        if (made != CAtomicFile::EResult::Exists) {
            return made == CAtomicFile::EResult::Written;
        }
        stat(path.c_str(), &status);
    }
    if ((status.st_mode & 077) != 0) {
        problem = path + ": others may read the day secret; chmod 600 " + path;
        return false;
    }
    std::string text;
    std::string error;
    const CSmallFile::ERead read = CSmallFile::Read(path, 4 * kSecretBytes, text, error);
    if (read == CSmallFile::ERead::Failed) {
        problem = path + ": " + error;
        return false;
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    if (!IsSecretText(text)) {
        problem = path + ": not a day secret (" + std::to_string(2 * kSecretBytes) +
                  " hex digits); restore it, since a new one changes every day's world";
        return false;
    }
    secret = text;
    return true;
}

std::string CBoardDays::DateAt(std::int64_t at) {
    CDailyWorld day;
    std::string problem;
    return CDailyWorld::ForTime(static_cast<std::time_t>(at), day, problem) ? day.GetDate() : "";
}

bool CBoardDays::IsAnnounced(const std::string& date, std::int64_t now) {
    const std::string today = DateAt(now);
    return !today.empty() && date <= today; // dates of one format compare as text
}

CBoardStore::SWorld CBoardDays::WorldOf(const std::string& date) const {
    std::tm noon{};
    if (date.size() != 10 || strptime(date.c_str(), "%Y-%m-%d", &noon) == nullptr) {
        return CBoardStore::SWorld{};
    }
    noon.tm_hour = 12;
    CDailyWorld local;
    std::string problem;
    // A date such as 2026-02-30 comes back as another day: it is none.
    if (!CDailyWorld::ForTime(timegm(&noon), local, problem) || local.GetDate() != date) {
        return CBoardStore::SWorld{};
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    const std::string message = "zelkora day " + date;
    HMAC(EVP_sha256(), secret.data(), static_cast<int>(secret.size()),
         reinterpret_cast<const unsigned char*>(message.data()), message.size(), digest, &length);
    const unsigned long bits = static_cast<unsigned long>(digest[0]) << 24 |
                               static_cast<unsigned long>(digest[1]) << 16 |
                               static_cast<unsigned long>(digest[2]) << 8 | digest[3];
    const unsigned seed = static_cast<unsigned>(bits % (CTunnel::kMaximumSeed + 1ul));
    const int difficulty = local.GetDifficulty();
    return CBoardStore::SWorld{difficulty,
                               CTunnel::CountRings(difficulty, CDailyWorld::kLength, seed), seed};
}

std::string CBoardDays::DayOf(const CBoardStore::SWorld& world, std::int64_t submittedAt) const {
    for (const std::int64_t at : {submittedAt, submittedAt - kGraceSeconds}) {
        const std::string date = DateAt(at);
        if (!date.empty() && WorldOf(date) == world) {
            return date;
        }
    }
    return "";
}
