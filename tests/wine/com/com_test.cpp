// LINKOR.OCX under Wine as a host sees it: self-registration, ProgID, the
// registered type library, ILinkor through its vtable and through
// IDispatch, the connection points, unloading and the stored stream.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <ocidl.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "capictrl/win32/help.h"
#include "linkor_idl.h"
#include "tests/unit/persist/golden.h"
#include "tests/wine/linkor_registered.h"

namespace {

const wchar_t kClsidKey[] = L"CLSID\\{EF087254-E30B-4CB2-ABDD-2745916393BC}";
const wchar_t kLibidText[] = L"{23FFEE16-50BB-44D1-8ACC-1F6200FA6D2F}";
#ifdef _WIN64
const SYSKIND kSysKind = SYS_WIN64;
const wchar_t kPlatform[] = L"win64";
#else
const SYSKIND kSysKind = SYS_WIN32;
const wchar_t kPlatform[] = L"win32";
#endif

using vx::test::Golden;

// A key's values and subkeys, recursively: "sub\\key|name" -> data.
void Dump(HKEY root, const std::wstring& key, const std::wstring& prefix, std::map<std::wstring, std::wstring>& out) {
    HKEY h;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return;
    out[prefix + L"|<key>"] = L"";
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD n = 256;
        BYTE data[2048];
        DWORD size = sizeof data;
        DWORD type;
        if (RegEnumValueW(h, i, name, &n, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        std::wstring text = type == REG_SZ ? std::wstring(reinterpret_cast<wchar_t*>(data)) : L"<binary>";
        out[prefix + L"|" + (n ? name : L"@")] = text;
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD n = 256;
        if (RegEnumKeyExW(h, i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        Dump(h, name, prefix + L"\\" + name, out);
    }
    RegCloseKey(h);
}

bool KeyExists(HKEY root, const std::wstring& key) {
    HKEY h;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}

std::wstring Upper(std::wstring s) {
    for (auto& c : s) c = towupper(c);
    return s;
}

struct Bstr {
    BSTR b = nullptr;
    ~Bstr() { SysFreeString(b); }
    std::wstring str() const { return b ? std::wstring(b, SysStringLen(b)) : std::wstring(); }
};

// An event sink that records every call as "dispid:arg,arg".
class Sink : public IDispatch {
public:
    explicit Sink(bool answersEventIid = true) : answers_(answersEventIid) {}
    std::vector<std::wstring> Calls;
    LONG Refs = 1;
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            (answers_ && IsEqualIID(riid, DIID_ILinkorEvents))) {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&Refs); }
    STDMETHODIMP_(ULONG) Release() override { return InterlockedDecrement(&Refs); }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* p, VARIANT*, EXCEPINFO*, UINT*) override {
        Calls.push_back(std::to_wstring(id) + L":" + vx::test::ArgumentsText(p, L","));
        // A failing handler must not disturb the control.
        return E_FAIL;
    }

private:
    bool answers_;
};

class LinkorCom : public vx::test::RegisteredLinkor {};

// ---------------------------------------------------------------- registration

// The property pages' classes.
const struct {
    const wchar_t* clsid;
    const wchar_t* cls;
} kPages[] = {
    {L"{4B2A64A0-C2C3-482C-8D2F-930AFF829E9C}", L"TPropertyPage01"},
    {L"{D366E837-3BB7-4760-9574-B808A3B9518F}", L"TPropertyPage02"},
    {L"{2EFBF31F-B611-4CA9-BFFA-291CB0FB909E}", L"TPropertyPage03"},
};

std::map<std::wstring, std::wstring> ExpectedClassKeys(const std::wstring& path) {
    return {
        {L"|<key>", L""},
        {L"|@", L"linkor Control"},
        {L"\\InprocServer32|<key>", L""},
        {L"\\InprocServer32|@", path},
        {L"\\InprocServer32|ThreadingModel", L"Apartment"},
        {L"\\ProgID|<key>", L""},
        {L"\\ProgID|@", L"LinkorCtrl.Linkor"},
        {L"\\TypeLib|<key>", L""},
        {L"\\TypeLib|@", kLibidText},
        {L"\\Version|<key>", L""},
        {L"\\Version|@", L"1.0"},
        {L"\\MiscStatus|<key>", L""},
        {L"\\MiscStatus|@", L"0"},
        {L"\\MiscStatus\\1|<key>", L""},
        {L"\\MiscStatus\\1|@", L"206225"},
        {L"\\ToolboxBitmap32|<key>", L""},
        {L"\\ToolboxBitmap32|@", path + L",1"},
        {L"\\Control|<key>", L""},
        {L"\\Verb|<key>", L""},
        {L"\\Verb\\0|<key>", L""},
        {L"\\Verb\\0|@", L"Linkor,0,2"},
    };
}

void ExpectRegistered(const std::wstring& path) {
    std::map<std::wstring, std::wstring> cls;
    Dump(HKEY_CLASSES_ROOT, kClsidKey, L"", cls);
    auto expected = ExpectedClassKeys(path);
    // The path's case is the file system's business.
    ASSERT_TRUE(cls.count(L"\\InprocServer32|@"));
    EXPECT_EQ(Upper(cls[L"\\InprocServer32|@"]), Upper(path));
    EXPECT_EQ(Upper(cls[L"\\ToolboxBitmap32|@"]), Upper(path + L",1"));
    cls[L"\\InprocServer32|@"] = expected[L"\\InprocServer32|@"];
    cls[L"\\ToolboxBitmap32|@"] = expected[L"\\ToolboxBitmap32|@"];
    EXPECT_EQ(cls, expected);

    std::map<std::wstring, std::wstring> prog;
    Dump(HKEY_CLASSES_ROOT, L"LinkorCtrl.Linkor", L"", prog);
    std::map<std::wstring, std::wstring> expectedProg = {
        {L"|<key>", L""},
        {L"|@", L"linkor Control"},
        {L"\\Clsid|<key>", L""},
        {L"\\Clsid|@", L"{EF087254-E30B-4CB2-ABDD-2745916393BC}"},
    };
    EXPECT_EQ(prog, expectedProg);

    // Each property page: its described class key and its server, nothing more.
    for (const auto& page : kPages) {
        std::map<std::wstring, std::wstring> keys;
        Dump(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + page.clsid, L"", keys);
        EXPECT_EQ(Upper(keys[L"\\InprocServer32|@"]), Upper(path)) << page.cls;
        keys[L"\\InprocServer32|@"] = path;
        std::map<std::wstring, std::wstring> want = {
            {L"|<key>", L""},
            {L"|@", std::wstring(page.cls) + L" property page"},
            {L"\\InprocServer32|<key>", L""},
            {L"\\InprocServer32|@", path},
        };
        EXPECT_EQ(keys, want) << page.cls;
    }

    std::wstring lib = std::wstring(L"TypeLib\\") + kLibidText + L"\\1.0\\409\\" + kPlatform;
    std::map<std::wstring, std::wstring> tl;
    Dump(HKEY_CLASSES_ROOT, lib, L"", tl);
    EXPECT_EQ(Upper(tl[L"|@"]), Upper(path));
}

void ExpectUnregistered() {
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClsidKey));
    for (const auto& page : kPages) EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + page.clsid));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"LinkorCtrl.Linkor"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(L"TypeLib\\") + kLibidText));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"Interface\\{AED40EDC-3565-4474-92A3-5BB2305CA5EF}"));
}

TEST_F(LinkorCom, SelfRegistrationWritesExactlyTheClassProgIdAndTypeLibraryKeys) {
    ExpectRegistered(ModulePath());
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"Interface\\{AED40EDC-3565-4474-92A3-5BB2305CA5EF}"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"Interface\\{5051385B-C240-4CC8-819F-496E7957468B}"));
    EXPECT_EQ(Call("DllUnregisterServer"), S_OK);
    ExpectUnregistered();
    // Unregistering what is gone already is no failure.
    EXPECT_EQ(Call("DllUnregisterServer"), S_OK);
}

