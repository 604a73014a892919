// Reading a text file piece by piece gives the lines of the whole file, for
// any size of the pieces and wherever a line end falls.
#include "contacts/core/textsubor.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/errors.h"
#include "base/stdfiles.h"
#include "base/testing/tempdir.h"

using namespace vx;

namespace {

TEST(TCitacRiadkov, SameLinesAsTheWholeFileForEveryPieceSize) {
    fake::TempDir dir;
    StdFileSystem fs;
    std::mt19937 g(7);
    const char abeceda[] = "ab;\r\n\r\n";
    for (int kolo = 0; kolo < 80; ++kolo) {
        std::string text;
        const int n = static_cast<int>(g() % 40);
        for (int i = 0; i < n; ++i) text += abeceda[g() % 7];
        ASSERT_TRUE(fs.WriteAll(dir / "t", text));
        std::vector<std::string> ocakavane;
        SplitLines(text, ocakavane);
        for (size_t kus : {1, 3, 64}) {
            TCitacRiadkov c(fs, dir / "t", static_cast<int64_t>(text.size()), kus);
            std::vector<std::string> riadky;
            std::string r;
            while (c.Dalsi(r)) riadky.push_back(r);
            ASSERT_EQ(riadky, ocakavane) << "piece " << kus << ", text \"" << text << "\"";
            EXPECT_EQ(c.BezKoncaRiadku(), EndsWithoutLineEnd(text));
            TCitacRiadkov cely(fs, dir / "t", static_cast<int64_t>(text.size()), 5);
            cely.Docitaj();
            EXPECT_EQ(cely.Odtlacok(), c.Odtlacok());
        }
    }
}

// Only the given length is read; bytes appended later are not part of it,
// and a file that became shorter raises.
TEST(TCitacRiadkov, ReadsTheGivenLengthAndNoticesAShorterFile) {
    fake::TempDir dir;
    StdFileSystem fs;
    ASSERT_TRUE(fs.WriteAll(dir / "t", "a\r\nb\r\nc\r\n"));
    TCitacRiadkov c(fs, dir / "t", 6, 2);
    std::string r;
    std::vector<std::string> riadky;
    while (c.Dalsi(r)) riadky.push_back(r);
    EXPECT_EQ(riadky, (std::vector<std::string>{"a", "b"}));

    TCitacRiadkov d(fs, dir / "t", 9, 4);
    ASSERT_TRUE(d.Dalsi(r));
    ASSERT_TRUE(fs.WriteAll(dir / "t", "a\r\n"));
    EXPECT_THROW(while (d.Dalsi(r)) {}, EInOutError);

    // A different content gives a different fingerprint.
    ASSERT_TRUE(fs.WriteAll(dir / "t", "a\r\nb\r\nc\r\n"));
    TCitacRiadkov e(fs, dir / "t", 9), f(fs, dir / "t", 9);
    e.Docitaj();
    ASSERT_TRUE(fs.WriteAll(dir / "t", "a\r\nb\r\nd\r\n"));
    f.Docitaj();
    EXPECT_NE(e.Odtlacok(), f.Odtlacok());
}

}  // namespace
