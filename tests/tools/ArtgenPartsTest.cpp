// The generator's own parts, where a fault would not show in today's data but would in the next
// mesh, picture or loop made with them.

#include "Frame.h"
#include "Image.h"
#include "MeshBuilder.h"
#include "Noise.h"
#include "Wave.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace {

double SignedVolume(const std::vector<CMeshBuilder::SFace>& faces) {
    double volume = 0.0;
    for (const CMeshBuilder::SFace& face : faces) {
        volume += face.corner[0].Dot(face.corner[1].Cross(face.corner[2])) / 6.0;
    }
    return volume;
}

// Parts placed by a mirroring frame come out inside-out unless the builder turns them round.
TEST(ArtgenParts, MirroredAndPlainPartsBothFaceOutward) {
    for (double mirror : {1.0, -1.0}) {
        CMeshBuilder mesh({0, 1, 0}, 1.0);
        mesh.AddBox(CFrame::Translate({3, 0, 0}) * CFrame::Scale(mirror * 1.0, 2.0, 0.5),
                    CMeshBuilder::kHull);
        mesh.AddSphere(CFrame::Scale(mirror, 1, 1), 8, 6, CMeshBuilder::kGlow);
        const std::vector<CMeshBuilder::SFace> faces = mesh.GetFaces();
        // The box's 8 and a faceted unit sphere's a little less than 4.19.
        EXPECT_GT(SignedVolume(faces), 8.0 + 3.3) << "mirror " << mirror;
        EXPECT_LT(SignedVolume(faces), 8.0 + 4.2) << "mirror " << mirror;
        for (const CMeshBuilder::SFace& face : faces) {
            const CVec winding = (face.corner[1] - face.corner[0])
                                     .Cross(face.corner[2] - face.corner[0])
                                     .Normalized();
            ASSERT_GT(winding.Dot(face.normal), 0.999);
        }
    }
}

TEST(ArtgenParts, ObjSharesCornersDropsSlivers) {
    CMeshBuilder mesh({0, 1, 0}, 1.0);
    mesh.AddBox(CFrame::Scale(1e-7 + 1.0, 1.0, 1.0), CMeshBuilder::kTrim);
    mesh.AddTriangle({0, 0, 0}, {1, 0, 0}, {2, 0, 0}, CMeshBuilder::kHull); // no area
    const std::string obj = mesh.ToObj("a cube");
    std::istringstream lines(obj);
    std::string line;
    int vertices = 0;
    int normals = 0;
    int faces = 0;
    while (std::getline(lines, line)) {
        vertices += line.rfind("v ", 0) == 0 ? 1 : 0;
        normals += line.rfind("vn ", 0) == 0 ? 1 : 0;
        faces += line.rfind("f ", 0) == 0 ? 1 : 0;
    }
    EXPECT_EQ(vertices, 8 + 2) << "corners shared, plus the two cap centres";
    EXPECT_EQ(normals, 6);
    EXPECT_EQ(faces, 4 * 2 + 2 * 4) << "sides as quads, caps as fans of four";
    EXPECT_EQ(obj.find("-0.0000"), std::string::npos) << "one spelling for zero";
    EXPECT_EQ(obj.rfind("# a cube\n", 0), 0u);
}

// A face wider than a cell is shrunk to fill the cell's room exactly; its placement must stay
// inside the margins although the bounds then meet within a rounding error.
TEST(ArtgenParts, FacesLargerThanACellStayInsideTheirCellMargins) {
    for (double size : {1.0, 3.0, 7.0}) {
        CMeshBuilder mesh({0, 0, 1}, 1.0); // the face looks at the light: the top shade row
        mesh.AddTriangle({0.3, 0.3, 0}, {0.3 + size, 0.3, 0}, {0.3, 0.3 + size, 0},
                         CMeshBuilder::kAccent);
        mesh.EndPart();
        const std::vector<CMeshBuilder::SFace> faces = mesh.GetFaces();
        ASSERT_EQ(faces.size(), 1u);
        for (const CVec2& t : faces[0].texCoord) {
            EXPECT_GE(t.x, (2 + 0.06) * 0.25 - 1e-9) << size;
            EXPECT_LE(t.x, (3 - 0.06) * 0.25 + 1e-9) << size;
            EXPECT_GE(t.y, (3 + 0.06) * 0.25 - 1e-9) << size;
            EXPECT_LE(t.y, (4 - 0.06) * 0.25 + 1e-9) << size;
        }
    }
}