DWORD RunProgram(const std::wstring& cmd) {
    std::wstring c = cmd;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, &c[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 9999;
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 9999;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

TEST_F(LinkorCom, Regsvr32RegistersAndUnregisters) {
    ASSERT_EQ(Call("DllUnregisterServer"), S_OK);
    ExpectUnregistered();
    EXPECT_EQ(RunProgram(L"regsvr32.exe /s \"" + ModulePath() + L"\""), 0u);
    ExpectRegistered(ModulePath());
    EXPECT_EQ(RunProgram(L"regsvr32.exe /u /s \"" + ModulePath() + L"\""), 0u);
    ExpectUnregistered();
}

TEST_F(LinkorCom, PathWithABlankIsRegisteredInItsShortFormAndTheHelpFileLiesThere) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring dir = std::wstring(temp) + L"Linkor kopia";
    CreateDirectoryW(dir.c_str(), nullptr);
    std::wstring copy = dir + L"\\LINKOR.OCX";
    ASSERT_TRUE(CopyFileW(ModulePath().c_str(), copy.c_str(), FALSE));
    HMODULE m = LoadLibraryW(copy.c_str());
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(vx::test::CallExport(m, "DllRegisterServer"), S_OK);
    wchar_t shortPath[MAX_PATH];
    ASSERT_GT(GetShortPathNameW(copy.c_str(), shortPath, MAX_PATH), 0u);
    ASSERT_EQ(std::wstring(shortPath).find(L' '), std::wstring::npos);
    std::map<std::wstring, std::wstring> cls;
    Dump(HKEY_CLASSES_ROOT, kClsidKey, L"", cls);
    EXPECT_EQ(Upper(cls[L"\\InprocServer32|@"]), Upper(shortPath));
    std::wstring s = shortPath;
    EXPECT_EQ(Upper(vx::LinkorHelpFile()), Upper(s.substr(0, s.rfind(L'\\') + 1) + L"linkor.hlp"));
    FreeLibrary(m);
    DeleteFileW(copy.c_str());
    RemoveDirectoryW(dir.c_str());
}

TEST_F(LinkorCom, HelpFileIsLookedForBesideTheRegisteredControl) {
    std::wstring p = ModulePath();
    EXPECT_EQ(Upper(vx::LinkorHelpFile()), Upper(p.substr(0, p.rfind(L'\\') + 1) + L"linkor.hlp"));
    ASSERT_EQ(Call("DllUnregisterServer"), S_OK);
    EXPECT_EQ(vx::LinkorHelpFile(), L"linkor.hlp");
}

TEST_F(LinkorCom, RegistryStringsAreReadWithinTheirBuffer) {
    const wchar_t* key = L"Software\\VestrixTest\\ReadRegString";
    HKEY h;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr),
              ERROR_SUCCESS);
    std::wstring v511(511, L'a'), v600(600, L'c');
    // 1024 bytes with the terminating zero fill the buffer; more do not fit.
    RegSetValueExW(h, L"full", 0, REG_SZ, reinterpret_cast<const BYTE*>(v511.c_str()), 1024);
    RegSetValueExW(h, L"long", 0, REG_SZ, reinterpret_cast<const BYTE*>(v600.c_str()), 1202);
    RegSetValueExW(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"default"), 16);
    RegCloseKey(h);
    EXPECT_EQ(vx::ReadRegString(HKEY_CURRENT_USER, key, L"full"), v511);
    EXPECT_EQ(vx::ReadRegString(HKEY_CURRENT_USER, key, L"long"), L"");
    EXPECT_EQ(vx::ReadRegString(HKEY_CURRENT_USER, key, L""), L"default");
    EXPECT_EQ(vx::ReadRegString(HKEY_CURRENT_USER, key, L"missing"), L"");
    EXPECT_EQ(vx::ReadRegString(HKEY_CURRENT_USER, L"Software\\VestrixTest\\Missing", L""), L"");
    RegDeleteKeyW(HKEY_CURRENT_USER, key);
}

TEST_F(LinkorCom, ProgIdResolvesToTheControlsClass) {
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(L"LinkorCtrl.Linkor", &clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_Linkor));
}

TEST_F(LinkorCom, ClassFactoryServesOnlyTheControl) {
    auto get = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
        reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
    ASSERT_NE(get, nullptr);
    IClassFactory* f = nullptr;
    ASSERT_EQ(get(CLSID_Linkor, IID_IClassFactory, reinterpret_cast<void**>(&f)), S_OK);
    IUnknown* outer = reinterpret_cast<IUnknown*>(f);
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(f->CreateInstance(outer, IID_IUnknown, &p), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(p, nullptr);
    f->Release();
    p = reinterpret_cast<void*>(1);
    EXPECT_EQ(get(IID_ILinkor, IID_IClassFactory, &p), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(get(CLSID_Linkor, IID_IDispatch, &p), E_NOINTERFACE);
}

TEST_F(LinkorCom, CanUnloadOnlyWithoutLiveControlsOrLocks) {
    CoFreeUnusedLibraries();
    EXPECT_EQ(Call("DllCanUnloadNow"), S_OK);
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(Call("DllCanUnloadNow"), S_FALSE);
    c->Release();
    EXPECT_EQ(Call("DllCanUnloadNow"), S_OK);

    ExpectLockKeepsTheFileLoaded(CLSID_Linkor);
}

// Whatever object of the file a client holds keeps the file loaded, also
// after the control it came from has gone.
TEST_F(LinkorCom, EveryObjectTheFileHandsOutKeepsItLoaded) {
    CLSID operationPage{};
    CLSIDFromString(const_cast<LPOLESTR>(L"{4B2A64A0-C2C3-482C-8D2F-930AFF829E9C}"), &operationPage);
    Sink sink;
    // Each way gives one object to hold; the control is released meanwhile.
    auto connections = [&]() -> IUnknown* {
        ILinkor* c = Create();
        IConnectionPoint* cp = nullptr;
        DWORD cookie = 0;
        EXPECT_EQ(vx::test::Connect(c, DIID_ILinkorEvents, &sink, &cookie, &cp), S_OK);
        IEnumConnections* e = nullptr;
        EXPECT_EQ(cp->EnumConnections(&e), S_OK);
        cp->Release();
        c->Release();
        return e;
    };
    auto locked = [&](REFCLSID clsid) -> IUnknown* {
        IClassFactory* f = nullptr;
        EXPECT_EQ(vx::test::ClassObject(module_, clsid, &f), S_OK);
        f->LockServer(TRUE);
        return f;
    };
    auto unlock = [](IUnknown* u) {
        static_cast<IClassFactory*>(u)->LockServer(FALSE);
        u->Release();
    };
    struct Way {
        const char* name;
        std::function<IUnknown*()> take;
        std::function<void(IUnknown*)> letGo;
    } ways[] = {
        {"connections of the event point", connections,
         [](IUnknown* u) {
             // Still usable: it hands out the sink it saw.
             CONNECTDATA cd{};
             ULONG n = 0;
             EXPECT_EQ(static_cast<IEnumConnections*>(u)->Next(1, &cd, &n), S_OK);
             EXPECT_EQ(n, 1u);
             if (cd.pUnk) cd.pUnk->Release();
             u->Release();
         }},
        {"a clone of the connections",
         [&] {
             IUnknown* e = connections();
             IEnumConnections* clone = nullptr;
             EXPECT_EQ(static_cast<IEnumConnections*>(e)->Clone(&clone), S_OK);
             e->Release();
             return static_cast<IUnknown*>(clone);
         },
         [](IUnknown* u) { u->Release(); }},
        {"the connection points",
         [&] {
             ILinkor* c = Create();
             IConnectionPointContainer* cpc = nullptr;
             c->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&cpc));
             IEnumConnectionPoints* e = nullptr;
             EXPECT_EQ(cpc->EnumConnectionPoints(&e), S_OK);
             cpc->Release();
             c->Release();
             return static_cast<IUnknown*>(e);
         },
         [](IUnknown* u) { u->Release(); }},
        {"a property page",
         [&] {
             IClassFactory* f = nullptr;
             EXPECT_EQ(vx::test::ClassObject(module_, operationPage, &f), S_OK);
             IUnknown* page = nullptr;
             EXPECT_EQ(f->CreateInstance(nullptr, IID_IPropertyPage, reinterpret_cast<void**>(&page)), S_OK);
             f->Release();
             return page;
         },
         [](IUnknown* u) { u->Release(); }},
        {"a locked control factory", [&] { return locked(CLSID_Linkor); }, unlock},
        {"a locked page factory", [&] { return locked(operationPage); }, unlock},
    };
    for (auto& w : ways) {
        ASSERT_EQ(Call("DllCanUnloadNow"), S_OK) << w.name;
        IUnknown* held = w.take();
        ASSERT_NE(held, nullptr) << w.name;
        EXPECT_EQ(Call("DllCanUnloadNow"), S_FALSE) << w.name;
        w.letGo(held);
        EXPECT_EQ(Call("DllCanUnloadNow"), S_OK) << w.name;
    }
    EXPECT_EQ(sink.Refs, 1);
}

