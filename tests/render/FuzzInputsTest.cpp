#include "../fuzz/BoardAnswerCheck.h"
#include "../fuzz/BoardSettingsCheck.h"
#include "../fuzz/KeysCheck.h"
#include "../fuzz/MeshRadiusCheck.h"
#include "../fuzz/ReplayCheck.h"
#include "FileBytes.h"
#include "ReplayBytes.h"
#include "render/Mesh.h"
#include "render/TgaImage.h"
#include "runs/Records.h"
#include "runs/RecordsFile.h"
#include "runs/Replay.h"

#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

// Every seed of the fuzz targets and every input that ever made one fail, fed to the readers in
// the ordinary build, so that a fixed fault stays fixed.
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> InputsFor(const std::string& target) {
    std::vector<fs::path> inputs;
    for (const char* folder : {"corpus", "regressions"}) {
        const fs::path directory = fs::path(ZELKORA_FUZZ_DIR) / folder / target;
        if (fs::is_directory(directory)) {
            for (const fs::directory_entry& entry : fs::directory_iterator(directory)) {
                inputs.push_back(entry.path());
            }
        }
    }
    return inputs;
}

TEST(FuzzInputs, TgaInputsReadOrFailCleanly) {
    const std::vector<fs::path> inputs = InputsFor("tga");
    ASSERT_FALSE(inputs.empty());
    for (const fs::path& input : inputs) {
        CTgaImage image;
        if (image.Read(input.c_str()) == 1) {
            EXPECT_NE(image.GetPixels(), nullptr) << input;
            EXPECT_GT(image.GetWidth() * image.GetHeight() * image.GetBytesPerPixel(), 0) << input;
        } else {
            EXPECT_EQ(image.GetPixels(), nullptr) << input;
        }
    }
}

TEST(FuzzInputs, ObjInputsLoadWithinTheirLists) {
    const std::vector<fs::path> inputs = InputsFor("obj");
    ASSERT_FALSE(inputs.empty());
    for (const fs::path& input : inputs) {
        CMesh mesh;
        ASSERT_TRUE(mesh.Load(input.c_str())) << input;
        for (const CMesh::STriangle& face : mesh.GetFaces()) {
            for (int corner = 0; corner < 3; ++corner) {
                EXPECT_LT(static_cast<std::size_t>(face.vertex[corner]), mesh.GetVertices().size())
                    << input;
                EXPECT_LT(static_cast<std::size_t>(face.texCoord[corner]),
                          mesh.GetTexCoords().size())
                    << input;
                EXPECT_LT(static_cast<std::size_t>(face.normal[corner]), mesh.GetNormals().size())
                    << input;
            }
        }
        EXPECT_TRUE(RadiusIsTheFarthestUsedVertex(mesh)) << input << ": " << mesh.GetRadius();
    }
}

TEST(FuzzInputs, RecordsInputsParseOrNameABadLineAndRoundTrip) {
    const std::vector<fs::path> inputs = InputsFor("records");
    ASSERT_FALSE(inputs.empty());
    for (const fs::path& input : inputs) {
        CRecords::Table table;
        CRecords::OlderRules older;
        int badLine = 0;
        if (CRecordsFile::Parse(ReadFileBytes(input), table, older, badLine)) {
            CRecords::Table again;
            CRecords::OlderRules olderAgain;
            ASSERT_TRUE(
                CRecordsFile::Parse(CRecordsFile::Format(table, older), again, olderAgain, badLine))
                << input;
            EXPECT_EQ(again, table) << input;
            EXPECT_EQ(olderAgain, older) << input;
        } else {
            EXPECT_GE(badLine, 1) << input;
            EXPECT_TRUE(table.empty() && older.empty()) << input;
        }
    }
}

TEST(FuzzInputs, ReplayInputsDecodeOrNameTheProblem) {
    const std::vector<fs::path> inputs = InputsFor("replay");
    ASSERT_FALSE(inputs.empty());
    for (const fs::path& input : inputs) {
        const std::string data = ReadFileBytes(input);
        const std::string bytes = ReplayFileFromFuzzInput(
            reinterpret_cast<const std::uint8_t*>(data.data()), data.size());
        // Seeds made from whole recordings are named valid_* and must be read.
        const bool valid = input.filename().string().rfind("valid_", 0) == 0;
        CReplay replay;
        std::string problem;
        if (CReplay::Decode(bytes, replay, problem)) {
            EXPECT_TRUE(problem.empty()) << input << ": " << problem;
            EXPECT_TRUE(ReplayIsWithinLimits(replay)) << input;
            CReplay again;
            ASSERT_TRUE(CReplay::Decode(EncodedBytes(replay), again, problem))
                << input << ": " << problem;
            EXPECT_TRUE(SameReplay(again, replay)) << input;
        } else {
            EXPECT_FALSE(valid) << input << ": " << problem;
            EXPECT_FALSE(problem.empty()) << input;
            EXPECT_EQ(problem.find_first_of("\r\n"), std::string::npos) << input << ": " << problem;
            EXPECT_TRUE(SameReplay(replay, CReplay())) << input;
        }
    }
}

TEST(FuzzInputs, KeysInputsGiveSoundBindingsAndProblems) {
    const std::vector<fs::path> inputs = InputsFor("keys");
    ASSERT_FALSE(inputs.empty());
    for (const fs::path& input : inputs) {
        EXPECT_TRUE(KeysParseIsSound(ReadFileBytes(input))) << input;
    }
}

TEST(FuzzInputs, BoardAnswersAndBoardTxtAreReadSoundly) {
    for (const char* target : {"board_answer", "board_settings"}) {
        const std::vector<fs::path> inputs = InputsFor(target);
        ASSERT_FALSE(inputs.empty()) << target;
        for (const fs::path& input : inputs) {
            const std::string bytes = ReadFileBytes(input);
            EXPECT_TRUE(std::string(target) == "board_answer" ? BoardAnswerIsReadSoundly(bytes)
                                                              : BoardSettingsParseIsSound(bytes))
                << input;
        }
    }
}

} // namespace
