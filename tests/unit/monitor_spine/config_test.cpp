#include "monitor/core/config.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "base/testing/tempdir.h"
#include "base/testing/recordingfs.h"
#include "faultfs.h"

using namespace vx;

namespace {

// vestrix.ini as the writer puts the built-in defaults, byte for byte.
const char kDefaults[] =
    "showhint=-1\r\nring=-1\r\ncid=-1\r\ncidinterval=10000\r\nstartminimized=0\r\n"
    "countryprefix=00421\r\nnotify=0\r\nSMTPaddress=127.0.0.1\r\nSMTPport=25\r\n"
    "email1=\r\nemail2=\r\nemail3=\r\nDUPconnection=0\r\nDUPname=\r\nmaxtries=3\r\n"
    "repeatafter=60000\r\nmessanger=0\r\nnamemess1=\r\nnamemess2=\r\nnamemess3=\r\n"
    "PCIP1=\r\nPCport1=8888\r\nPCIP2=\r\nPCport2=8888\r\nPCIP3=\r\nPCport3=8888\r\n"
    "UDPserverport=8888\r\nacceptname=-1\r\nsendUDP=0\r\naction=0\r\n"
    "actionprogram1=\r\nactioncalling1=\r\nactioncalled1=\r\n"
    "actionprogram2=\r\nactioncalling2=\r\nactioncalled2=\r\n"
    "actionprogram3=\r\nactioncalling3=\r\nactioncalled3=\r\n"
    "history=-1\r\ncuthistory=-1\r\nmaxrowshistory=0\r\ncutrowshistory=0\r\n"
    "isnet=0\r\nisCAPI=-1\r\nisCOM=0\r\nCOMdevice=TODOS\r\nCOMport=Com2\r\n"
    "COMbaudrate=br115200\r\nCOMinterval=2000\r\nstartup=0\r\n";

struct RunKeyDouble : IRunKey {
    struct Call {
        std::string op, name, data;
    };
    std::vector<Call> calls;
    Result result = Ok;
    Result SetValue(const std::string& n, const std::string& d) override {
        calls.push_back({"set", n, d});
        return result;
    }
    Result DeleteValue(const std::string& n) override {
        calls.push_back({"delete", n, ""});
        return result;
    }
};

struct ConfigFixture : ::testing::Test {
    fake::TempDir dir;
    fake::FaultFs fs;
    std::string ini = dir / "vestrix.ini";
    RunKeyDouble run;
    TConfig c;
    void Read(const std::string& text) {
        fs.Write(ini, text);
        NacitajConfig(c, fs, ini);
    }
};

TEST_F(ConfigFixture, TheSavedFileIsFlushedBeforeItTakesTheOldOnesPlace) {
    StdFileSystem disk;
    fake::RecordingFs rec(disk);
    fs.Write(ini, "isnet=-1\r\n");
    TConfig into;
    ZapisConfig(TConfig(), into, rec, ini, run, "x");
    EXPECT_TRUE(rec.FlushedBeforePut(ini + ".tmp", ini)) << ::testing::PrintToString(rec.steps);
    EXPECT_EQ(fs.Read(ini), kDefaults);
}

TEST_F(ConfigFixture, DefaultsAreWrittenInTableOrderWithBooleansAsMinusOneAndZero) {
    EXPECT_EQ(TextConfigu(TConfig()), kDefaults);
    TConfig into;
    ZapisConfig(TConfig(), into, fs, ini, run, "C:\\Program Files\\Vestrix\\Vestrix.exe");
    EXPECT_EQ(fs.Read(ini), kDefaults);
    EXPECT_FALSE(fs.Exists(ini + ".tmp"));
}

TEST_F(ConfigFixture, EveryKeyRoundTrips) {
    TConfig v;
    // Flip every Boolean and give every number and text its own value.
    v.showhint = v.ring = v.cid = v.acceptname = v.history = v.cuthistory = v.isCAPI = false;
    v.startminimized = v.notify = v.DUPconnection = v.messanger = v.sendUDP = v.action = v.isnet =
        v.isCOM = v.startup = true;
    v.cidinterval = 7; v.maxtries = -8; v.repeatafter = 9000; v.maxrowshistory = 100000000;
    v.cutrowshistory = 10; v.COMinterval = 60000;
    int n = 0;
    for (std::string* s : {&v.countryprefix, &v.SMTPaddress, &v.SMTPport, &v.email1, &v.email2, &v.email3,
                           &v.DUPname, &v.namemess1, &v.namemess2, &v.namemess3, &v.PCIP1, &v.PCport1,
                           &v.PCIP2, &v.PCport2, &v.PCIP3, &v.PCport3, &v.UDPserverport, &v.actionprogram1,
                           &v.actioncalling1, &v.actioncalled1, &v.actionprogram2, &v.actioncalling2,
                           &v.actioncalled2, &v.actionprogram3, &v.actioncalling3, &v.actioncalled3,
                           &v.COMport})
        *s = " t" + std::to_string(++n) + "=ľščť ";
    v.COMdevice = "3COM";
    v.COMbaudrate = "br38400";
    TConfig back;
    ZapisConfig(v, back, fs, ini, run, "x");
    EXPECT_EQ(TextConfigu(back), TextConfigu(v));
    EXPECT_EQ(back.namemess1, " t8=ľščť ");
    EXPECT_EQ(back.maxtries, -8);
    EXPECT_TRUE(back.isCOM);
    EXPECT_FALSE(back.isCAPI);
}

TEST_F(ConfigFixture, DeviceAndSpeedOutsideTheWindowsChoicesAreLeftOutAndKeptInMemory) {
    TConfig v;
    v.COMdevice = "ZYXELISDN2";
    v.COMbaudrate = "br9600";
    TConfig& live = v;  // the program saves from and re-reads into its own values
    ZapisConfig(v, live, fs, ini, run, "x");
    std::string f = fs.Read(ini);
    EXPECT_EQ(f.find("COMdevice"), std::string::npos);
    EXPECT_EQ(f.find("COMbaudrate"), std::string::npos);
    EXPECT_EQ(std::count(f.begin(), f.end(), '\n'), 49);
    EXPECT_EQ(live.COMdevice, "ZYXELISDN2");
    EXPECT_EQ(live.COMbaudrate, "br9600");
    TConfig restarted;
    NacitajConfig(restarted, fs, ini);
    EXPECT_EQ(restarted.COMdevice, "TODOS");
}

TEST_F(ConfigFixture, ALineBreakInATextValueCannotAddAKey) {
    TConfig v;
    v.email1 = "a@b.sk\r\nisnet=-1";
    TConfig back;
    ZapisConfig(v, back, fs, ini, run, "x");
    EXPECT_EQ(back.email1, "a@b.sk  isnet=-1");
    EXPECT_FALSE(back.isnet);
}

TEST_F(ConfigFixture, KeysAndWordsMatchInAnyCase) {
    struct Case {
        const char* line;
        bool ring;
    } cases[] = {
        {"RING=false", false}, {"ring=0", false}, {"Ring=TRUE", true}, {"rInG=fAlSe", false},
        {"ring=2", true},      {"ring=-1", true}, {"ring=1", true},
    };
    for (const Case& k : cases) {
        c.ring = !k.ring;
        Read(std::string(k.line) + "\r\n");
        EXPECT_EQ(c.ring, k.ring) << k.line;
    }
}

TEST_F(ConfigFixture, KeysAreNotTrimmedAndValuesAreVerbatim) {
    Read(" ring=0\r\nring =0\r\nnamemess1=a=b\r\nnamemess2= x \r\nwhatever=1\r\nno equals here\r\n"
         "cidinterval=500\r\n");
    EXPECT_TRUE(c.ring);
    EXPECT_EQ(c.namemess1, "a=b");
    EXPECT_EQ(c.namemess2, " x ");
    EXPECT_EQ(c.cidinterval, 500);
}

TEST_F(ConfigFixture, TheSmallestIntegerInHexadecimalReadsAndSavesBack) {
    Read("cidinterval=-$80000000\r\nmaxtries=-$FFFFFFFF\r\n");
    EXPECT_EQ(c.cidinterval, INT32_MIN);
    EXPECT_EQ(c.maxtries, 1);
    EXPECT_NE(TextConfigu(c).find("cidinterval=-2147483648\r\n"), std::string::npos);
}

TEST_F(ConfigFixture, LaterDuplicateWins) {
    Read("COMport=Com1\r\nCOMport=Com5\r\n");
    EXPECT_EQ(c.COMport, "Com5");
}

TEST_F(ConfigFixture, MissingKeysKeepTheirCurrentValues) {
    c.COMport = "Com7";
    c.ring = false;
    Read("notify=-1\r\n");
    EXPECT_EQ(c.COMport, "Com7");
    EXPECT_FALSE(c.ring);
    EXPECT_TRUE(c.notify);
    NacitajConfig(c, fs, dir / "none.ini");  // no file: nothing changes
    EXPECT_EQ(c.COMport, "Com7");
    Read("");
    Read("no\r\nequals\n");
    EXPECT_EQ(c.COMport, "Com7");
    EXPECT_FALSE(c.ring);
}

// A value that does not convert costs only itself: the lines before and
// after it take effect, and the error names the file and the key below the
// library's message.
TEST_F(ConfigFixture, AValueThatDoesNotConvertKeepsItsValueTheOthersAreReadAndTheErrorNamesFileAndKey) {
    struct Case {
        const char* bad;
        const char* message;
    } cases[] = {
        {"ring=yes", "'yes' is not a valid boolean value\r\nvestrix.ini: ring"},
        {"RING=\xE1no", "'\xE1no' is not a valid boolean value\r\nvestrix.ini: ring"},
        {"cidinterval=10s", "'10s' is not a valid integer value\r\nvestrix.ini: cidinterval"},
        {"maxtries=", "'' is not a valid integer value\r\nvestrix.ini: maxtries"},
        {"isnet= 0x", "' 0x' is not a valid boolean value\r\nvestrix.ini: isnet"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.bad);
        TConfig fresh;
        c = fresh;
        fs.Write(ini, std::string("notify=-1\r\n") + k.bad + "\r\nCOMport=Com4\r\nisCAPI=0\r\ncid=nie\r\n");
        try {
            NacitajConfig(c, fs, ini);
            ADD_FAILURE() << k.bad << ": no error";
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string(e.what()), k.message) << "the first value that failed is reported";
        }
        EXPECT_TRUE(c.notify) << "the line before the error takes effect";
        EXPECT_EQ(c.COMport, "Com4") << "so does the line after it";
        EXPECT_FALSE(c.isCAPI);
        EXPECT_TRUE(c.ring) << "a value that failed keeps the one it had";
        EXPECT_EQ(c.cidinterval, fresh.cidinterval);
        EXPECT_EQ(c.maxtries, fresh.maxtries);
        EXPECT_FALSE(c.isnet);
        EXPECT_TRUE(c.cid);
        // The file was closed: it can be replaced right away.
        EXPECT_TRUE(fs.Replace(ini, ini + ".moved"));
        fs.Remove(ini + ".moved");
    }
}

