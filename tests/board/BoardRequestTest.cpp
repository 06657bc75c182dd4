#include "board/BoardRequest.h"

#include "../fuzz/BoardRequestCheck.h"
#include "../fuzz/HttpRequestCheck.h"
#include "FileBytes.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

TEST(BoardRequest, NamesTokensPagesAndWorldsAreTakenOnlyWhole) {
    CBoardRequest::SSubmission taken;
    int status = 0;
    std::string problem;
    const std::string token = "Bearer Zk3v9QpL2mXw8RtY4uHb7N";
    ASSERT_TRUE(CBoardRequest::ReadSubmission("Ann-2_b", token, taken, status, problem));
    EXPECT_EQ(taken.nameKey, "ann-2_b");
    EXPECT_EQ(taken.tokenHash.size(), 64u);
    struct SRefusal {
        std::string name;
        std::string authorization;
        int status;
    };
    for (const SRefusal& refusal :
         {SRefusal{"", token, 400}, SRefusal{std::string(17, 'a'), token, 400},
          SRefusal{"An n", token, 400}, SRefusal{"Ann", "Bearer short", 401},
          SRefusal{"Ann", std::string(22, 'x'), 401},
          SRefusal{"Ann", "Bearer Zk3v9QpL2mXw8RtY4uHb7", 401},
          SRefusal{"Ann", "Bearer Zk3v9QpL2mXw8RtY4uHb7N\n", 401},
          // Long enough, but no secret: one letter, a few repeated, or too few hex digits.
          SRefusal{"Ann", "Bearer " + std::string(43, 'A'), 401},
          SRefusal{"Ann", "Bearer abcdefgabcdefgabcdefgabcdefgabcdefg", 401},
          SRefusal{"Ann", "Bearer 0123456789abcdef0123456789abcde", 401}}) {
        EXPECT_FALSE(CBoardRequest::ReadSubmission(refusal.name, refusal.authorization, taken,
                                                   status, problem))
            << refusal.name << " " << refusal.authorization;
        EXPECT_EQ(status, refusal.status) << refusal.name;
    }
    ASSERT_TRUE(CBoardRequest::ReadSubmission("Ann", "Bearer 0123456789abcdef0123456789abcdef",
                                              taken, status, problem))
        << "32 hex digits are 128 bits";
    EXPECT_EQ(CBoardRequest::ReadPage(false, ""), 1);
    EXPECT_EQ(CBoardRequest::ReadPage(true, "100000"), 100000);
    for (const char* page : {"", "0", "-1", "100001", "1e3", " 2", "99999999999999999999"}) {
        EXPECT_EQ(CBoardRequest::ReadPage(true, page), 0) << page;
    }
    CBoardStore::SWorld world;
    ASSERT_TRUE(CBoardRequest::ReadWorld("-2", "512", "2147483647", world));
    EXPECT_EQ(world.difficulty, -2);
    EXPECT_EQ(world.seed, 2147483647u);
    EXPECT_FALSE(CBoardRequest::ReadWorld("3", "512", "2147483648", world));
    EXPECT_FALSE(CBoardRequest::ReadWorld("3", "-512", "1", world));
    EXPECT_FALSE(CBoardRequest::ReadWorld("99999999", "512", "1", world));
}

// The fuzz targets' seeds and regressions, read here by every build (HTTP's whole and in pieces).
TEST(BoardRequest, FuzzInputsAreReadSoundly) {
    const std::pair<std::string, bool (*)(const std::string&)> targets[] = {
        {"board_request", BoardRequestIsReadSoundly}, {"http_request", HttpRequestsAreReadSoundly}};
    for (const auto& [corpus, readSoundly] : targets) {
        int read = 0;
        for (const auto& input :
             std::filesystem::directory_iterator(ZELKORA_FUZZ_DIR "/corpus/" + corpus)) {
            EXPECT_TRUE(readSoundly(ReadFileBytes(input.path().string()))) << input.path();
            ++read;
        }
        EXPECT_GT(read, 0) << corpus;
    }
}

// Whose address counts: the connection's, unless a trusted proxy says whom it serves.
TEST(BoardRequest, TheClientsAddressIsTakenFromTrustedProxiesOnly) {
    const std::vector<std::string> proxies = {"10.0.0.1", "::1"};
    struct SCase {
        std::string socket;
        std::string forwardedFor;
        std::string client;
    };
    for (const SCase& hop : {
             SCase{"192.0.2.7", "198.51.100.1", "192.0.2.7"}, // not a proxy: its word is nothing
             SCase{"10.0.0.1", "198.51.100.1", "198.51.100.1"},
             SCase{"10.0.0.1", "", "10.0.0.1"},
             SCase{"10.0.0.1", "6.6.6.6, 198.51.100.1", "198.51.100.1"}, // the client wrote 6.6.6.6
             SCase{"10.0.0.1", "198.51.100.1, ::1", "198.51.100.1"},     // two proxies in a row
             SCase{"10.0.0.1", "198.51.100.1,not-an-address", "10.0.0.1"},
             SCase{"::1", "2001:db8::5", "2001:db8::5"},
         }) {
        EXPECT_EQ(CBoardRequest::ClientAddress(hop.socket, hop.forwardedFor, proxies), hop.client)
            << hop.socket << " / " << hop.forwardedFor;
    }
}
