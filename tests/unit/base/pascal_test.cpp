#include "base/pascal.h"

#include <gtest/gtest.h>

#include <cstdint>

#include <cstring>

#include "base/errors.h"

using namespace vx;

TEST(Pascal, CopyFollowsOneBasedRules) {
    struct { const char* s; int i, n; const char* want; } cases[] = {
        {"abcdef", 1, 3, "abc"}, {"abcdef", 0, 2, "ab"},  {"abcdef", -5, 2, "ab"},
        {"abcdef", 6, 5, "f"},   {"abcdef", 7, 1, ""},    {"abcdef", 2, 0, ""},
        {"abcdef", 2, -1, ""},   {"", 1, 1, ""},          {"abcdef", 3, 1000000, "cdef"},
    };
    for (auto& c : cases) EXPECT_EQ(Copy(c.s, c.i, c.n), c.want) << c.s << " " << c.i << " " << c.n;
}

TEST(Pascal, PosNeverFindsEmptyText) {
    EXPECT_EQ(Pos("", "abc"), 0);
    EXPECT_EQ(Pos("", ""), 0);
    EXPECT_EQ(Pos("b", "abcb"), 2);
    EXPECT_EQ(Pos("x", "abc"), 0);
    EXPECT_EQ(Pos("abc", "abc"), 1);
}

TEST(Pascal, DeleteOutsideRangeIsNoOp) {
    std::string s = "abcdef";
    Delete(s, 0, 2);
    EXPECT_EQ(s, "abcdef");
    Delete(s, 7, 1);
    EXPECT_EQ(s, "abcdef");
    Delete(s, 5, 100);
    EXPECT_EQ(s, "abcd");
    Delete(s, 1, 1);
    EXPECT_EQ(s, "bcd");
}

TEST(Pascal, StrToIntAndBool) {
    EXPECT_EQ(StrToInt("42"), 42);
    EXPECT_EQ(StrToInt("-7"), -7);
    EXPECT_EQ(StrToInt(" 8"), 8);
    EXPECT_EQ(StrToInt("$FF"), 255);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    EXPECT_THROW(StrToInt("2147483648"), EConvertError);
    // A negative hexadecimal text wraps around 32 bits as the run-time
    // library's does; "-$80000000" stays the smallest value.
    EXPECT_EQ(StrToInt("-$80000000"), INT32_MIN);
    EXPECT_EQ(StrToInt("-0x80000000"), INT32_MIN);
    EXPECT_EQ(StrToInt("$80000000"), INT32_MIN);
    EXPECT_EQ(StrToInt("-$FFFFFFFF"), 1);
    EXPECT_EQ(StrToInt("-$1"), -1);
    EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
    EXPECT_THROW(StrToInt("8 "), EConvertError);
    EXPECT_THROW(StrToInt(""), EConvertError);
    try {
        StrToInt("abc");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
    }
    EXPECT_TRUE(StrToBool("-1"));
    EXPECT_TRUE(StrToBool("tRUE"));
    EXPECT_FALSE(StrToBool("0"));
    EXPECT_FALSE(StrToBool("False"));
    try {
        StrToBool("yes");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'yes' is not a valid boolean value");
    }
}

TEST(Pascal, CodePage1250Literals) {
    // The compiler turns the UTF-8 sources into code page 1250 bytes.
    std::string s = "Š";
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(static_cast<unsigned char>(s[0]), 0x8A);
}

#include "base/diacritics.h"

TEST(Diacritics, TableIsAligned) {
    ASSERT_EQ(std::strlen(kDiakritikaAccented), 62u);
    ASSERT_EQ(std::strlen(kDiakritikaPlain), 62u);
    EXPECT_EQ(BezDiakritiky("Účtovníctvo"), "Uctovnictvo");
    EXPECT_EQ(BezDiakritiky("ł"), "ł");  // not in the table
}
