// LINKOR.OCX loaded once for the test program and registered before every
// test, as a host finds it: controls and pages created by their classes.
#pragma once
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include <string>

#include "linkor_idl.h"
#include "tests/wine/inproc_server.h"
#include "tests/wine/linkor_ocx.h"

namespace vx {
namespace test {

class RegisteredLinkor : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CoInitialize(nullptr);
        module_ = LoadLibraryW(OcxPath().c_str());
        ASSERT_NE(module_, nullptr);
    }
    static void TearDownTestSuite() { CoUninitialize(); }
    void SetUp() override {
        ASSERT_NE(module_, nullptr);
        ASSERT_EQ(Call("DllRegisterServer"), S_OK);
    }

    static HRESULT Call(const char* fn) { return CallExport(module_, fn); }
    static std::wstring ModulePath() {
        wchar_t buf[MAX_PATH];
        GetModuleFileNameW(module_, buf, MAX_PATH);
        return buf;
    }
    // A new control of the registered class.
    ILinkor* Create() {
        ILinkor* c = nullptr;
        EXPECT_EQ(CoCreateInstance(CLSID_Linkor, nullptr, CLSCTX_INPROC_SERVER, IID_ILinkor,
                                   reinterpret_cast<void**>(&c)),
                  S_OK);
        return c;
    }
    // A lock on the factory of `clsid` keeps the file loaded until it goes;
    // nothing else of the file may be held meanwhile.
    static void ExpectLockKeepsTheFileLoaded(REFCLSID clsid) {
        IClassFactory* f = nullptr;
        ASSERT_EQ(CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                   reinterpret_cast<void**>(&f)),
                  S_OK);
        f->LockServer(TRUE);
        EXPECT_EQ(Call("DllCanUnloadNow"), S_FALSE);
        f->LockServer(FALSE);
        EXPECT_EQ(Call("DllCanUnloadNow"), S_OK);
        f->Release();
    }

    inline static HMODULE module_ = nullptr;
};

}  // namespace test
}  // namespace vx
