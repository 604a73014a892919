// Net send and the configured programs: command lines and their filters.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "base/errors.h"

#include "monitor/core/netsend_programs.h"

namespace vx {
namespace {

struct Spustac : IProcessStarter {
    std::vector<std::pair<std::string, int>> starts;
    int throwAt = -1;
    void WinExec(const std::string& cmd, int show) override {
        if (static_cast<int>(starts.size()) == throwAt) {
            ++throwAt;  // only once
            throw Exception("cannot start");
        }
        starts.push_back({cmd, show});
    }
};

struct Subory : IFileSystem {
    std::set<std::string> existing;
    bool Exists(const std::string& p) override { return existing.count(p) > 0; }
    int64_t Size(const std::string&) override { return -1; }
    bool ReadAll(const std::string&, std::string&) override { return false; }
    bool WriteAll(const std::string&, const std::string&) override { return false; }
    int Append(const std::string&, const std::string&) override { return -1; }
    bool Rename(const std::string&, const std::string&) override { return false; }
    bool Replace(const std::string&, const std::string&) override { return false; }
    bool Remove(const std::string&) override { return false; }
};

class ProgramsTest : public ::testing::Test {
protected:
    TPremenne P;
    Spustac s;
    Subory f;
    std::vector<std::string> log;
    TNotifikacieProgramov n{P, s, f, [this](const std::string& l) { log.push_back(l); }};
    void SetUp() override {
        P.Volanie.Meno = "Ján Novák";
        P.Volanie.Firma = "Účtovníctvo s.r.o.";
    }
};

TEST(CommandLineValues, SanitisingTable) {
    struct Pripad {
        std::string in, out;
    } pripady[] = {
        {"0905123456", "0905123456"},
        {"Port 1", "Port 1"},
        {"1 & evil.exe", "1  evil.exe"},
        {"a|b<c>d^e%PATH%f", "abcdePATHf"},
        {"x\" & calc \"", "x  calc "},
        {std::string("a\r\nb\0c\x1b\x7f", 8), "abc"},
        {"Účtovníctvo", "Účtovníctvo"},
        {"Firma\\", "Firma\\"},
        {"", ""},
    };
    for (const auto& p : pripady) EXPECT_EQ(VycistiPrePrikaz(p.in), p.out) << p.in;
}

// Each value becomes one argument that CommandLineToArgvW and the C runtime
// read back as the value (less the interpreter's characters).
TEST(CommandLineValues, ArgumentTable) {
    struct Pripad {
        std::string in, argument;
    } pripady[] = {
        {"0905123456", "\"0905123456\""},
        {"", "\"\""},
        {"Port 1", "\"Port 1\""},
        {"  ", "\"  \""},
        {"a\tb", "\"ab\""},
        {"Ján \"Jano\" Novák", "\"Ján \\\"Jano\\\" Novák\""},
        {"\"", "\"\\\"\""},
        {"C:\\dir\\x", "\"C:\\dir\\x\""},
        {"Firma\\", "\"Firma\\\\\""},
        {"a\\\\", "\"a\\\\\\\\\""},
        {"a\\\"b", "\"a\\\\\\\"b\""},
        {"\\\\\" x", "\"\\\\\\\\\\\" x\""},
        {"1 & evil.exe", "\"1  evil.exe\""},
        {"x\" & calc \"", "\"x\\\"  calc \\\"\""},
        {"a|b<c>d^e%PATH%f", "\"abcdePATHf\""},
        {"a\\%\"", "\"a\\\\\\\"\""},
        {"Účtovníctvo s.r.o.", "\"Účtovníctvo s.r.o.\""},
    };
    for (const auto& p : pripady) EXPECT_EQ(ArgumentPrikazu(p.in), p.argument) << p.in;
}

TEST_F(ProgramsTest, NetSendToRecipientsOneAndThree) {
    P.Config.namemess1 = "jano";
    P.Config.namemess3 = "PC3";
    n.PosliKurierom("0905123456");
    ASSERT_EQ(s.starts.size(), 2u);
    EXPECT_EQ(s.starts[0].first, "Net send jano VESTRIX - volanie: 0905123456 - Ján Novák, Účtovníctvo s.r.o.");
    EXPECT_EQ(s.starts[0].second, kSwHide);
    EXPECT_EQ(s.starts[1].first.rfind("Net send PC3 ", 0), 0u);
    EXPECT_EQ(log, (std::vector<std::string>{"Odoslanie správy kuriérom pre používateľa/PC jano",
                                             "Odoslanie správy kuriérom pre používateľa/PC PC3"}));
}

TEST_F(ProgramsTest, NetSendWithoutRecipientsDoesNothing) {
    n.PosliKurierom("1");
    EXPECT_TRUE(s.starts.empty());
    EXPECT_TRUE(log.empty());
}

TEST_F(ProgramsTest, NetSendOfACraftedNumberStaysOneCommand) {
    P.Config.namemess1 = "jano";
    P.Volanie.Meno = "";
    P.Volanie.Firma = "";
    n.PosliKurierom("1 & del *.* | x");
    EXPECT_EQ(s.starts[0].first, "Net send jano VESTRIX - volanie: 1  del *.*  x - , ");
}

TEST_F(ProgramsTest, NetSendFailureEndsTheRoutine) {
    P.Config.namemess1 = "a";
    P.Config.namemess2 = "b";
    s.throwAt = 0;
    n.PosliKurierom("1");
    EXPECT_TRUE(s.starts.empty());
    EXPECT_TRUE(log.empty());
}

TEST_F(ProgramsTest, ProgramCommandLineLayout) {
    P.Config.actionprogram1 = "C:\\app\\prog.exe";
    f.existing = {"C:\\app\\prog.exe"};
    EXPECT_TRUE(n.SpustiProgram("0905123456", "Port 1"));
    ASSERT_EQ(s.starts.size(), 1u);
    EXPECT_EQ(s.starts[0].first, "C:\\app\\prog.exe \"0905123456\" \"Port 1\" \"Ján Novák\" \"Účtovníctvo s.r.o.\"");
    EXPECT_EQ(s.starts[0].second, kSwShowNormal);
    EXPECT_EQ(log, std::vector<std::string>{"Vykonanie programu C:\\app\\prog.exe"});
}

// The configured program is a code page 1250 text of vestrix.ini: it is
// looked for under the path that text names, and started by that text.
TEST_F(ProgramsTest, AProgramWithAccentsInItsPathIsFoundAndStarted) {
    P.Config.actionprogram1 = "C:\\Programy\\\xDA\xE8ty\\\x8Atart.exe";  // Účty\Štart.exe
    f.existing = {u8"C:\\Programy\\Účty\\Štart.exe"};
    EXPECT_TRUE(n.SpustiProgram("0905123456", "Port 1"));
    ASSERT_EQ(s.starts.size(), 1u);
    EXPECT_EQ(s.starts[0].first.rfind(P.Config.actionprogram1 + " \"0905123456\" ", 0), 0u) << s.starts[0].first;
}

TEST_F(ProgramsTest, CraftedValuesCannotLeaveTheirArguments) {
    P.Config.actionprogram1 = "p.bat";
    f.existing = {"p.bat"};
    P.Volanie.Meno = "x\" & evil.exe & \"";
    P.Volanie.Firma = "F\\";
    n.SpustiProgram("1 & evil.exe", "2|evil");
    EXPECT_EQ(s.starts[0].first, "p.bat \"1  evil.exe\" \"2evil\" \"x\\\"  evil.exe  \\\"\" \"F\\\\\"");
}

TEST_F(ProgramsTest, FiltersAndMissingFiles) {
    P.Config.actionprogram1 = "p1";
    P.Config.actioncalling1 = "111";
    P.Config.actionprogram2 = "missing";
    P.Config.actionprogram3 = "p3";
    P.Config.actioncalled3 = "Port 2";
    f.existing = {"p1", "p3"};
    EXPECT_FALSE(n.SpustiProgram("111", "Port 1"));
    ASSERT_EQ(s.starts.size(), 1u);
    EXPECT_EQ(s.starts[0].first.rfind("p1 \"111\" \"Port 1\" ", 0), 0u);
    s.starts.clear();
    EXPECT_FALSE(n.SpustiProgram("222", "Port 2"));
    ASSERT_EQ(s.starts.size(), 1u);
    EXPECT_EQ(s.starts[0].first.rfind("p3 \"222\" \"Port 2\" ", 0), 0u);
    P.Config.actionprogram2 = "";
    s.starts.clear();
    EXPECT_TRUE(n.SpustiProgram("333", "Port 1"));  // filters let none start
    EXPECT_TRUE(s.starts.empty());
}

TEST_F(ProgramsTest, EmptyCalledNumberIsAnEmptyArgument) {
    P.Config.actionprogram1 = "p";
    f.existing = {"p"};
    P.Volanie.Meno = P.Volanie.Firma = "";
    n.SpustiProgram("1", "");
    EXPECT_EQ(s.starts[0].first, "p \"1\" \"\" \"\" \"\"");
}

TEST_F(ProgramsTest, FailedStartIsLoggedAndTheNextProgramRuns) {
    P.Config.actionprogram1 = "p1";
    P.Config.actionprogram2 = "p2";
    f.existing = {"p1", "p2"};
    s.throwAt = 0;
    EXPECT_TRUE(n.SpustiProgram("1", "2"));
    EXPECT_EQ(log, (std::vector<std::string>{"Vykonanie programu p1", "p1 sa nepodarilo spustiť",
                                             "Vykonanie programu p2"}));
    ASSERT_EQ(s.starts.size(), 1u);
}

}  // namespace
}  // namespace vx
