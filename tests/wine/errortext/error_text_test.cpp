// The system's text of a failure code, as each product words it: the
// control's error objects keep the sentence as the system ends it, the
// monitor's error box drops its final full stop and knows the texts of the
// codes a host meets where the system lacks them; both give the code itself
// where there is no text at all.
#include <gtest/gtest.h>

#include <windows.h>
#include <olectl.h>

#include <string>

#include "base/win32/systemtext.h"
#include "capictrl/win32/comerror.h"
#include "monitor/win32/linkorhost.h"

namespace {

struct Case {
    HRESULT code;
    const char* control;  // SystemMessage
    const char* monitor;  // OleChyba
};

// The texts are the Slovak system's (the session's code page 1250); where
// it has none, the monitor's own English ones or the code.
const Case kCases[] = {
    {E_OUTOFMEMORY, "Nedostatok pamäte.", "Nedostatok pamäte"},
    {HRESULT(0x80070002), "Súbor nenájdený.", "Súbor nenájdený"},
    {HRESULT(0x80070005), "Prístup zamietnutý.", "Prístup zamietnutý"},
    {E_FAIL, "Call failed.", "Call failed"},
    {REGDB_E_CLASSNOTREG, "OLE error 80040154", "Class not registered"},
    {E_UNEXPECTED, "OLE error 8000FFFF", "Catastrophic failure"},
    {E_NOINTERFACE, "OLE error 80004002", "No such interface supported"},
    {CLASS_E_CLASSNOTAVAILABLE, "OLE error 80040111", "ClassFactory cannot supply requested class"},
    {CO_E_NOTINITIALIZED, "OLE error 800401F0", "CoInitialize has not been called"},
    {E_POINTER, "OLE error 80004003", "OLE error 80004003"},
    {HRESULT(0x80041234), "OLE error 80041234", "OLE error 80041234"},
    {HRESULT(0x0000ABCD), "OLE error 0000ABCD", "OLE error 0000ABCD"},
};

TEST(ErrorText, EachProductWordsTheSystemsTextItsOwnWay) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(testing::Message() << std::hex << static_cast<unsigned long>(c.code));
        EXPECT_EQ(vx::SystemMessage(c.code), c.control);
        EXPECT_EQ(vx::OleChyba(c.code), c.monitor);
    }
}

// The shared words: untrimmed, line end included, as the system gives them.
TEST(ErrorText, SystemTextIsTheSystemsOwnSentence) {
    EXPECT_EQ(vx::SystemText(ERROR_FILE_NOT_FOUND), L"S\u00fabor nen\u00e1jden\u00fd.\r\n");
    EXPECT_EQ(vx::SystemText(static_cast<DWORD>(E_OUTOFMEMORY)), L"Nedostatok pam\u00e4te.\r\n");
    EXPECT_EQ(vx::SystemText(0x80041234), L"");
    EXPECT_EQ(vx::OleErrorText(E_UNEXPECTED), "OLE error 8000FFFF");
    EXPECT_EQ(vx::OleErrorText(0x0000ABCD), "OLE error 0000ABCD");
}

}  // namespace