TEST_F(LinkorCom, VersionInformationMarksTheFileAsSelfRegistering) {
    std::wstring path = ModulePath();
    DWORD dummy = 0;
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), &dummy);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> data(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &len));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    wchar_t* text = nullptr;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\StringFileInfo\\040904E4\\FileDescription",
                               reinterpret_cast<void**>(&text), &len));
    EXPECT_STREQ(text, L"CAPI ActiveX control");
    EXPECT_TRUE(VerQueryValueW(data.data(), L"\\StringFileInfo\\040904E4\\OLESelfRegister",
                               reinterpret_cast<void**>(&text), &len));
}

// ---------------------------------------------------------------- type library

TEST_F(LinkorCom, RegisteredTypeLibraryHoldsTheTwelveTypesInTheirOrder) {
    ITypeLib* tl = nullptr;
    ASSERT_EQ(LoadRegTypeLib(LIBID_LinkorCtrl, 1, 0, 0x409, &tl), S_OK);
    TLIBATTR* la = nullptr;
    ASSERT_EQ(tl->GetLibAttr(&la), S_OK);
    EXPECT_EQ(la->lcid, 0x409u);
    EXPECT_EQ(la->syskind, kSysKind);
    EXPECT_EQ(la->wMajorVerNum, 1);
    EXPECT_EQ(la->wMinorVerNum, 0);
    EXPECT_EQ(la->wLibFlags & LIBFLAG_FCONTROL, LIBFLAG_FCONTROL);
    tl->ReleaseTLibAttr(la);
    Bstr libName, libDoc;
    tl->GetDocumentation(-1, &libName.b, &libDoc.b, nullptr, nullptr);
    EXPECT_EQ(libName.str(), L"LinkorCtrl");
    EXPECT_EQ(libDoc.str(), L"Linkor 1.0");

    struct Type {
        const wchar_t* name;
        TYPEKIND kind;
        const wchar_t* guid;
        WORD flags;
        const wchar_t* help;
    } types[] = {
        {L"ILinkor", TKIND_DISPATCH, L"{AED40EDC-3565-4474-92A3-5BB2305CA5EF}",
         TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE, L"Dispatch interface for Linkor Control"},
        {L"ILinkorEvents", TKIND_DISPATCH, L"{5051385B-C240-4CC8-819F-496E7957468B}", TYPEFLAG_FDISPATCHABLE,
         L"Events interface for linkor Control"},
        {L"Linkor", TKIND_COCLASS, L"{EF087254-E30B-4CB2-ABDD-2745916393BC}",
         TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL, L"linkor Control"},
        {L"TxActiveFormBorderStyle", TKIND_ENUM, L"{8EAECB43-E95E-4776-884B-962BBAE64E61}", 0, L""},
        {L"TxPrintScale", TKIND_ENUM, L"{65FD957B-E1A8-453C-904F-3E39035F68BB}", 0, L""},
        {L"TxMouseButton", TKIND_ENUM, L"{468FA78A-0F64-4F9C-AF8F-57E8961FB431}", 0, L""},
        {L"TxBiDiMode", TKIND_ENUM, L"{D84602E7-2EF9-4098-AC2E-0B0E67588B7F}", 0, L""},
        {L"TCapiPDG1", TKIND_RECORD, L"{718B01EA-599E-4551-9885-2C1EB0555EEB}", 0, L""},
        {L"TCapiPDG2", TKIND_RECORD, L"{DEE02BFE-499F-4401-A55D-A57175B781DA}", 0, L""},
        {L"TCapiPlayBufferMode", TKIND_ENUM, L"{72867E9C-5F80-4208-9CE5-E867EF836B7E}", 0, L""},
        {L"TCapiAudioFormat", TKIND_ENUM, L"{49AC00A3-490E-4ABC-9819-9AEDF15BFBE9}", 0, L""},
        {L"TCapiVoiceMailFileFormat", TKIND_ENUM, L"{7083D928-2CF2-4403-ABC3-E23560507E66}", 0, L""},
    };
    ASSERT_EQ(tl->GetTypeInfoCount(), 12u);
    for (UINT i = 0; i < 12; ++i) {
        // Type-library browsers and containers walk the library by index.
        Bstr listed;
        ASSERT_EQ(tl->GetDocumentation(i, &listed.b, nullptr, nullptr, nullptr), S_OK) << i;
        EXPECT_EQ(listed.str(), types[i].name) << i;
        TYPEKIND listedKind;
        ASSERT_EQ(tl->GetTypeInfoType(i, &listedKind), S_OK) << i;
        EXPECT_EQ(listedKind, types[i].kind) << types[i].name;
        ITypeInfo* ti = nullptr;
        ASSERT_EQ(tl->GetTypeInfo(i, &ti), S_OK) << i;
        // The same type is found by its GUID.
        GUID want{};
        CLSIDFromString(const_cast<LPOLESTR>(types[i].guid), &want);
        ITypeInfo* byGuid = nullptr;
        ASSERT_EQ(tl->GetTypeInfoOfGuid(want, &byGuid), S_OK) << types[i].name;
        ITypeLib* owner = nullptr;
        UINT index = 99;
        ASSERT_EQ(byGuid->GetContainingTypeLib(&owner, &index), S_OK);
        EXPECT_EQ(index, i) << types[i].name;
        owner->Release();
        byGuid->Release();
        TYPEATTR* ta = nullptr;
        ti->GetTypeAttr(&ta);
        Bstr name, doc;
        ti->GetDocumentation(MEMBERID_NIL, &name.b, &doc.b, nullptr, nullptr);
        wchar_t guid[64];
        StringFromGUID2(ta->guid, guid, 64);
        EXPECT_EQ(name.str(), types[i].name) << i;
        EXPECT_EQ(ta->typekind, types[i].kind) << types[i].name;
        EXPECT_STREQ(guid, types[i].guid) << types[i].name;
        EXPECT_EQ(ta->wTypeFlags & 0x7fff, types[i].flags) << types[i].name;
        EXPECT_EQ(doc.str(), types[i].help) << types[i].name;
        if (ta->typekind == TKIND_RECORD) {
            // desig at 0, the value right behind the pointer.
            EXPECT_EQ(ta->cVars, 2);
            EXPECT_EQ(ta->cbSizeInstance, 2 * sizeof(void*)) << types[i].name;
            VARDESC* vd = nullptr;
            ti->GetVarDesc(1, &vd);
            EXPECT_EQ(vd->oInst, sizeof(void*));
            EXPECT_EQ(vd->elemdescVar.tdesc.vt, i == 7 ? VT_I2 : VT_BOOL);
            ti->ReleaseVarDesc(vd);
        }
        if (ta->typekind == TKIND_ENUM) {
            VARDESC* vd = nullptr;
            ti->GetVarDesc(0, &vd);
            bool hidden = i == 3 || i == 4 || i == 6;
            EXPECT_EQ((vd->wVarFlags & VARFLAG_FHIDDEN) != 0, hidden) << types[i].name;
            ti->ReleaseVarDesc(vd);
        }
        ti->ReleaseTypeAttr(ta);
        ti->Release();
    }
    tl->Release();
}

