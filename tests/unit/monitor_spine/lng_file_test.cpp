// The language file as the build delivers it beside the program.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "base/stdfiles.h"
#include "monitor/core/texty.h"

using namespace vx;

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// Natively the build's copy; on Windows the one beside the test program,
// where the program finds it too.
std::string LngPath() {
#ifdef _WIN32
    char buf[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
    std::string p(buf, n);
    return p.substr(0, p.find_last_of("\\/") + 1) + "vestrix.lng";
#else
    return VX_LNG_FILE;
#endif
}

std::string Built() {
    StdFileSystem fs;
    std::string s;
    EXPECT_TRUE(fs.ReadAll(LngPath(), s)) << LngPath();
    return s;
}

TEST(LanguageFile, Has170LinesEndedByCrLf) {
    std::string s = Built();
    int lines = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\n') {
            ASSERT_TRUE(i > 0 && s[i - 1] == '\r') << "bare LF at byte " << i;
            ++lines;
        } else if (s[i] == '\r') {
            ASSERT_TRUE(i + 1 < s.size() && s[i + 1] == '\n') << "bare CR at byte " << i;
        }
    }
    EXPECT_EQ(lines, 170);
    ASSERT_GE(s.size(), 2u);
    EXPECT_EQ(s.substr(s.size() - 2), "\r\n");
}

TEST(LanguageFile, EveryByteIsCodePage1250AndNoLineIsCut) {
    // Bytes that code page 1250 leaves undefined, and controls other than CR LF.
    const std::set<unsigned char> undefined = {0x81, 0x83, 0x88, 0x90, 0x98};
    std::string s = Built();
    size_t len = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c == '\r' || c == '\n') {
            EXPECT_LE(len, 255u);
            len = 0;
            continue;
        }
        ++len;
        EXPECT_GE(c, 0x20) << "control byte at " << i;
        EXPECT_FALSE(undefined.count(c)) << "byte " << int(c) << " at " << i;
    }
}

TEST(LanguageFile, LoadsIntoTheTableWithTheStoredCaptions) {
    StdFileSystem fs;
    TTexty t;
    ASSERT_NO_THROW(NacitajTexty(t, fs, LngPath()));
    // Captions the windows were designed with, kept byte for byte.
    EXPECT_EQ(t[83], "Pridať");
    EXPECT_EQ(t[86], "Hľadať další");
    EXPECT_EQ(t[97], " Súbor s telefónnymi číslami");
    EXPECT_EQ(t[98], "Pridanie mena do adresára");
    EXPECT_EQ(t[103], "Firma, Mesto");
    EXPECT_EQ(t[116], "Parametre");
    EXPECT_EQ(t[121], "Import kontaktov z Microsoft Outlook");
    EXPECT_EQ(t[123], "Chyba pri importe kontaktov");
    // Every line some window shows has a text.
    std::vector<int> used;
    for (int n = 1; n <= 129; ++n)
        if (n != 13) used.push_back(n);
    for (int n = 136; n <= 161; ++n) used.push_back(n);
    used.push_back(163);
    used.push_back(164);
    for (int n : used) EXPECT_FALSE(t[n].empty()) << "line " << n;
}

}  // namespace
