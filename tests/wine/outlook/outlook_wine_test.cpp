// The Outlook import end to end under Wine: TOutlookConnect creates
// "Outlook.Application" through COM, walks namespace, folder and items by
// IDispatch names, and the address-book window saves what was imported.
// The server is our double (tests/doubles/outlook), registered for this run.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "base/stdfiles.h"
#include "base/testing/fakes.h"
#include "base/testing/tempdir.h"
#include "base/win32/text.h"
#include "contacts/core/adresar_okno.h"
#include "contacts/core/ansi1250.h"
#include "contacts/core/outlook_import.h"
#include "contacts/win32/outlook_win32.h"
#include "tests/unit/contacts_ui/fake_views.h"
#include "tests/wine/inproc_server.h"

namespace vx {
namespace {

HMODULE g_double = nullptr;

// The double lies beside the test program.
std::wstring DoublePath() {
    wchar_t exe[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring p(exe, n);
    return p.substr(0, p.find_last_of(L"\\/") + 1) + L"outlook_double.dll";
}

HRESULT CallExport(const char* name) { return test::CallExport(g_double, name); }

class DoubleRegistration : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        g_double = LoadLibraryW(DoublePath().c_str());
        ASSERT_NE(g_double, nullptr);
        ASSERT_EQ(CallExport("DllRegisterServer"), S_OK);
    }
    void TearDown() override {
        if (g_double) {
            CallExport("DllUnregisterServer");
            FreeLibrary(g_double);
        }
        CoUninitialize();
    }
};
::testing::Environment* const g_env = ::testing::AddGlobalTestEnvironment(new DoubleRegistration);

class OutlookImport : public ::testing::Test, protected fake::VirtualTime {
protected:
    fake::TempDir dir;
    StdFileSystem fs;

    void SetUp() override {
        SetEnvironmentVariableW(L"VX_OUTLOOK_CONTACTS", Wide(dir / "contacts.txt").c_str());
        SetEnvironmentVariableW(L"VX_OUTLOOK_LOG", Wide(dir / "calls.log").c_str());
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"VX_OUTLOOK_CONTACTS", nullptr);
        SetEnvironmentVariableW(L"VX_OUTLOOK_LOG", nullptr);
    }
    void Kontakty(const std::string& cp1250) { ASSERT_TRUE(fs.WriteAll(dir / "contacts.txt", cp1250)); }
    // The import window over a grid of its own.
    TImportOutlook Import(TOutlookConnect& outlook) {
        return TImportOutlook(fs, pump, dir.Dir(), test::Text, outlook, grid, pocet, iv);
    }
    TMriezkaTextov grid{6, 2};
    int pocet = 0;
    test::FakeImportView iv;
    std::vector<std::string> Volania() {
        std::string s;
        fs.ReadAll(dir / "calls.log", s);
        std::vector<std::string> v;
        SplitLines(s, v);
        return v;
    }
};

TEST_F(OutlookImport, ImportedContactsReachTheAddressBookFile) {
    ASSERT_TRUE(fs.WriteAll(dir / "vestrix.adr", "Ján;Novák;0902111222;;Firma a.s.\r\n"));
    Kontakty(
        "Ľubomír\tŠťastný\tŠťastný s.r.o.\t+421 905 123 456\t+421 2 5555 1234\tHlavná 1\tŽilina\r\n"
        "Mária\tKováčová\t\t+420 777 000 111\t+421 902 111 222\tNám. SNP 5\\r\\n2. poschodie\tBanská Bystrica\r\n"
        "Peter\t\tPeterova firma\t0911 000 000\t\t\t\r\n"
        "Bez\tČísla\tFirma\t\t\t\t\r\n"
        "Jana\tNová\tNová s.r.o.\t0905 999 888\t\t<fail>\tNitra\r\n");

    TStavAdresara stav;
    test::FakeAdresarView av;
    TAdresarOkno adresar(fs, pump, dir.Dir(), test::Text, stav, av);
    adresar.FormCreate();
    ASSERT_EQ(stav.PocetKontaktov, 1);

    test::FakeImportView iv;
    av.onOutlook = [&] {
        TOutlookConnect outlook;
        TImportOutlook import(fs, pump, dir.Dir(), test::Text, outlook, adresar.Mriezka(), stav.PocetKontaktov, iv);
        import.FormCreate("00421");
        EXPECT_TRUE(outlook.Connected());
        import.btImportujClick();
    };
    adresar.btOutlookClick();
    // The connection is gone with the window: nothing of the server is held.
    EXPECT_EQ(CallExport("DllCanUnloadNow"), S_OK);

    EXPECT_EQ(iv.memo, std::vector<std::string>{"Jana Nová"});
    EXPECT_EQ(iv.messages, std::vector<std::string>{"T125"});
    EXPECT_EQ(iv.gauge.back(), 100);
    EXPECT_EQ(stav.PocetKontaktov, 5);
    // Imported rows wait for the save.
    std::string adr;
    ASSERT_TRUE(fs.ReadAll(dir / "vestrix.adr", adr));
    EXPECT_EQ(adr, "Ján;Novák;0902111222;;Firma a.s.\r\n");

    av.answerOk = true;
    EXPECT_TRUE(adresar.bbtZrusClick());
    ASSERT_TRUE(fs.ReadAll(dir / "vestrix.adr", adr));
    EXPECT_EQ(adr,
              "Ján;Novák;0902111222;;Firma a.s.\r\n"
              "Ľubomír;Šťastný;0255551234;0905123456;Šťastný s.r.o.\r\n"
              "Mária;Kováčová;0902111222;00420777000111;Nám. SNP 5  2. poschodie, Banská Bystrica\r\n"
              ";Peter;;0911000000;Peterova firma\r\n"
              "Jana;Nová;;0905999888;Nová s.r.o.\r\n");

    const std::vector<std::string> volania = Volania();
    const std::vector<std::string> zaciatok = {
        "GetNamespace(MAPI)",    "GetDefaultFolder(10)",  "Items",
        "Count",                 "GetDefaultFolder(10)",  "Items(1)",
        "FirstName",             "LastName",              "CompanyName",
        "MobileTelephoneNumber", "BusinessTelephoneNumber", "BusinessAddressStreet",
        "BusinessAddressCity",   "GetDefaultFolder(10)",  "Items(2)"};
    ASSERT_GE(volania.size(), zaciatok.size());
    EXPECT_EQ(std::vector<std::string>(volania.begin(), volania.begin() + zaciatok.size()), zaciatok);
    // The failed street ends the reads of that item: no city asked for.
    EXPECT_EQ(volania.back(), "BusinessAddressStreet");
}