// The registered library and the dispatch and vtable sides of ILinkor.
void LoadILinkor(ITypeLib** tl, ITypeInfo** disp, ITypeInfo** vt) {
    ASSERT_EQ(LoadRegTypeLib(LIBID_LinkorCtrl, 1, 0, 0x409, tl), S_OK);
    ASSERT_EQ((*tl)->GetTypeInfoOfGuid(IID_ILinkor, disp), S_OK);
    HREFTYPE href;
    ASSERT_EQ((*disp)->GetRefTypeOfImplType(-1, &href), S_OK);
    ASSERT_EQ((*disp)->GetRefTypeInfo(href, vt), S_OK);
}

TEST_F(LinkorCom, ILinkorHasItsMembersInTheBindingVtableOrder) {
    ITypeLib* tl = nullptr;
    ITypeInfo *disp = nullptr, *vt = nullptr;
    LoadILinkor(&tl, &disp, &vt);
    ASSERT_NE(vt, nullptr);
    struct Member {
        const wchar_t* name;
        DISPID id;
        INVOKEKIND kind;
    };
    const INVOKEKIND G = INVOKE_PROPERTYGET, P = INVOKE_PROPERTYPUT, M = INVOKE_FUNC;
    const Member members[67] = {
        {L"Visible", 50, G}, {L"Visible", 50, P}, {L"Caption", -518, G}, {L"Caption", -518, P},
        {L"Active", 9, G}, {L"Enabled", -514, G}, {L"Enabled", -514, P},
        {L"VoiceMailRecordFormat", 16, G}, {L"VoiceMailRecordFormat", 16, P},
        {L"VoiceMailPlayFormat", 17, G}, {L"VoiceMailPlayFormat", 17, P},
        {L"PhoneConversation", 18, G}, {L"PhoneConversation", 18, P},
        {L"PlayFileName", 19, G}, {L"PlayFileName", 19, P}, {L"RecFileName", 20, G}, {L"RecFileName", 20, P},
        {L"AnalogCallsListen", 21, G}, {L"AnalogCallsListen", 21, P},
        {L"ListenAllCalls", 22, G}, {L"ListenAllCalls", 22, P},
        {L"AcceptPhoneCall", 23, G}, {L"AcceptPhoneCall", 23, P}, {L"UpdateClock", 24, G}, {L"UpdateClock", 24, P},
        {L"CapiDLL", 25, G}, {L"CapiDLL", 25, P}, {L"MaxLogicalConnections", 26, G},
        {L"MaxLogicalConnections", 26, P}, {L"OriginatorNumber", 27, G}, {L"OriginatorNumber", 27, P},
        {L"DestinationNumber", 28, G}, {L"DestinationNumber", 28, P},
        {L"MakeCall", 29, M}, {L"DisconnectCall", 30, M}, {L"StartCapi", 31, M}, {L"StopCapi", 32, M},
        {L"AppIsRegistered", 33, G}, {L"CapiVersion", 38, G}, {L"ManufacturerVersion", 39, G},
        {L"ManufacturerName", 52, G}, {L"SerialNumber", 34, G}, {L"applicationID", 35, G},
        {L"numControllers", 36, G}, {L"RecallTCapiPDG", 37, M}, {L"RecallTCapiPDGO", 40, M},
        {L"makeControllerProfile", 41, M}, {L"RecallTCapiPDB1", 47, M}, {L"RecallTCapiPDB2", 48, M},
        {L"RecallTCapiPDB3", 49, M}, {L"AboutBox", -552, M}, {L"SpeakerBuffer", 1, G}, {L"SpeakerBuffer", 1, P},
        {L"CalledPartyNumberByte0", 2, G}, {L"CalledPartyNumberByte0", 2, P},
        {L"CallingPartyNumberByte0", 3, G}, {L"CallingPartyNumberByte0", 3, P},
        {L"CallingPartyNumberByte1", 4, G}, {L"CallingPartyNumberByte1", 4, P},
        {L"NumberDataBuffers", 5, G}, {L"NumberDataBuffers", 5, P}, {L"AudioFormat", 6, G},
        {L"AudioFormat", 6, P}, {L"IsConnected", 7, G}, {L"ClearCall", 8, G}, {L"ClearCall", 8, P},
        {L"Help", 10, M},
    };
    TYPEATTR* ta = nullptr;
    vt->GetTypeAttr(&ta);
    EXPECT_EQ(ta->typekind, TKIND_INTERFACE);
    EXPECT_EQ(ta->wTypeFlags & (TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION), TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION);
    ASSERT_EQ(ta->cFuncs, 67);
    vt->ReleaseTypeAttr(ta);
    for (int i = 0; i < 67; ++i) {
        FUNCDESC* fd = nullptr;
        ASSERT_EQ(vt->GetFuncDesc(i, &fd), S_OK);
        Bstr name;
        vt->GetDocumentation(fd->memid, &name.b, nullptr, nullptr, nullptr);
        EXPECT_EQ(name.str(), members[i].name) << i;
        EXPECT_EQ(fd->memid, members[i].id) << members[i].name;
        EXPECT_EQ(fd->invkind, members[i].kind) << members[i].name;
        // After IUnknown's three and IDispatch's four methods.
        EXPECT_EQ(fd->oVft, static_cast<SHORT>((7 + i) * sizeof(void*))) << members[i].name;
        EXPECT_EQ((fd->wFuncFlags & FUNCFLAG_FHIDDEN) != 0, i < 7) << members[i].name;
        vt->ReleaseFuncDesc(fd);
    }
    Bstr help;
    vt->GetDocumentation(16, nullptr, &help.b, nullptr, nullptr);
    EXPECT_EQ(help.str(), L"Selects the file format for recording");
    vt->Release();
    disp->Release();

    ITypeInfo* ev = nullptr;
    ASSERT_EQ(tl->GetTypeInfoOfGuid(DIID_ILinkorEvents, &ev), S_OK);
    const std::pair<const wchar_t*, DISPID> events[13] = {
        {L"OnActivate", 1}, {L"OnCreate", 3}, {L"OnDestroy", 5}, {L"OnDeactivate", 6},
        {L"OnInComingCall", 8}, {L"OnConnected", 7}, {L"OnCallProgress", 9}, {L"OnDisconnected", 11},
        {L"OnIncomingAudioFormat", 12}, {L"OnIncomingCallDetails", 13}, {L"OnIncomingPhoneCall", 14},
        {L"OnCapiProgress", 2}, {L"OnErrorMessage", 4},
    };
    ev->GetTypeAttr(&ta);
    ASSERT_EQ(ta->cFuncs, 13);
    ev->ReleaseTypeAttr(ta);
    for (int i = 0; i < 13; ++i) {
        FUNCDESC* fd = nullptr;
        ASSERT_EQ(ev->GetFuncDesc(i, &fd), S_OK);
        Bstr name;
        ev->GetDocumentation(fd->memid, &name.b, nullptr, nullptr, nullptr);
        EXPECT_EQ(name.str(), events[i].first);
        EXPECT_EQ(fd->memid, events[i].second);
        ev->ReleaseFuncDesc(fd);
    }
    ev->Release();
    tl->Release();
}

// The name of the type `from` refers to by `href`, as a browser shows it.
std::wstring ReferredName(ITypeInfo* from, HREFTYPE href) {
    ITypeInfo* r = nullptr;
    if (from->GetRefTypeInfo(href, &r) != S_OK) return L"<unresolved>";
    Bstr name;
    r->GetDocumentation(MEMBERID_NIL, &name.b, nullptr, nullptr, nullptr);
    r->Release();
    return name.str();
}

// The same for a member's type; empty for a type of automation's own.
std::wstring ReferredType(ITypeInfo* from, const TYPEDESC& td) {
    const TYPEDESC* t = &td;
    while (t->vt == VT_PTR) t = t->lptdesc;
    return t->vt == VT_USERDEFINED ? ReferredName(from, t->hreftype) : L"";
}

