#include <gtest/gtest.h>

#include "platform/Path.h"

TEST(JoinPath, AcceptsBothSeparatorsAndWritesSlash) {
    EXPECT_EQ(platform::JoinPath("./", "save"), "./save");
    EXPECT_EQ(platform::JoinPath(".\\", "save"), "./save");
    EXPECT_EQ(platform::JoinPath("dir", "save"), "dir/save");
    EXPECT_EQ(platform::JoinPath("", "save"), "save");
}
