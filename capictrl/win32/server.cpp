// The in-process server of the Linkor control: its class factories, the
// four exported entry points and self-registration.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <new>
#include <string>

#include "base/win32/text.h"
#include "capictrl/win32/classfactory.h"
#include "capictrl/win32/comhelpers.h"
#include "capictrl/win32/engine.h"
#include "capictrl/win32/linkorctrl.h"
#include "capictrl/win32/proppage.h"
#include "widgets/window.h"

namespace vx {
namespace {

HMODULE g_module = nullptr;
LONG g_objects = 0;
LONG g_locks = 0;
ITypeLib* g_typeLib = nullptr;
CRITICAL_SECTION g_typeLibLock;

const wchar_t kClsid[] = L"{EF087254-E30B-4CB2-ABDD-2745916393BC}";
const wchar_t kLibid[] = L"{23FFEE16-50BB-44D1-8ACC-1F6200FA6D2F}";
const wchar_t kProgId[] = L"LinkorCtrl.Linkor";
const wchar_t kDescription[] = L"linkor Control";
// The product name; the caption of the control's verb 0.
const wchar_t kProductName[] = L"Linkor";

#ifdef _WIN64
const SYSKIND kSysKind = SYS_WIN64;
#else
const SYSKIND kSysKind = SYS_WIN32;
#endif

std::wstring ModulePath() {
    wchar_t buf[MAX_PATH * 2];
    DWORD n = GetModuleFileNameW(g_module, buf, sizeof buf / sizeof buf[0]);
    if (n == 0 || n >= sizeof buf / sizeof buf[0]) return std::wstring();
    return std::wstring(buf, n);
}

// The path as the class entry records it: short form when it holds a blank.
std::wstring RegisteredPath() {
    std::wstring path = ModulePath();
    if (path.find(L' ') == std::wstring::npos) return path;
    wchar_t buf[MAX_PATH * 2];
    DWORD n = GetShortPathNameW(path.c_str(), buf, sizeof buf / sizeof buf[0]);
    if (n == 0 || n >= sizeof buf / sizeof buf[0]) return path;
    return std::wstring(buf, n);
}

class TLinkorFactory : public TStaticClassFactory {
protected:
    HRESULT CreateObject(REFIID riid, void** ppv) override {
        TLinkorCtrl* ctrl = nullptr;
        try {
            ctrl = new TLinkorCtrl(CreateLinkorEngine());
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (...) {
            return E_UNEXPECTED;
        }
        HRESULT hr = ctrl->QueryInterface(riid, ppv);
        ctrl->Release();
        return hr;
    }
};

TLinkorFactory g_factory;

// ---------------------------------------------------------------- registry

class RegError {};

void SetKey(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    HKEY h = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) !=
        ERROR_SUCCESS)
        throw RegError();
    LONG rc = RegSetValueExW(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(h);
    if (rc != ERROR_SUCCESS) throw RegError();
}

void CreateKey(const std::wstring& key) {
    HKEY h = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) !=
        ERROR_SUCCESS)
        throw RegError();
    RegCloseKey(h);
}