TEST_F(LinkorCom, MembersAndTheClassReferToTheirTypes) {
    ITypeLib* tl = nullptr;
    ITypeInfo *disp = nullptr, *vt = nullptr;
    LoadILinkor(&tl, &disp, &vt);
    ASSERT_NE(vt, nullptr);
    const std::vector<std::wstring> want = {
        L"VoiceMailRecordFormat:TCapiVoiceMailFileFormat", L"VoiceMailRecordFormat:TCapiVoiceMailFileFormat",
        L"VoiceMailPlayFormat:TCapiVoiceMailFileFormat", L"VoiceMailPlayFormat:TCapiVoiceMailFileFormat",
        L"RecallTCapiPDG:TCapiPDG1", L"RecallTCapiPDGO:TCapiPDG2", L"RecallTCapiPDB1:TCapiPDG2",
        L"RecallTCapiPDB2:TCapiPDG2", L"RecallTCapiPDB3:TCapiPDG2", L"SpeakerBuffer:TCapiPlayBufferMode",
        L"SpeakerBuffer:TCapiPlayBufferMode", L"AudioFormat:TCapiAudioFormat", L"AudioFormat:TCapiAudioFormat",
    };
    // The dispatch side lists IUnknown's and IDispatch's methods first, whose
    // types the standard library holds.
    std::vector<std::wstring> wantDisp = {L"QueryInterface:GUID", L"GetIDsOfNames:GUID", L"Invoke:GUID",
                                          L"Invoke:DISPPARAMS", L"Invoke:EXCEPINFO"};
    wantDisp.insert(wantDisp.end(), want.begin(), want.end());
    for (ITypeInfo* ti : {disp, vt}) {
        TYPEATTR* ta = nullptr;
        ti->GetTypeAttr(&ta);
        const WORD n = ta->cFuncs;
        ti->ReleaseTypeAttr(ta);
        std::vector<std::wstring> seen;
        for (WORD i = 0; i < n; ++i) {
            FUNCDESC* fd = nullptr;
            ASSERT_EQ(ti->GetFuncDesc(i, &fd), S_OK);
            Bstr name;
            ti->GetDocumentation(fd->memid, &name.b, nullptr, nullptr, nullptr);
            std::vector<std::wstring> types = {ReferredType(ti, fd->elemdescFunc.tdesc)};
            for (SHORT p = 0; p < fd->cParams; ++p) types.push_back(ReferredType(ti, fd->lprgelemdescParam[p].tdesc));
            for (const auto& t : types)
                if (!t.empty()) seen.push_back(name.str() + L":" + t);
            ti->ReleaseFuncDesc(fd);
        }
        EXPECT_EQ(seen, ti == disp ? wantDisp : want);
    }
    vt->Release();
    disp->Release();

    ITypeInfo* cls = nullptr;
    ASSERT_EQ(tl->GetTypeInfoOfGuid(CLSID_Linkor, &cls), S_OK);
    std::vector<std::wstring> impl;
    for (UINT i = 0; i < 2; ++i) {
        HREFTYPE h;
        ASSERT_EQ(cls->GetRefTypeOfImplType(i, &h), S_OK);
        INT flags = 0;
        cls->GetImplTypeFlags(i, &flags);
        impl.push_back(ReferredName(cls, h) + L":" + std::to_wstring(flags));
    }
    EXPECT_EQ(impl, (std::vector<std::wstring>{L"ILinkor:1", L"ILinkorEvents:3"}));
    cls->Release();
    tl->Release();
}

// ---------------------------------------------------------------- properties

VARIANT Var(VARTYPE vt, LONG v) {
    VARIANT r;
    VariantInit(&r);
    V_VT(&r) = VT_I4;
    V_I4(&r) = v;
    if (vt != VT_I4) VariantChangeType(&r, &r, 0, vt);
    return r;
}

HRESULT Put(IDispatch* d, DISPID id, VARIANT v) {
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS dp{&v, &named, 1, 1};
    HRESULT hr = d->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &dp, nullptr, nullptr, nullptr);
    VariantClear(&v);
    return hr;
}

LONG GetLong(IDispatch* d, DISPID id) {
    DISPPARAMS none{};
    VARIANT r;
    VariantInit(&r);
    EXPECT_EQ(d->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &r, nullptr, nullptr), S_OK) << id;
    VariantChangeType(&r, &r, 0, VT_I4);
    return V_I4(&r);
}

TEST_F(LinkorCom, FreshControlHasTheEngineDefaults) {
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    Bstr s;
    c->get_CapiDLL(&s.b);
    EXPECT_EQ(s.str(), L"capi2032.dll");
    Bstr p, r, m, o, d, cap;
    c->get_PlayFileName(&p.b);
    c->get_RecFileName(&r.b);
    c->get_MaxLogicalConnections(&m.b);
    c->get_OriginatorNumber(&o.b);
    c->get_DestinationNumber(&d.b);
    c->get_Caption(&cap.b);
    EXPECT_EQ(p.str(), L".\\player.wav");
    EXPECT_EQ(r.str(), L".\\recorder.wav");
    EXPECT_EQ(m.str(), L"1");
    EXPECT_EQ(o.str(), L"012345678");
    EXPECT_EQ(d.str(), L"012345678");
    EXPECT_EQ(cap.str(), L"LinkorCtrl");
    IDispatch* disp = c;
    struct {
        DISPID id;
        LONG value;
    } defaults[] = {{16, 0}, {17, 0}, {18, 0}, {21, -1}, {22, -1}, {23, 0}, {24, -1}, {1, 3}, {2, 128}, {3, 0},
                    {4, 128}, {5, 7}, {6, 0}, {7, 0}, {8, 0}, {33, 0}, {-514, -1}};
    for (auto& k : defaults) EXPECT_EQ(GetLong(disp, k.id), k.value) << k.id;
    c->Release();
}

TEST_F(LinkorCom, PutsMapOutOfRangeValuesAndReadBackThroughVtableAndInvoke) {
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    struct Case {
        DISPID id;
        VARTYPE vt;
        LONG put;
        LONG get;
    } cases[] = {
        {16, VT_I4, 7, 1},  {16, VT_I4, 2, 2},   {16, VT_I4, 0, 0},  {17, VT_I4, -1, 1},  {17, VT_I4, 2, 2},
        {6, VT_I4, 5, 0},   {6, VT_I4, 1, 1},    {6, VT_I4, 2, 0},   {1, VT_I4, 9, 3},    {1, VT_I4, 4, 4},
        {1, VT_I4, 0, 0},   {2, VT_UI1, 0x91, 0x91}, {3, VT_UI1, 0, 0}, {4, VT_UI1, 255, 255}, {5, VT_I2, -3, -3},
        {8, VT_BOOL, -1, -1}, {21, VT_BOOL, 0, 0}, {22, VT_I4, 5, -1}, {23, VT_BOOL, -1, -1}, {24, VT_BOOL, 0, 0},
        {50, VT_BOOL, -1, -1}, {-514, VT_BOOL, 0, 0},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(Put(c, k.id, Var(k.vt, k.put)), S_OK) << k.id;
        EXPECT_EQ(GetLong(c, k.id), k.get) << k.id << " put " << k.put;
    }
    // The same rules through the vtable.
    TCapiVoiceMailFileFormat ff;
    c->put_VoiceMailRecordFormat(static_cast<TCapiVoiceMailFileFormat>(7));
    c->get_VoiceMailRecordFormat(&ff);
    EXPECT_EQ(ff, ffALAW);
    TCapiAudioFormat af;
    c->put_AudioFormat(static_cast<TCapiAudioFormat>(5));
    c->get_AudioFormat(&af);
    EXPECT_EQ(af, afALaw);
    TCapiPlayBufferMode sb;
    c->put_SpeakerBuffer(static_cast<TCapiPlayBufferMode>(9));
    c->get_SpeakerBuffer(&sb);
    EXPECT_EQ(sb, tpMEDIUM);
    VARIANT_BOOL b;
    c->put_ClearCall(2);
    c->get_ClearCall(&b);
    EXPECT_EQ(b, VARIANT_TRUE);
    unsigned char byte;
    c->put_CalledPartyNumberByte0(0x91);
    c->get_CalledPartyNumberByte0(&byte);
    EXPECT_EQ(byte, 0x91);
    // Last: once the conversation mode is on, its sound object keeps the
    // speaker buffer as it was.
    EXPECT_EQ(Put(c, 18, Var(VT_BOOL, -1)), S_OK);
    EXPECT_EQ(GetLong(c, 18), -1);
    c->put_SpeakerBuffer(tpSMALL);
    c->get_SpeakerBuffer(&sb);
    EXPECT_EQ(sb, tpMEDIUM);
    c->Release();
}

