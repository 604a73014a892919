#include <gtest/gtest.h>

#include "monitor/core/serial_text.h"

namespace vx {
namespace {

TEST(SerialText, VezmiRiadokDropsTheCharacterBeforeTheLineFeed) {
    struct Case {
        std::string in, line, rest;
    } cases[] = {
        {"abc\r\ndef", "abc", "def"},
        {"abc\ndef", "ab", "def"},  // no CR: its last character goes
        {"\ndef", "", "def"},
        {"\r\n", "", ""},
        {"no line feed", "", "no line feed"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        std::string s = c.in;
        EXPECT_EQ(VezmiRiadok(s), c.line) << c.in;
        EXPECT_EQ(s, c.rest) << c.in;
    }
}

TEST(SerialText, PocetVyskytovCountsAnOccurrenceFollowedDirectlyByAnotherOnce) {
    struct Case {
        std::string s;
        int n;
    } cases[] = {
        {"", 0},
        {"30.(", 0},
        {"30.()", 1},
        {"30.()30.()", 1},
        {"30.() 30.()", 2},
        {"x30.()y30.()z30.()", 3},
        {"30.(123)30.()", 1},
    };
    for (const auto& c : cases) EXPECT_EQ(PocetVyskytov("30.()", c.s), c.n) << c.s;
    EXPECT_EQ(PocetVyskytov("", "abc"), 0);
}

TEST(SerialText, CurrentMinuteGetsTheCurrentSeconds) {
    DateTime now{2024, 6, 12, 14, 30, 27, 0};
    EXPECT_EQ(CasNaMinutu("14:30", now), "14:30:27");
    EXPECT_EQ(CasNaMinutu("14:29", now), "14:29:00");
    EXPECT_EQ(CasNaMinutu("", now), ":00");
}

TEST(SerialText, NumbersThatDoNotBeginWithADigitAreAnonymous) {
    EXPECT_EQ(CisloAleboAnonym("0905123456"), "0905123456");
    EXPECT_EQ(CisloAleboAnonym(""), "anonymous");
    EXPECT_EQ(CisloAleboAnonym("+421905"), "anonymous");
    EXPECT_EQ(CisloAleboAnonym("Unknown"), "anonymous");
    std::string s = "ab";
    NastavZnak(s, 3, '.');
    NastavZnak(s, 0, '.');
    EXPECT_EQ(s, "ab");
}

}  // namespace
}  // namespace vx