TEST(ArtgenParts, TgaRowsGoBottomFirstInBlueGreenRedOrder) {
    CImage image(2, 2);
    image.Set(0, 0, CColor(1.0, 0.5, 0.0, 0.25)); // lower left
    image.Set(1, 1, CColor(0.0, 0.0, 1.0, 1.0));  // upper right
    const std::vector<unsigned char> tga = image.EncodeTga(true);
    ASSERT_EQ(tga.size(), 18u + 2 * 2 * 4);
    EXPECT_EQ(tga[2], 2);         // uncompressed true-colour
    EXPECT_EQ(tga[16], 32);       // bits per pixel
    EXPECT_EQ(tga[17] & 0x30, 0); // origin at the lower left
    EXPECT_EQ(tga[17] & 0x0F, 8); // alpha bits
    const unsigned char first[4] = {0, 128, 255, 64};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(tga[18 + i], first[i]) << i;
    }
    EXPECT_EQ(tga[18 + 12], 255); // the last pixel is blue
    EXPECT_EQ(image.EncodeTga(false)[16], 24);
}

// The loops depend on it: what rings on past the end of the loop is laid onto its start.
TEST(ArtgenParts, MixingPastTheEndWrapsOnlyWhenAsked) {
    CWave tail(1, 4);
    for (int i = 0; i < 4; ++i) {
        tail.At(i, 0) = i + 1.0;
    }
    CWave looped(2, 6);
    looped.Mix(tail, 4, 0.5, true);
    const double expectedLeft[6] = {1.5, 2.0, 0.0, 0.0, 0.5, 1.0};
    for (int i = 0; i < 6; ++i) {
        EXPECT_DOUBLE_EQ(looped.At(i, 0), expectedLeft[i]) << i;
        EXPECT_DOUBLE_EQ(looped.At(i, 1), expectedLeft[i]) << i;
    }
    CWave cut(1, 6);
    cut.Mix(tail, 4, 1.0, false);
    EXPECT_DOUBLE_EQ(cut.At(0, 0), 0.0);
    EXPECT_DOUBLE_EQ(cut.At(5, 0), 2.0);
}

TEST(ArtgenParts, WavHeaderDescribesTheSamples) {
    CWave wave(2, 3);
    wave.At(2, 1) = 2.0; // beyond full scale: clamped
    const std::vector<unsigned char> wav = wave.EncodeWav();
    ASSERT_EQ(wav.size(), 44u + 3 * 2 * 2);
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(wav[22], 2);                      // channels
    EXPECT_EQ(wav[24] | (wav[25] << 8), 44100); // rate, low bytes
    EXPECT_EQ(wav[40], 12);                     // data bytes
    EXPECT_EQ(wav[54] | (wav[55] << 8), 32767); // the clamped sample
}

TEST(ArtgenParts, PeriodicNoiseRepeatsExactlyAtItsPeriod) {
    const CNoise noise(3);
    for (double x : {0.25, 3.7, 11.5}) {
        for (double y : {0.1, 5.5}) {
            EXPECT_NEAR(noise.Fractal(x, y, 4, 0, 16), noise.Fractal(x, y + 16.0, 4, 0, 16), 1e-9);
            EXPECT_NEAR(noise.Value(x, y, 8, 0), noise.Value(x + 8.0, y, 8, 0), 1e-9);
        }
    }
    EXPECT_NE(noise.Value(0.5, 0.5), noise.Value(8.5, 0.5)) << "no period, no repeat";
}

} // namespace