TEST_F(ConfigFixture, StartWithWindowsValueHoldsTheQuotedPathOrIsDeleted) {
    TConfig v;
    v.startup = true;
    ZapisConfig(v, c, fs, ini, run, "C:\\Vestrix\\Vestrix.exe");
    v.startup = false;
    ZapisConfig(v, c, fs, ini, run, "C:\\Vestrix\\Vestrix.exe");
    ASSERT_EQ(run.calls.size(), 2u);
    EXPECT_EQ(run.calls[0].op, "set");
    EXPECT_EQ(run.calls[0].name, "Vestrix");
    EXPECT_EQ(run.calls[0].data, "\"C:\\Vestrix\\Vestrix.exe\"");
    EXPECT_EQ(run.calls[1].op, "delete");
    EXPECT_EQ(run.calls[1].name, "Vestrix");
}

TEST_F(ConfigFixture, RunKeyThatCannotBeOpenedIsPassedOverSilently) {
    run.result = IRunKey::KeyUnavailable;
    TConfig v;
    v.startup = true;
    v.ring = false;
    EXPECT_NO_THROW(ZapisConfig(v, c, fs, ini, run, "x"));
    EXPECT_FALSE(c.ring);
}

TEST_F(ConfigFixture, RegistryFailureLeavesACompleteFileAndReachesTheCaller) {
    run.result = IRunKey::Failed;
    TConfig v;
    v.startup = true;
    try {
        ZapisConfig(v, c, fs, ini, run, "x");
        FAIL() << "no error";
    } catch (const ERegistryException& e) {
        EXPECT_STREQ(e.what(), "Failed to set data for 'Vestrix'");
    }
    std::string expect = kDefaults;
    expect.replace(expect.find("startup=0"), 9, "startup=-1");
    EXPECT_EQ(fs.Read(ini), expect);
    // Deleting never fails a save.
    run.result = IRunKey::Failed;
    v.startup = false;
    EXPECT_NO_THROW(ZapisConfig(v, c, fs, ini, run, "x"));
}

TEST_F(ConfigFixture, FileThatCannotBeWrittenLeavesTheOldOneWhole) {
    fs.Write(ini, "ring=0\r\n");
    fs.writeFails.insert(ini + ".tmp");
    EXPECT_THROW(ZapisConfig(TConfig(), c, fs, ini, run, "x"), EInOutError);
    EXPECT_EQ(fs.Read(ini), "ring=0\r\n");
    EXPECT_FALSE(fs.Exists(ini + ".tmp"));
    EXPECT_TRUE(run.calls.empty());
}

TEST(RozdelRiadok, SplitsAtTheFirstEqualsAndLeavesBothOnALineWithout) {
    std::string k = "K", v = "V";
    EXPECT_FALSE(RozdelRiadok("nothing", k, v));
    EXPECT_EQ(k, "K");
    EXPECT_EQ(v, "V");
    EXPECT_TRUE(RozdelRiadok("sMtpPort==25", k, v));
    EXPECT_EQ(k, "SMTPPORT");
    EXPECT_EQ(v, "=25");
    EXPECT_TRUE(RozdelRiadok("=", k, v));
    EXPECT_EQ(k, "");
    EXPECT_EQ(v, "");
}

}  // namespace