TEST_F(LinkorCom, TextsCrossAsAnsiCutAt255) {
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    std::wstring longName(300, L'x');
    for (int i = 0; i < 300; ++i) longName[i] = L'a' + i % 26;
    BSTR in = SysAllocString(longName.c_str());
    EXPECT_EQ(c->put_PlayFileName(in), S_OK);
    SysFreeString(in);
    Bstr out;
    c->get_PlayFileName(&out.b);
    EXPECT_EQ(out.str(), longName.substr(0, 255));

    // Code page 1250 keeps Slovak letters; a letter outside it arrives as "?".
    in = SysAllocString(L"C:\\hlas\\Správa ľščťžýáíé.wav");
    c->put_RecFileName(in);
    SysFreeString(in);
    Bstr rec;
    c->get_RecFileName(&rec.b);
    EXPECT_EQ(rec.str(), L"C:\\hlas\\Správa ľščťžýáíé.wav");
    in = SysAllocString(L"abцd");
    c->put_RecFileName(in);
    SysFreeString(in);
    Bstr rec2;
    c->get_RecFileName(&rec2.b);
    EXPECT_EQ(rec2.str(), L"ab?d");

    // A null BSTR counts as empty.
    c->put_Caption(nullptr);
    Bstr cap;
    c->get_Caption(&cap.b);
    EXPECT_EQ(cap.str(), L"");
    c->Release();
}

TEST_F(LinkorCom, FailingPutReturnsUnexpectedWithTheMessageAsErrorDescription) {
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    ISupportErrorInfo* sei = nullptr;
    ASSERT_EQ(c->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&sei)), S_OK);
    EXPECT_EQ(sei->InterfaceSupportsErrorInfo(IID_ILinkor), S_OK);
    sei->Release();

    BSTR bad = SysAllocString(L"abc");
    EXPECT_EQ(c->put_MaxLogicalConnections(bad), E_UNEXPECTED);
    IErrorInfo* ei = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &ei), S_OK);
    Bstr desc;
    ei->GetDescription(&desc.b);
    EXPECT_EQ(desc.str(), L"'abc' is not a valid integer value");
    ei->Release();

    // Through IDispatch the caller gets an exception with the same text.
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = bad;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS dp{&v, &named, 1, 1};
    EXCEPINFO ex{};
    EXPECT_EQ(c->Invoke(26, IID_NULL, 0, DISPATCH_PROPERTYPUT, &dp, nullptr, &ex, nullptr), DISP_E_EXCEPTION);
    EXPECT_EQ(ex.scode, E_UNEXPECTED);
    EXPECT_EQ(std::wstring(ex.bstrDescription ? ex.bstrDescription : L""), L"'abc' is not a valid integer value");
    SysFreeString(ex.bstrDescription);
    SysFreeString(ex.bstrSource);
    SysFreeString(ex.bstrHelpFile);
    VariantClear(&v);
    Bstr m;
    c->get_MaxLogicalConnections(&m.b);
    EXPECT_EQ(m.str(), L"1");
    c->Release();
}

TEST_F(LinkorCom, ProfileRecallOutsideTheTablesGivesEmptyTexts) {
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    TCapiPDG1 r1{};
    ASSERT_EQ(c->RecallTCapiPDG(0, &r1), S_OK);
    EXPECT_NE(r1.desig, nullptr);
    EXPECT_EQ(SysStringLen(r1.desig), 0u);
    EXPECT_EQ(r1.Value, 0);
    SysFreeString(r1.desig);
    TCapiPDG2 r2{};
    ASSERT_EQ(c->RecallTCapiPDB3(8, &r2), S_OK);
    EXPECT_EQ(SysStringLen(r2.desig), 0u);
    EXPECT_EQ(r2.Value, VARIANT_FALSE);
    SysFreeString(r2.desig);
    c->Release();
}

// ---------------------------------------------------------------- control interfaces

TEST_F(LinkorCom, ControlNamesItsPagesClassAndStatus) {
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    ISpecifyPropertyPages* spp = nullptr;
    ASSERT_EQ(c->QueryInterface(IID_ISpecifyPropertyPages, reinterpret_cast<void**>(&spp)), S_OK);
    CAUUID pages{};
    ASSERT_EQ(spp->GetPages(&pages), S_OK);
    ASSERT_EQ(pages.cElems, 3u);
    const wchar_t* expected[3] = {L"{4B2A64A0-C2C3-482C-8D2F-930AFF829E9C}", L"{2EFBF31F-B611-4CA9-BFFA-291CB0FB909E}",
                                  L"{D366E837-3BB7-4760-9574-B808A3B9518F}"};
    for (int i = 0; i < 3; ++i) {
        wchar_t g[64];
        StringFromGUID2(pages.pElems[i], g, 64);
        EXPECT_STREQ(g, expected[i]);
    }
    CoTaskMemFree(pages.pElems);
    spp->Release();

    IProvideClassInfo2* pci = nullptr;
    ASSERT_EQ(c->QueryInterface(IID_IProvideClassInfo2, reinterpret_cast<void**>(&pci)), S_OK);
    GUID g{};
    EXPECT_EQ(pci->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &g), S_OK);
    EXPECT_TRUE(IsEqualGUID(g, DIID_ILinkorEvents));
    ITypeInfo* ti = nullptr;
    ASSERT_EQ(pci->GetClassInfo(&ti), S_OK);
    TYPEATTR* ta = nullptr;
    ti->GetTypeAttr(&ta);
    EXPECT_TRUE(IsEqualGUID(ta->guid, CLSID_Linkor));
    ti->ReleaseTypeAttr(ta);
    ti->Release();
    pci->Release();

    IOleObject* ole = nullptr;
    ASSERT_EQ(c->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole)), S_OK);
    DWORD status = 0;
    EXPECT_EQ(ole->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
    EXPECT_EQ(status, 206225u);
    CLSID cls{};
    ole->GetUserClassID(&cls);
    EXPECT_TRUE(IsEqualCLSID(cls, CLSID_Linkor));
    ole->Release();

    for (REFIID iid : {IID_IOleControl, IID_IOleInPlaceObject, IID_IViewObject2, IID_IPersistStreamInit,
                       IID_IPersistStorage, IID_IPersistPropertyBag, IID_IConnectionPointContainer}) {
        IUnknown* u = nullptr;
        EXPECT_EQ(c->QueryInterface(iid, reinterpret_cast<void**>(&u)), S_OK);
        if (u) u->Release();
    }
    c->Release();
}

TEST_F(LinkorCom, EventPointTakesOneSinkAndNotifyPointMany) {
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    IConnectionPointContainer* cpc = nullptr;
    ASSERT_EQ(c->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&cpc)), S_OK);
    IConnectionPoint* cp = nullptr;
    ASSERT_EQ(cpc->FindConnectionPoint(DIID_ILinkorEvents, &cp), S_OK);

    Sink first, second, stranger(false);
    DWORD c1 = 0, c2 = 0, c3 = 0;
    EXPECT_EQ(cp->Advise(&stranger, &c3), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cp->Advise(&first, &c1), S_OK);
    EXPECT_EQ(cp->Advise(&second, &c2), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cp->Unadvise(c1), S_OK);
    EXPECT_EQ(cp->Unadvise(c1), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(cp->Advise(&second, &c2), S_OK);

    IConnectionPoint* pn = nullptr;
    ASSERT_EQ(cpc->FindConnectionPoint(IID_IPropertyNotifySink, &pn), S_OK);
    IEnumConnectionPoints* e = nullptr;
    ASSERT_EQ(cpc->EnumConnectionPoints(&e), S_OK);
    IConnectionPoint* all[3] = {};
    ULONG got = 0;
    EXPECT_EQ(e->Next(3, all, &got), S_FALSE);
    EXPECT_EQ(got, 2u);
    for (ULONG i = 0; i < got; ++i) all[i]->Release();
    e->Release();
    pn->Release();

    // The control's end reaches the connected sink, and the sink is let go.
    cp->Release();
    cpc->Release();
    EXPECT_EQ(c->Release(), 0u);
    EXPECT_EQ(second.Calls, std::vector<std::wstring>{L"5:"});
    EXPECT_EQ(second.Refs, 1);
    EXPECT_TRUE(first.Calls.empty());
}