TEST_F(OutlookImport, WithoutTheServerTheConnectionFails) {
    TOutlookConnect outlook;
    outlook.OLEObject = "Vestrix.NoSuchServer";
    TImportOutlook import = Import(outlook);
    try {
        import.FormCreate("00421");
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Outlook registration failed");
    }
    EXPECT_FALSE(outlook.Connected());
    EXPECT_EQ(iv.texts[TPrvokImportu::Okno], "T121");
    try {
        import.btImportujClick();
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "No connection to outlook");
    }
}

TEST_F(OutlookImport, ARefusedNamespaceFailsTheConnectionAndReleasesOutlook) {
    TOutlookConnect outlook;
    outlook.OLENameSpace = "XYZ";
    bool pripojene = false;
    outlook.OnConnect = [&](TOutlookConnect&) { pripojene = true; };
    EXPECT_THROW(outlook.SetConnected(true), Exception);
    EXPECT_FALSE(outlook.Connected());
    EXPECT_FALSE(pripojene);
    EXPECT_EQ(CallExport("DllCanUnloadNow"), S_OK);

    outlook.OLENameSpace = "";  // an empty value takes the default
    outlook.SetConnected(true);
    EXPECT_TRUE(pripojene);
    EXPECT_NE(CallExport("DllCanUnloadNow"), S_OK);
    bool odpojene = false;
    outlook.OnDisConnect = [&](TOutlookConnect&) { odpojene = true; };
    outlook.SetConnected(false);
    EXPECT_TRUE(odpojene);
    EXPECT_FALSE(outlook.Connected());
    EXPECT_EQ(CallExport("DllCanUnloadNow"), S_OK);
}

TEST_F(OutlookImport, AFailedReconnectKeepsTheConnectionThatWorks) {
    Kontakty("A\tB\t\t0905 1\t\t\t\r\nC\tD\t\t0905 2\t\t\t\r\n");
    TOutlookConnect outlook;
    outlook.SetConnected(true);
    outlook.OLEObject = "Vestrix.NoSuchServer";
    EXPECT_THROW(outlook.SetConnected(true), Exception);
    EXPECT_TRUE(outlook.Connected());
    EXPECT_EQ(outlook.GetItemCount(), 2);
    EXPECT_EQ(outlook.GetItem(2)->Read("lastname"), "D");
}

TEST_F(OutlookImport, AnItemThatCannotBeFetchedEndsTheImport) {
    Kontakty("A\tB\t\t0905 1\t\t\t\r\n<item-fail>C\tD\t\t0905 2\t\t\t\r\nE\tF\t\t0905 3\t\t\t\r\n");
    TOutlookConnect outlook;
    TImportOutlook import = Import(outlook);
    import.FormCreate("00421");
    try {
        import.btImportujClick();
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Cannot import Item");
    }
    EXPECT_EQ(pocet, 1);
    EXPECT_EQ(grid.Cell(5, 1), "09051");
    EXPECT_TRUE(iv.messages.empty());
}

TEST_F(OutlookImport, AFolderThatCannotBeCountedImportsNothing) {
    Kontakty("<count-fail>\r\nA\tB\t\t0905 1\t\t\t\r\n");
    TOutlookConnect outlook;
    TImportOutlook import = Import(outlook);
    import.FormCreate("00421");
    import.btImportujClick();
    EXPECT_EQ(pocet, 0);
    EXPECT_EQ(iv.gauge, std::vector<int>{100});
    EXPECT_EQ(iv.messages, std::vector<std::string>{"T125"});
    EXPECT_EQ(outlook.GetItemCount(), 0);
}

// The table behind the search and sort keys agrees with the system's own
// upper-casing of code page 1250.
TEST(AnsiUpperCase1250, AgreesWithTheSystem) {
    for (int c = 1; c < 256; ++c) {
        wchar_t w = 0;
        const char b = static_cast<char>(c);
        if (MultiByteToWideChar(1250, MB_ERR_INVALID_CHARS, &b, 1, &w, 1) != 1) continue;
        CharUpperBuffW(&w, 1);
        char u = 0;
        BOOL stratene = FALSE;
        if (WideCharToMultiByte(1250, 0, &w, 1, &u, 1, nullptr, &stratene) != 1 || stratene) u = b;
        EXPECT_EQ(static_cast<unsigned char>(AnsiUpperCase1250(b)), static_cast<unsigned char>(u)) << c;
    }
}

}  // namespace
}  // namespace vx
