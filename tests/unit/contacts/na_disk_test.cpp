// The rewrites of the address book and of the history put their new file on
// the disk (flushed, not only handed to the system's cache) before it takes
// the old one's place, so that a power loss never leaves an empty or
// half-written file under the old name; the bytes are those of before.
#include <gtest/gtest.h>

#include <map>

#include "base/testing/fakes.h"
#include "base/testing/recordingfs.h"
#include "contacts/core/adresar.h"
#include "contacts/core/historia.h"
#include "pomocky.h"

namespace vx {
namespace {

using test::Citaj;

struct NaDisk : ::testing::Test, fake::VirtualTime {
    fake::TempDir dir;
    StdFileSystem disk;
    fake::RecordingFs fs{disk};
};

using test::Mriezka;

TEST_F(NaDisk, TheSavedBookIsFlushedBeforeItTakesTheOldOnesPlace) {
    ASSERT_TRUE(disk.WriteAll(dir / kSuborAdresara, "Stará;Kniha;111;;\r\n"));
    Mriezka grid;
    const char* riadok[] = {"", "Ján", "Novák", "Firma", "0903111222", ""};
    for (int c = 1; c <= 5; ++c) grid.SetCell(c, 1, riadok[c]);
    ZapisAdresar(fs, pump, dir.Dir(), grid, 1);
    EXPECT_TRUE(fs.FlushedBeforePut(dir / "vestrix.adr.tmp", dir / kSuborAdresara)) << ::testing::PrintToString(fs.steps);
    EXPECT_EQ(Citaj(disk, dir / kSuborAdresara), "Ján;Novák;0903111222;;Firma\r\n");
}

TEST_F(NaDisk, TheRewrittenHistoryIsFlushedBeforeItTakesTheOldOnesPlace) {
    const std::string r = "01.02.2024  10:00:00;0903111222;Ján Novák;Firma;Port 1\r\n";
    ASSERT_TRUE(disk.WriteAll(dir / kSuborHistorie, r + r + r));
    bool obsadena = false;
    THistoria h(fs, pump, timers, clock, dir.Dir(), obsadena, [](const std::string&) {});
    h.SkratHistoriu(true, 3, 0, 1);
    EXPECT_TRUE(fs.FlushedBeforePut(dir / kNovaHistoria, dir / kSuborHistorie)) << ::testing::PrintToString(fs.steps);
    EXPECT_EQ(Citaj(disk, dir / kSuborHistorie), r + r);
    EXPECT_EQ(Citaj(disk, dir / kZalohaHistorie), r + r + r);
}

}  // namespace
}  // namespace vx
