// A file that passes the structural check but that lib3ds still gives up on
// part way leaves lib3ds's chunk-nesting record unbalanced; read often enough
// in one run, such files would overflow that record inside lib3ds. Reading
// one many times must end in refusals, never in a crash.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "lib3d/ThreeDsCheck.h"
#include "lib3d/ThreeDsImport.h"

using namespace lib3d;

TEST(ThreeDsLevels, RepeatedPartialReadsEndInRefusalNotOverflow) {
    const char *source = std::getenv("MARBRIX_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    const std::string path =
        std::string(source) + "/fuzz/corpus/scene/crash-4291b04ec890d278c52442c4487c9c376a6639b4";
    std::vector<uint8_t> bytes;
    char error[256] = "";
    ASSERT_TRUE(ThreeDsReadBytes(path.c_str(), bytes, error, sizeof error)) << error;
    // The structure is sound, so it is lib3ds that fails on it.
    ASSERT_TRUE(ThreeDsCheck(bytes.data(), bytes.size(), error, sizeof error)) << error;

    int refusals = 0;
    for (int i = 0; i < 200; i++) {
        ThreeDsData data;
        EXPECT_FALSE(ThreeDsRead(bytes.data(), bytes.size(), 7, data, error, sizeof error));
        if (std::string(error).find("disabled") != std::string::npos) refusals++;
    }
    // A few reads reach lib3ds; the rest are refused before they could overflow it.
    EXPECT_GT(refusals, 190);
    EXPECT_LT(refusals, 200);
}
