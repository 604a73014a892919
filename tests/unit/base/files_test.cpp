#include "base/files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "base/stdfiles.h"
#include "base/testing/tempdir.h"

using namespace vx;

TEST(Files, SplitLinesTakesEveryLineEnd) {
    std::vector<std::string> l;
    SplitLines("a\r\nb\nc\rd\r\n\r\ne", l);
    ASSERT_EQ(l.size(), 6u);
    EXPECT_EQ(l[0], "a");
    EXPECT_EQ(l[2], "c");
    EXPECT_EQ(l[3], "d");
    EXPECT_EQ(l[4], "");
    EXPECT_EQ(l[5], "e");
}

TEST(Files, RenameRefusesExistingTarget) {
    fake::TempDir t;
    std::string d = t.Dir();
    StdFileSystem fs;
    ASSERT_TRUE(fs.WriteAll(d + "a", "1"));
    ASSERT_TRUE(fs.WriteAll(d + "b", "2"));
    EXPECT_FALSE(fs.Rename(d + "a", d + "b"));
    std::string s;
    ASSERT_TRUE(fs.ReadAll(d + "b", s));
    EXPECT_EQ(s, "2");
    EXPECT_TRUE(fs.Replace(d + "a", d + "b"));
    ASSERT_TRUE(fs.ReadAll(d + "b", s));
    EXPECT_EQ(s, "1");
    EXPECT_EQ(fs.Append(d + "b", "x"), 0);
    EXPECT_EQ(fs.Size(d + "b"), 2);
    EXPECT_EQ(fs.Size(d + "none"), -1);
}
