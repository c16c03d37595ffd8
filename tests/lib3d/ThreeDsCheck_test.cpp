// Corrupt and truncated .3ds files are refused with a reason before lib3ds
// sees them, and sound files pass.
#include "lib3d/ThreeDsCheck.h"

#include <gtest/gtest.h>

#include <string>

#include "ThreeDsFiles.h"
#include "lib3d/ThreeDsImport.h"

using namespace lib3d;

namespace {

std::string Refusal(const std::vector<uint8_t> &bytes) {
    char error[256] = "";
    if (ThreeDsCheck(bytes.data(), bytes.size(), error, sizeof error)) return "";
    EXPECT_NE(error[0], 0) << "refused without a reason";
    return error;
}

bool Contains(const std::string &s, const char *part) {
    return s.find(part) != std::string::npos;
}

TEST(ThreeDsCheck, SoundFilesPass) {
    EXPECT_EQ(Refusal(WriteTestScene(SmallScene())), "");
    TestScene flat = SmallScene();
    flat.nodes = false;
    EXPECT_EQ(Refusal(WriteTestScene(flat)), "");
}

TEST(ThreeDsCheck, EveryTruncationIsRefused) {
    std::vector<uint8_t> file = WriteTestScene(SmallScene());
    ASSERT_GT(file.size(), 100u);
    for (size_t n = 0; n < file.size(); n++) {
        std::vector<uint8_t> cut(file.begin(), file.begin() + n);
        EXPECT_NE(Refusal(cut), "") << "prefix of " << n << " bytes";
        ThreeDsData d;
        char error[256];
        EXPECT_FALSE(ThreeDsRead(cut.data(), cut.size(), 7, d, error, sizeof error));
    }
}

TEST(ThreeDsCheck, BadHeadersAndLengths) {
    std::vector<uint8_t> file = WriteTestScene(SmallScene());
    std::vector<uint8_t> magic = file;
    PutWord(magic, 0, 0x1234);
    EXPECT_TRUE(Contains(Refusal(magic), "not a 3DS file"));

    // A chunk shorter than its own header would make the reader loop.
    std::vector<uint8_t> zero = file;
    long points = FindChunk(zero, 0x4110);
    ASSERT_GT(points, 0);
    PutDword(zero, points + 2, 0);
    EXPECT_TRUE(Contains(Refusal(zero), "shorter than its header"));

    // A child longer than its parent.
    std::vector<uint8_t> longer = file;
    PutDword(longer, points + 2, 100000);
    EXPECT_TRUE(Contains(Refusal(longer), "runs past its parent"));

    // The root claiming more than the file holds.
    std::vector<uint8_t> root = file;
    PutDword(root, 2, (uint32_t)file.size() + 1);
    EXPECT_TRUE(Contains(Refusal(root), "does not fit"));
}

TEST(ThreeDsCheck, CountsMustFitTheirChunks) {
    std::vector<uint8_t> file = WriteTestScene(SmallScene());
    for (uint16_t id : {0x4110, 0x4140, 0x4120}) {  // points, texture coordinates, faces
        std::vector<uint8_t> bad = file;
        long at = FindChunk(bad, id);
        ASSERT_GT(at, 0) << std::hex << id;
        PutWord(bad, at + 6, 5000);
        EXPECT_TRUE(Contains(Refusal(bad), "are needed")) << std::hex << id;
    }
}

TEST(ThreeDsCheck, MaterialGroupNamingAMissingFace) {
    std::vector<uint8_t> file = WriteTestScene(SmallScene());
    long group = FindChunk(file, 0x4130);
    ASSERT_GT(group, 0);
    // Name "skin\0", count, then the first face index.
    size_t index = group + 6 + 5 + 2;
    PutWord(file, index, 1);  // a list of one face has no face 1
    EXPECT_TRUE(Contains(Refusal(file), "face 1 of a list of 1"));
}

TEST(ThreeDsCheck, TrackKeyCountBeyondTheChunk) {
    std::vector<uint8_t> file = WriteTestScene(SmallScene());
    long track = FindChunk(file, 0xB020);
    ASSERT_GT(track, 0);
    PutDword(file, track + 6 + 10, 0x7FFFFFFF);
    EXPECT_TRUE(Contains(Refusal(file), "keys in"));
}

// The node tag and header of the first node of the keyframer section.
struct NodeChunks {
    long tag, id, header;
};

NodeChunks FirstNode(const std::vector<uint8_t> &file) {
    NodeChunks n = {-1, -1, -1};
    long kf = FindChunk(file, 0xB000);
    if (kf < 0) return n;
    // The first node tag among the keyframer's children, then its own chunks.
    for (size_t at = kf + 6; at + 6 <= (size_t)kf + GetDword(file, kf + 2);
         at += GetDword(file, at + 2)) {
        uint16_t id = (uint16_t)(file[at] | file[at + 1] << 8);
        if (id >= 0xB001 && id <= 0xB007) {
            n.tag = (long)at;
            break;
        }
    }
    for (size_t at = n.tag + 6; n.tag > 0 && at + 6 <= (size_t)n.tag + GetDword(file, n.tag + 2);
         at += GetDword(file, at + 2)) {
        uint16_t id = (uint16_t)(file[at] | file[at + 1] << 8);
        if (id == 0xB030) n.id = (long)at;
        if (id == 0xB010) n.header = (long)at;
    }
    return n;
}

TEST(ThreeDsCheck, NodeTreeCannotLoop) {
    std::vector<uint8_t> file = WriteTestScene(SmallScene());
    NodeChunks n = FirstNode(file);
    ASSERT_GT(n.id, n.tag);
    ASSERT_GT(n.header, n.tag);
    uint16_t ownId = (uint16_t)(file[n.id + 6] | file[n.id + 7] << 8);
    uint32_t headerLength = GetDword(file, n.header + 2);
    size_t parentAt = n.header + headerLength - 2;

    std::vector<uint8_t> self = file;
    PutWord(self, parentAt, ownId);
    EXPECT_TRUE(Contains(Refusal(self), "as parent before defining it"));

    std::vector<uint8_t> forward = file;
    PutWord(forward, parentAt, 200);  // no node 200 has been read yet
    EXPECT_TRUE(Contains(Refusal(forward), "as parent before defining it"));

    // Two nodes with one id.
    std::vector<uint8_t> twice = file;
    long ids[2] = {-1, -1};
    for (size_t at = 0, found = 0; at + 8 <= twice.size() && found < 2; at++)
        if (twice[at] == 0x30 && twice[at + 1] == 0xB0 && GetDword(twice, at + 2) == 8)
            ids[found++] = (long)at;
    ASSERT_GT(ids[1], 0);
    PutWord(twice, ids[1] + 6, (uint16_t)(twice[ids[0] + 6] | twice[ids[0] + 7] << 8));
    EXPECT_TRUE(Contains(Refusal(twice), "used twice"));
}

TEST(ThreeDsCheck, FaceCornersMustBePoints) {
    TestScene s = SmallScene();
    s.meshes[0].faces = {0, 1, 3};  // three points: 0, 1, 2
    EXPECT_TRUE(Contains(Refusal(WriteTestScene(s)), "face 0 uses point 3 of 3"));
    s.meshes[0].points.clear();  // faces without points
    s.meshes[0].texels.clear();
    s.meshes[0].faces = {0, 0, 0};
    EXPECT_TRUE(Contains(Refusal(WriteTestScene(s)), "uses point 0 of 0"));
}

TEST(ThreeDsCheck, FacesMustComeAfterTheirPoints) {
    // The same chunks, the point list moved behind the face list.
    std::vector<uint8_t> file = WriteTestScene(SmallScene());
    long points = FindChunk(file, 0x4110), faces = FindChunk(file, 0x4120);
    ASSERT_GT(points, 0);
    ASSERT_GT(faces, points);
    uint32_t pointsLength = GetDword(file, points + 2), facesLength = GetDword(file, faces + 2);
    std::vector<uint8_t> moved(file.begin() + points, file.begin() + points + pointsLength);
    file.erase(file.begin() + points, file.begin() + points + pointsLength);
    size_t after = faces - pointsLength + facesLength;
    file.insert(file.begin() + after, moved.begin(), moved.end());
    EXPECT_TRUE(Contains(Refusal(file), "face 0 uses point 0 of 0"));
}

TEST(ThreeDsCheck, DeepNestingIsRefused) {
    // Forty data sections, each inside the previous one.
    const int depth = 40;
    std::vector<uint8_t> file(6 * (depth + 1));
    for (int i = 0; i <= depth; i++) {
        PutWord(file, i * 6, i == 0 ? 0x4D4D : 0x3D3D);
        PutDword(file, i * 6 + 2, (uint32_t)(file.size() - i * 6));
    }
    EXPECT_TRUE(Contains(Refusal(file), "nested too deeply"));
}

TEST(ThreeDsCheck, UnterminatedNamesAreRefused) {
    std::vector<uint8_t> file = WriteTestScene(SmallScene());
    long name = FindChunk(file, 0xA000);
    ASSERT_GT(name, 0);
    uint32_t length = GetDword(file, name + 2);
    for (uint32_t i = 6; i < length; i++) file[name + i] = 'x';
    EXPECT_TRUE(Contains(Refusal(file), "name not terminated"));
}

// Deterministic byte flips over a sound file: whatever happens, the reader
// answers, and a refusal always comes with a reason.
TEST(ThreeDsCheck, RandomCorruptionNeverCrashes) {
    std::vector<uint8_t> file = WriteTestScene(SmallScene());
    uint32_t seed = 12345;
    auto next = [&]() {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    int refused = 0;
    for (int round = 0; round < 3000; round++) {
        std::vector<uint8_t> bad = file;
        int flips = 1 + next() % 4;
        for (int k = 0; k < flips; k++) bad[next() % bad.size()] = (uint8_t)next();
        ThreeDsData d;
        char error[256] = "";
        if (!ThreeDsRead(bad.data(), bad.size(), 7, d, error, sizeof error)) {
            refused++;
            EXPECT_NE(error[0], 0);
        } else {
            for (const ThreeDsMesh &m : d.meshes)
                for (const GeometryTriangle &t : m.geometry->triangles)
                    for (uint32_t v : t.v) ASSERT_LT(v, (uint32_t)m.geometry->VertexCount());
        }
    }
    EXPECT_GT(refused, 0);
}

}  // namespace