TEST_F(LinkorCom, EngineEventsReachTheSinkWithTheirTexts) {
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    IConnectionPointContainer* cpc = nullptr;
    ASSERT_EQ(c->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&cpc)), S_OK);
    IConnectionPoint* cp = nullptr;
    ASSERT_EQ(cpc->FindConnectionPoint(DIID_ILinkorEvents, &cp), S_OK);
    BSTR bad = SysAllocString(L"abc");
    // Raised while nobody listens: lost.
    c->put_DestinationNumber(bad);
    Sink sink;
    DWORD cookie = 0;
    ASSERT_EQ(cp->Advise(&sink, &cookie), S_OK);
    EXPECT_TRUE(sink.Calls.empty());
    // The sink's failure result does not fail the member.
    EXPECT_EQ(c->put_OriginatorNumber(bad), S_OK);
    SysFreeString(bad);
    EXPECT_EQ(sink.Calls, std::vector<std::wstring>{L"9:Invalid/hidden Caller Number"});
    Bstr num;
    c->get_OriginatorNumber(&num.b);
    EXPECT_EQ(num.str(), L"0");
    EXPECT_EQ(cp->Unadvise(cookie), S_OK);
    cp->Release();
    cpc->Release();
    c->Release();
    EXPECT_EQ(sink.Calls.size(), 1u);
}

// ---------------------------------------------------------------- persistence

std::string SaveStream(IPersistStreamInit* p) {
    std::string out;
    EXPECT_EQ(vx::test::SaveStream(p, &out), S_OK);
    return out;
}

using vx::test::LoadStream;

TEST_F(LinkorCom, FreshControlSavesTheMonitorsStoredDescription) {
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    IPersistStreamInit* p = nullptr;
    ASSERT_EQ(c->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&p)), S_OK);
    EXPECT_EQ(p->InitNew(), S_OK);
    ULARGE_INTEGER max{};
    EXPECT_EQ(p->GetSizeMax(&max), S_OK);
    EXPECT_EQ(max.QuadPart, 768u);
    EXPECT_EQ(SaveStream(p), Golden("monitor.bin"));
    p->Release();
    c->Release();
}

TEST_F(LinkorCom, MonitorsStoredDescriptionLoadsAndLeavesTheStreamBehindIt) {
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    IPersistStreamInit* p = nullptr;
    ASSERT_EQ(c->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&p)), S_OK);
    ULONGLONG pos = 0;
    EXPECT_EQ(LoadStream(p, Golden("monitor.bin") + "next object", &pos), S_OK);
    EXPECT_EQ(pos, 768u);
    EXPECT_EQ(p->IsDirty(), S_FALSE);
    EXPECT_EQ(SaveStream(p), Golden("monitor.bin"));

    EXPECT_EQ(LoadStream(p, Golden("changed.bin")), S_OK);
    Bstr dll, num;
    c->get_CapiDLL(&dll.b);
    c->get_OriginatorNumber(&num.b);
    EXPECT_EQ(dll.str(), L"mycapi.dll");
    EXPECT_EQ(num.str(), L"0905111222");
    EXPECT_EQ(GetLong(c, 6), 1);
    EXPECT_EQ(GetLong(c, 2), 0x91);
    p->Release();
    c->Release();
}

TEST_F(LinkorCom, StoredOutOfRangeValuesAndLongTextsLoadAsTheControlHoldsThem) {
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    IPersistStreamInit* p = nullptr;
    ASSERT_EQ(c->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&p)), S_OK);
    ASSERT_EQ(LoadStream(p, Golden("fallbacks.bin")), S_OK);
    EXPECT_EQ(GetLong(c, 16), 1);
    EXPECT_EQ(GetLong(c, 17), 1);
    EXPECT_EQ(GetLong(c, 1), 3);
    EXPECT_EQ(GetLong(c, 2), 0xFF);
    EXPECT_EQ(GetLong(c, 6), 0);  // unknown law reads as A-law
    ASSERT_EQ(LoadStream(p, Golden("longtexts.bin")), S_OK);
    Bstr play;
    c->get_PlayFileName(&play.b);
    EXPECT_EQ(play.str().size(), 255u);
    p->Release();
    c->Release();
}

TEST_F(LinkorCom, BadStoredDescriptionsFailTheLoadWithTheReason) {
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    IPersistStreamInit* p = nullptr;
    ASSERT_EQ(c->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&p)), S_OK);
    struct {
        const char* file;
        const wchar_t* text;
    } cases[] = {
        {"unknown.bin", L"Property Volume does not exist"},
        {"wrongkind.bin", L"Invalid property value"},
        {"truncated.bin", L"Stream read error"},
        {"badmaxlc.bin", L"'abc' is not a valid integer value"},
    };
    for (auto& k : cases) {
        EXPECT_TRUE(FAILED(LoadStream(p, Golden(k.file)))) << k.file;
        IErrorInfo* ei = nullptr;
        ASSERT_EQ(GetErrorInfo(0, &ei), S_OK) << k.file;
        Bstr d;
        ei->GetDescription(&d.b);
        EXPECT_EQ(d.str(), k.text);
        ei->Release();
    }
    p->Release();
    c->Release();
}

// The interface a failure went through, and its description, as the error
// object gives them.
std::pair<std::wstring, std::wstring> LastError() {
    IErrorInfo* ei = nullptr;
    if (GetErrorInfo(0, &ei) != S_OK || !ei) return {};
    GUID g{};
    ei->GetGUID(&g);
    Bstr d;
    ei->GetDescription(&d.b);
    ei->Release();
    wchar_t text[64];
    StringFromGUID2(g, text, 64);
    return {text, d.str()};
}

std::wstring Iid(REFIID iid) {
    wchar_t text[64];
    StringFromGUID2(iid, text, 64);
    return text;
}

TEST_F(LinkorCom, EveryInterfaceThatFailsWithADescriptionSaysSo) {
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    ISupportErrorInfo* sei = nullptr;
    ASSERT_EQ(c->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&sei)), S_OK);
    for (REFIID iid : {IID_ILinkor, IID_IPersistStreamInit, IID_IPersistStream, IID_IPersistStorage,
                       IID_IPersistPropertyBag})
        EXPECT_EQ(sei->InterfaceSupportsErrorInfo(iid), S_OK) << Iid(iid);
    for (REFIID iid : {IID_IOleObject, IID_IViewObject2, IID_IConnectionPointContainer, IID_IOleInPlaceObject})
        EXPECT_EQ(sei->InterfaceSupportsErrorInfo(iid), S_FALSE) << Iid(iid);
    sei->Release();

    const std::wstring notInteger = L"'abc' is not a valid integer value";
    // ILinkor
    Bstr bad;
    bad.b = SysAllocString(L"abc");
    SetErrorInfo(0, nullptr);
    EXPECT_EQ(c->put_MaxLogicalConnections(bad.b), E_UNEXPECTED);
    EXPECT_EQ(LastError(), std::make_pair(Iid(IID_ILinkor), notInteger));
    // IPersistStreamInit
    IPersistStreamInit* ps = nullptr;
    ASSERT_EQ(c->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&ps)), S_OK);
    SetErrorInfo(0, nullptr);
    EXPECT_TRUE(FAILED(LoadStream(ps, Golden("badmaxlc.bin"))));
    EXPECT_EQ(LastError(), std::make_pair(Iid(IID_IPersistStreamInit), notInteger));
    ps->Release();
    // IPersistStorage: the same stream inside a storage.
    ILockBytes* lb = nullptr;
    ASSERT_EQ(CreateILockBytesOnHGlobal(nullptr, TRUE, &lb), S_OK);
    IStorage* stg = nullptr;
    ASSERT_EQ(StgCreateDocfileOnILockBytes(lb, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &stg), S_OK);
    IStream* contents = nullptr;
    ASSERT_EQ(stg->CreateStream(L"Contents", STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &contents), S_OK);
    std::string bytes = Golden("badmaxlc.bin");
    ULONG n = 0;
    contents->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &n);
    contents->Release();
    IPersistStorage* pst = nullptr;
    ASSERT_EQ(c->QueryInterface(IID_IPersistStorage, reinterpret_cast<void**>(&pst)), S_OK);
    SetErrorInfo(0, nullptr);
    EXPECT_TRUE(FAILED(pst->Load(stg)));
    EXPECT_EQ(LastError(), std::make_pair(Iid(IID_IPersistStorage), notInteger));
    pst->Release();
    stg->Release();
    lb->Release();
    c->Release();
}

