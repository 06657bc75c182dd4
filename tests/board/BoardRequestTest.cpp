#include "board/BoardRequest.h"

#include "../fuzz/BoardRequestCheck.h"
#include "FileBytes.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

TEST(BoardRequest, NamesTokensPagesAndWorldsAreTakenOnlyWhole) {
    CBoardRequest::SSubmission taken;
    int status = 0;
    std::string problem;
    const std::string token = "Bearer " + std::string(22, 'x');
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
          SRefusal{"Ann", "Bearer " + std::string(21, 'x'), 401},
          SRefusal{"Ann", "Bearer " + std::string(21, 'x') + "\n", 401}}) {
        EXPECT_FALSE(CBoardRequest::ReadSubmission(refusal.name, refusal.authorization, taken,
                                                   status, problem))
            << refusal.name << " " << refusal.authorization;
        EXPECT_EQ(status, refusal.status) << refusal.name;
    }
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

// The fuzz target's seeds and regressions, read here by every build.
TEST(BoardRequest, FuzzInputsAreReadSoundly) {
    const std::filesystem::path corpus =
        std::filesystem::path(ZELKORA_FUZZ_DIR) / "corpus/board_request";
    int read = 0;
    for (const auto& input : std::filesystem::directory_iterator(corpus)) {
        EXPECT_TRUE(BoardRequestIsReadSoundly(ReadFileBytes(input.path().string())))
            << input.path();
        ++read;
    }
    EXPECT_GT(read, 0);
}
