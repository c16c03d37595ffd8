#include "platform/Path.h"

#include <gtest/gtest.h>

TEST(JoinPath, AcceptsBothSeparatorsAndWritesSlash) {
    EXPECT_EQ(platform::JoinPath("./", "save"), "./save");
    EXPECT_EQ(platform::JoinPath(".\\", "save"), "./save");
    EXPECT_EQ(platform::JoinPath("dir", "save"), "dir/save");
    EXPECT_EQ(platform::JoinPath("", "save"), "save");
}