// Removes a key with everything below it; a missing key is no failure.
bool DeleteTree(HKEY root, const std::wstring& key) {
    HKEY h = nullptr;
    LONG rc = RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | KEY_WRITE, &h);
    if (rc == ERROR_FILE_NOT_FOUND) return true;
    if (rc != ERROR_SUCCESS) return false;
    bool ok = true;
    for (;;) {
        wchar_t sub[256];
        DWORD n = sizeof sub / sizeof sub[0];
        if (RegEnumKeyExW(h, 0, sub, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (!DeleteTree(h, sub)) {
            ok = false;
            break;
        }
    }
    RegCloseKey(h);
    if (!ok) return false;
    rc = RegDeleteKeyW(root, key.c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

void RegisterControl() {
    const std::wstring path = RegisteredPath();
    const std::wstring cls = std::wstring(L"CLSID\\") + kClsid;
    SetKey(cls, nullptr, kDescription);
    SetKey(cls + L"\\InprocServer32", nullptr, path);
    SetKey(cls + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
    SetKey(cls + L"\\ProgID", nullptr, kProgId);
    SetKey(kProgId, nullptr, kDescription);
    SetKey(std::wstring(kProgId) + L"\\Clsid", nullptr, kClsid);
    SetKey(cls + L"\\TypeLib", nullptr, kLibid);
    SetKey(cls + L"\\Version", nullptr, L"1.0");
    SetKey(cls + L"\\MiscStatus", nullptr, L"0");
    SetKey(cls + L"\\MiscStatus\\1", nullptr, std::to_wstring(kLinkorMiscStatus));
    SetKey(cls + L"\\ToolboxBitmap32", nullptr, path + L",1");
    CreateKey(cls + L"\\Control");
    CreateKey(cls + L"\\Verb");
    // The framework's "Properties" entry and the control's own share verb 0;
    // the control's, written last, is what the key keeps.
    SetKey(cls + L"\\Verb\\0", nullptr, L"Properties,0,2");
    SetKey(cls + L"\\Verb\\0", nullptr, std::wstring(kProductName) + L",0,2");
    // The property pages: a described class key with its server, no
    // threading model and no ProgID.
    for (const TPageClass& p : LinkorPageClasses()) {
        const std::wstring key = std::wstring(L"CLSID\\") + p.ClsidText;
        SetKey(key, nullptr, Wide(std::string(p.Page->ClassName) + " property page"));
        SetKey(key + L"\\InprocServer32", nullptr, path);
    }
}

}  // namespace

STDMETHODIMP TStaticClassFactory::QueryInterface(REFIID riid, void** ppv) {
    return QueryThrough(static_cast<IClassFactory*>(this), riid, ppv, {IID_IClassFactory});
}

STDMETHODIMP TStaticClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return CreateObject(riid, ppv);
}

STDMETHODIMP TStaticClassFactory::LockServer(BOOL lock) {
    if (lock)
        InterlockedIncrement(&g_locks);
    else
        InterlockedDecrement(&g_locks);
    return S_OK;
}

HMODULE ServerModule() { return g_module; }

void ServerObjectCreated() { InterlockedIncrement(&g_objects); }
void ServerObjectDestroyed() {
    if (InterlockedDecrement(&g_objects) != 0) return;
    // The loaded type library holds a reference to this file: with the last
    // object it goes, so that a container can unload the file; the next
    // object loads it again.
    EnterCriticalSection(&g_typeLibLock);
    ITypeLib* tl = g_objects == 0 ? g_typeLib : nullptr;
    if (tl) g_typeLib = nullptr;
    LeaveCriticalSection(&g_typeLibLock);
    if (tl) tl->Release();
}

ITypeLib* ServerTypeLib() {
    EnterCriticalSection(&g_typeLibLock);
    if (!g_typeLib) {
        std::wstring path = ModulePath();
        if (!path.empty() && FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &g_typeLib))) g_typeLib = nullptr;
    }
    ITypeLib* tl = g_typeLib;
    LeaveCriticalSection(&g_typeLibLock);
    return tl;
}

}  // namespace vx

using namespace vx;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        InitializeCriticalSection(&g_typeLibLock);
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        // At process end other libraries may be gone already: only a real
        // unload gives the type library and the window classes back (a class
        // left registered would name a procedure in the unloaded file).
        if (!reserved) {
            if (g_typeLib) g_typeLib->Release();
            UnregisterWindowClasses();
        }
        g_typeLib = nullptr;
        DeleteCriticalSection(&g_typeLibLock);
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (IClassFactory* page = PageClassFactory(clsid)) return page->QueryInterface(riid, ppv);
    if (!IsEqualCLSID(clsid, CLSID_Linkor)) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(riid, ppv);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return (g_objects == 0 && g_locks == 0) ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    try {
        std::wstring path = ModulePath();
        ITypeLib* tl = nullptr;
        if (path.empty() || FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &tl))) return E_FAIL;
        // Registered under the file's full path as it is.
        HRESULT hr = RegisterTypeLib(tl, const_cast<LPOLESTR>(path.c_str()), nullptr);
        tl->Release();
        if (FAILED(hr)) return E_FAIL;
        RegisterControl();
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    bool ok = DeleteTree(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kClsid);
    ok = DeleteTree(HKEY_CLASSES_ROOT, kProgId) && ok;
    for (const TPageClass& p : LinkorPageClasses())
        ok = DeleteTree(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + p.ClsidText) && ok;
    // A type library that is not registered is already where unregistering
    // leaves it.
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, (std::wstring(L"TypeLib\\") + kLibid).c_str(), 0, KEY_READ, &h) ==
        ERROR_SUCCESS) {
        RegCloseKey(h);
        if (FAILED(UnRegisterTypeLib(LIBID_LinkorCtrl, 1, 0, 0x409, kSysKind))) ok = false;
    }
    return ok ? S_OK : E_FAIL;
}