// The size a container reserves for the control is the stored form's.
TEST_F(LinkorCom, ExtentIsTheStoredFormsSize) {
    HDC screen = GetDC(nullptr);
    const int ppi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    auto himetric = [&](LONG px) { return MulDiv(px, 2540, ppi); };
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    IOleObject* ole = nullptr;
    ASSERT_EQ(c->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole)), S_OK);
    IViewObject2* view = nullptr;
    ASSERT_EQ(c->QueryInterface(IID_IViewObject2, reinterpret_cast<void**>(&view)), S_OK);
    IPersistStreamInit* p = nullptr;
    ASSERT_EQ(c->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&p)), S_OK);
    SIZEL size{};
    EXPECT_EQ(ole->GetExtent(DVASPECT_CONTENT, &size), S_OK);
    EXPECT_EQ(size.cx, himetric(39));
    EXPECT_EQ(size.cy, himetric(38));

    ASSERT_EQ(LoadStream(p, Golden("resized.bin")), S_OK);
    EXPECT_EQ(ole->GetExtent(DVASPECT_CONTENT, &size), S_OK);
    EXPECT_EQ(size.cx, himetric(200));
    EXPECT_EQ(size.cy, himetric(100));
    SIZEL viewSize{};
    EXPECT_EQ(view->GetExtent(DVASPECT_CONTENT, -1, nullptr, &viewSize), S_OK);
    EXPECT_EQ(viewSize.cx, size.cx);
    EXPECT_EQ(viewSize.cy, size.cy);

    // A container that resizes the control stores the new size with it.
    SIZEL set{himetric(80), himetric(60)};
    EXPECT_EQ(ole->SetExtent(DVASPECT_CONTENT, &set), S_OK);
    EXPECT_EQ(p->IsDirty(), S_OK);
    std::string saved = SaveStream(p);
    ILinkor* d = Create();
    IPersistStreamInit* pd = nullptr;
    ASSERT_EQ(d->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&pd)), S_OK);
    ASSERT_EQ(LoadStream(pd, saved), S_OK);
    IOleObject* oled = nullptr;
    ASSERT_EQ(d->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&oled)), S_OK);
    EXPECT_EQ(oled->GetExtent(DVASPECT_CONTENT, &size), S_OK);
    EXPECT_EQ(size.cx, himetric(80));
    EXPECT_EQ(size.cy, himetric(60));
    oled->Release();
    pd->Release();
    d->Release();
    view->Release();
    ole->Release();
    p->Release();
    c->Release();
}

TEST_F(LinkorCom, StorageKeepsTheSameStream) {
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    IPersistStorage* ps = nullptr;
    ASSERT_EQ(c->QueryInterface(IID_IPersistStorage, reinterpret_cast<void**>(&ps)), S_OK);
    ILockBytes* lb = nullptr;
    ASSERT_EQ(CreateILockBytesOnHGlobal(nullptr, TRUE, &lb), S_OK);
    IStorage* stg = nullptr;
    ASSERT_EQ(StgCreateDocfileOnILockBytes(lb, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &stg), S_OK);
    c->put_ClearCall(VARIANT_TRUE);
    EXPECT_EQ(ps->Save(stg, FALSE), S_OK);
    ps->SaveCompleted(nullptr);
    ps->Release();
    c->Release();

    ILinkor* d = Create();
    ASSERT_EQ(d->QueryInterface(IID_IPersistStorage, reinterpret_cast<void**>(&ps)), S_OK);
    EXPECT_EQ(ps->Load(stg), S_OK);
    VARIANT_BOOL b = 0;
    d->get_ClearCall(&b);
    EXPECT_EQ(b, VARIANT_TRUE);
    ps->Release();
    d->Release();
    stg->Release();
    lb->Release();
}

// A property bag in memory that records the order of its writes.
class Bag : public IPropertyBag {
public:
    std::vector<std::pair<std::wstring, std::wstring>> Items;
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPropertyBag)) {
            *ppv = this;
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* v, IErrorLog*) override {
        for (auto& it : Items)
            if (it.first == name) {
                V_VT(v) = VT_BSTR;
                V_BSTR(v) = SysAllocString(it.second.c_str());
                return S_OK;
            }
        return E_INVALIDARG;
    }
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* v) override {
        VARIANT t;
        VariantInit(&t);
        VariantChangeType(&t, v, 0, VT_BSTR);
        Items.emplace_back(name, std::wstring(V_BSTR(&t), SysStringLen(V_BSTR(&t))));
        VariantClear(&t);
        return S_OK;
    }
};

TEST_F(LinkorCom, PropertyBagKeepsEveryReadWritePropertyByName) {
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    IPersistPropertyBag* pb = nullptr;
    ASSERT_EQ(c->QueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(&pb)), S_OK);
    Bag bag;
    ASSERT_EQ(pb->Save(&bag, TRUE, TRUE), S_OK);
    std::vector<std::wstring> names;
    for (auto& it : bag.Items) names.push_back(it.first);
    std::vector<std::wstring> expected = {
        L"Visible", L"Caption", L"Enabled", L"VoiceMailRecordFormat", L"VoiceMailPlayFormat", L"PhoneConversation",
        L"PlayFileName", L"RecFileName", L"AnalogCallsListen", L"ListenAllCalls", L"AcceptPhoneCall",
        L"UpdateClock", L"CapiDLL", L"MaxLogicalConnections", L"OriginatorNumber", L"DestinationNumber",
        L"SpeakerBuffer", L"CalledPartyNumberByte0", L"CallingPartyNumberByte0", L"CallingPartyNumberByte1",
        L"NumberDataBuffers", L"AudioFormat", L"ClearCall"};
    EXPECT_EQ(names, expected);
    pb->Release();
    c->Release();

    Bag in;
    in.Items = {{L"PhoneConversation", L"-1"}, {L"SpeakerBuffer", L"9"}, {L"CapiDLL", L"jina.dll"},
                {L"AudioFormat", L"1"}};
    ILinkor* d = Create();
    ASSERT_EQ(d->QueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(&pb)), S_OK);
    EXPECT_EQ(pb->Load(&in, nullptr), S_OK);
    EXPECT_EQ(GetLong(d, 18), -1);
    EXPECT_EQ(GetLong(d, 1), 3);
    EXPECT_EQ(GetLong(d, 6), 1);
    Bstr dll;
    d->get_CapiDLL(&dll.b);
    EXPECT_EQ(dll.str(), L"jina.dll");

    Bag bad;
    bad.Items = {{L"MaxLogicalConnections", L"x1"}};
    SetErrorInfo(0, nullptr);
    EXPECT_EQ(pb->Load(&bad, nullptr), E_UNEXPECTED);
    // The member's description, for the interface the host called.
    EXPECT_EQ(LastError(),
              std::make_pair(Iid(IID_IPersistPropertyBag), std::wstring(L"'x1' is not a valid integer value")));
    pb->Release();
    d->Release();
}

}  // namespace
