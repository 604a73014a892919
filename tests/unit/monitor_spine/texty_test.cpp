#include "monitor/core/texty.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "base/testing/tempdir.h"
#include "faultfs.h"

using namespace vx;

namespace {

std::string Lines(int n, const std::string& end = "\r\n") {
    std::string s;
    for (int i = 1; i <= n; ++i) s += "text " + std::to_string(i) + end;
    return s;
}

struct TextyFixture : ::testing::Test {
    fake::TempDir dir;
    fake::FaultFs fs;
    std::string lng = dir / "vestrix.lng";
    TTexty t;
};

TEST_F(TextyFixture, OneHundredSeventyLinesLoadWithOrWithoutAFinalLineBreak) {
    for (std::string body : {Lines(170), Lines(170).substr(0, Lines(170).size() - 2), Lines(170, "\n")}) {
        TTexty x;
        fs.Write(lng, body);
        EXPECT_NO_THROW(NacitajTexty(x, fs, lng));
        EXPECT_EQ(x[1], "text 1");
        EXPECT_EQ(x[170], "text 170");
    }
}

TEST_F(TextyFixture, AnyLineAfterThe170thIsARangeErrorWithTheTableFilled) {
    for (std::string extra : {std::string("\r\n"), std::string("more\r\n"), std::string("x")}) {
        TTexty x;
        fs.Write(lng, Lines(170) + extra);
        try {
            NacitajTexty(x, fs, lng);
            ADD_FAILURE() << "no error";
        } catch (const ERangeError& e) {
            EXPECT_STREQ(e.what(), "Range check error");
        }
        EXPECT_EQ(x[170], "text 170");
        // Closed before the error reached us: the file can be removed.
        EXPECT_TRUE(fs.Replace(lng, lng + ".x"));
    }
}

TEST_F(TextyFixture, LongLinesAreCutAt255AndEmptyLinesStayEmpty) {
    std::string longLine(300, 'a');
    longLine[254] = 'B';
    fs.Write(lng, "prvý\r\n\r\n" + longLine + "\r\nštvrtý");
    t.Set(2, "designed");
    NacitajTexty(t, fs, lng);
    EXPECT_EQ(t[1], "prvý");
    EXPECT_EQ(t[2], "");
    EXPECT_EQ(t[3].size(), 255u);
    EXPECT_EQ(t[3].back(), 'B');
    EXPECT_EQ(t[4], "štvrtý");
    EXPECT_EQ(t[5], "");
}

TEST_F(TextyFixture, MissingFileLeavesTheTableAndOutOfRangeEntriesReadEmpty) {
    NacitajTexty(t, fs, lng);
    for (int n : {-1, 0, 1, 170, 171, 100000}) EXPECT_EQ(t[n], "") << n;
    EXPECT_THROW(t.Set(171, "x"), ERangeError);
    EXPECT_THROW(t.Set(0, "x"), ERangeError);
}

TEST_F(TextyFixture, EmptyFileGivesAnEmptyFirstEntry) {
    fs.Write(lng, "");
    t.Set(1, "x");
    NacitajTexty(t, fs, lng);
    EXPECT_EQ(t[1], "");
}

TEST_F(TextyFixture, UnreadableFileIsAnInputOutputError) {
    fs.Write(lng, "a\r\n");
    fs.unreadable.insert(lng);
    EXPECT_THROW(NacitajTexty(t, fs, lng), EInOutError);
}

}  // namespace
