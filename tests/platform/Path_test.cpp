#include "platform/Path.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

TEST(JoinPath, AcceptsBothSeparatorsAndWritesSlash) {
    EXPECT_EQ(platform::JoinPath("./", "save"), "./save");
    EXPECT_EQ(platform::JoinPath(".\\", "save"), "./save");
    EXPECT_EQ(platform::JoinPath("dir", "save"), "dir/save");
    EXPECT_EQ(platform::JoinPath("", "save"), "save");
}

// Every missing directory along the path is made; what exists is kept; a
// file in the way, or nothing to make, is a failure.
TEST(MakeDirs, MakesEachMissingLevelAndStopsAtAFile) {
    char base[] = "/tmp/makedirs_XXXXXX";
    ASSERT_NE(mkdtemp(base), nullptr);
    const std::string root = base;
    EXPECT_TRUE(platform::MakeDirs(root + "/a/b//c/"));
    EXPECT_TRUE(platform::IsDirectory((root + "/a/b/c").c_str()));
    EXPECT_TRUE(platform::MakeDirs(root + "/a/b"));  // already there
    FILE *f = fopen((root + "/a/file").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fclose(f);
    EXPECT_FALSE(platform::MakeDirs(root + "/a/file"));
    EXPECT_FALSE(platform::MakeDirs(root + "/a/file/d"));
    EXPECT_FALSE(platform::IsDirectory((root + "/a/file/d").c_str()));
    EXPECT_FALSE(platform::MakeDirs(""));
    // A relative path is made from the working folder.
    char kept[4096];
    ASSERT_NE(getcwd(kept, sizeof kept), nullptr);
    ASSERT_EQ(chdir(base), 0);
    EXPECT_TRUE(platform::MakeDirs("x/y"));
    EXPECT_TRUE(platform::IsDirectory((root + "/x/y").c_str()));
    ASSERT_EQ(chdir(kept), 0);
    const std::string cleanup = "rm -rf " + root;
    EXPECT_EQ(system(cleanup.c_str()), 0);
}
