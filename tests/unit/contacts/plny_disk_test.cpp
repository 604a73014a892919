// On a disk that fills up in the middle of a record, the history and the
// address book keep no torn line: the failed append leaves the file as it
// was, the failure is reported, and the next record after space is freed
// stands on a line of its own.
#include <gtest/gtest.h>

#include "base/errors.h"
#include "base/testing/fakes.h"
#include "base/testing/fulldisk.h"
#include "contacts/core/adresar.h"
#include "contacts/core/historia.h"
#include "pomocky.h"

namespace vx {
namespace {

using test::Citaj;

struct PlnyDisk : ::testing::Test, fake::VirtualTime {
    fake::TempDir dir;
    StdFileSystem disk;
    fake::FullDisk fs{disk};
    bool obsadena = false;
    std::vector<std::string> log;
};

TEST_F(PlnyDisk, ACallThatDoesNotFitLeavesTheHistoryAsItWas) {
    const std::string hst = dir / kSuborHistorie;
    const std::string pred = "01.02.2024  10:00:00;0910000224;Meno224 Priezvisko224;;Port 1\r\n";
    ASSERT_TRUE(disk.WriteAll(hst, pred));
    THistoria h(fs, pump, timers, clock, dir.Dir(), obsadena, [this](const std::string& s) { log.push_back(s); });
    const std::string r1 = "01.02.2024  10:01:00;0910000225;Meno225 Priezvisko225;;Port 1";
    const std::string r2 = "01.02.2024  10:02:00;0910000226;Meno226 Priezvisko226;;Port 1";
    fs.room = 30;
    h.ZapisHistoriu(r1, "0910000225", "01.02.2024", "10:01:00", true);
    EXPECT_EQ(Citaj(disk, hst), pred);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "Nepodarilo sa zapísať do histórie: " + r1);
    fs.room = -1;
    h.ZapisHistoriu(r2, "0910000226", "01.02.2024", "10:02:00", true);
    EXPECT_EQ(Citaj(disk, hst), pred + r2 + "\r\n");
}

TEST_F(PlnyDisk, AContactThatDoesNotFitLeavesTheBookAsItWas) {
    const std::string adr = dir / kSuborAdresara;
    ASSERT_TRUE(disk.WriteAll(adr, "Ján;Novák;0911111111;;Firma"));  // a hand edit without a last line end
    fs.room = 12;
    try {
        PridajDoAdresara(fs, dir.Dir(), "Eva;Malá;0922222222;;");
        ADD_FAILURE() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode, 112);
    }
    EXPECT_EQ(Citaj(disk, adr), "Ján;Novák;0911111111;;Firma");
    fs.room = -1;
    PridajDoAdresara(fs, dir.Dir(), "Eva;Malá;0922222222;;");
    EXPECT_EQ(Citaj(disk, adr), "Ján;Novák;0911111111;;Firma\r\nEva;Malá;0922222222;;\r\n");
}

}  // namespace
}  // namespace vx
