// A stand-in for Outlook's automation server, for the import tests under
// Wine: an in-process server registered as "Outlook.Application" whose
// objects answer, through IDispatch alone, the calls the import makes:
//   Application.GetNamespace("MAPI") -> Namespace
//   Namespace.GetDefaultFolder(10) -> Folder (the contacts file read again)
//   Folder.Items -> collection with Count and Item(i); Folder.Items(i) -> item
//   item.FirstName, LastName, CompanyName, MobileTelephoneNumber,
//        BusinessTelephoneNumber, BusinessAddressStreet, BusinessAddressCity
// Names are matched without regard to case, as Outlook does.
//
// The contacts come from the file named by the environment variable
// VX_OUTLOOK_CONTACTS: code page 1250, one contact per line, the seven
// properties in the order above separated by TAB; "\r" and "\n" in a field
// stand for CR and LF. A field "<fail>" makes that property fail, a line
// starting with "<item-fail>" makes fetching that item fail, a line
// "<count-fail>" makes Count fail. Empty lines are skipped.
// Every member called is appended as one line to the file named by
// VX_OUTLOOK_LOG, when set: "GetNamespace(MAPI)", "Items(3)", "FirstName".
#include <windows.h>
#include <oleauto.h>

#include <memory>
#include <string>
#include <vector>

namespace {

LONG g_objects = 0;
LONG g_locks = 0;
HMODULE g_module = nullptr;

// {6F1D2A55-3C1B-4E0B-9A61-7E5C0B2D9F41}
const CLSID CLSID_OutlookDouble = {0x6f1d2a55, 0x3c1b, 0x4e0b, {0x9a, 0x61, 0x7e, 0x5c, 0x0b, 0x2d, 0x9f, 0x41}};
const wchar_t kProgId[] = L"Outlook.Application";
const wchar_t kClsidText[] = L"{6F1D2A55-3C1B-4E0B-9A61-7E5C0B2D9F41}";

const wchar_t* const kProperties[7] = {L"FirstName",
                                       L"LastName",
                                       L"CompanyName",
                                       L"MobileTelephoneNumber",
                                       L"BusinessTelephoneNumber",
                                       L"BusinessAddressStreet",
                                       L"BusinessAddressCity"};

std::wstring Env(const wchar_t* name) {
    wchar_t buf[1024];
    DWORD n = GetEnvironmentVariableW(name, buf, 1024);
    return n && n < 1024 ? std::wstring(buf, n) : std::wstring();
}

void Log(const std::wstring& line) {
    const std::wstring path = Env(L"VX_OUTLOOK_LOG");
    if (path.empty()) return;
    HANDLE h = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    std::wstring l = line + L"\r\n";
    int n = WideCharToMultiByte(CP_UTF8, 0, l.c_str(), static_cast<int>(l.size()), nullptr, 0, nullptr, nullptr);
    std::string b(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, l.c_str(), static_cast<int>(l.size()), &b[0], n, nullptr, nullptr);
    DWORD w = 0;
    WriteFile(h, b.data(), static_cast<DWORD>(b.size()), &w, nullptr);
    CloseHandle(h);
}

struct Contact {
    std::wstring field[7];
    bool failField[7] = {};
    bool failItem = false;
};

struct Store {
    std::vector<Contact> contacts;
    bool failCount = false;
};

std::wstring Unescape(const std::wstring& s) {
    std::wstring r;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == L'\\' && i + 1 < s.size() && (s[i + 1] == L'r' || s[i + 1] == L'n')) {
            r += s[i + 1] == L'r' ? L'\r' : L'\n';
            ++i;
        } else {
            r += s[i];
        }
    }
    return r;
}

std::shared_ptr<Store> Load() {
    auto store = std::make_shared<Store>();
    const std::wstring path = Env(L"VX_OUTLOOK_CONTACTS");
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return store;  // an empty folder
    std::string bytes;
    char buf[4096];
    DWORD n = 0;
    while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n) bytes.append(buf, n);
    CloseHandle(h);
    int wn = MultiByteToWideChar(1250, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(wn), L'\0');
    if (wn) MultiByteToWideChar(1250, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], wn);

    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        if (line.empty()) continue;
        if (line == L"<count-fail>") {
            store->failCount = true;
            continue;
        }
        Contact c;
        const std::wstring failItem = L"<item-fail>";
        if (line.compare(0, failItem.size(), failItem) == 0) {
            c.failItem = true;
            line.erase(0, failItem.size());
        }
        size_t f = 0, p = 0;
        for (; f < 7; ++f) {
            size_t tab = line.find(L'\t', p);
            std::wstring v = Unescape(line.substr(p, tab == std::wstring::npos ? std::wstring::npos : tab - p));
            if (v == L"<fail>") c.failField[f] = true;
            else c.field[f] = v;
            if (tab == std::wstring::npos) break;
            p = tab + 1;
        }
        store->contacts.push_back(c);
    }
    return store;
}

HRESULT Fail(EXCEPINFO* ei, const wchar_t* text) {
    if (ei) {
        ZeroMemory(ei, sizeof *ei);
        ei->scode = E_FAIL;
        ei->bstrSource = SysAllocString(L"Outlook double");
        ei->bstrDescription = SysAllocString(text);
    }
    return DISP_E_EXCEPTION;
}

// The argument with natural index i (0 = first) as a number or a text.
bool ArgI4(DISPPARAMS* dp, UINT i, long& out) {
    if (!dp || i >= dp->cArgs) return false;
    VARIANT v;
    VariantInit(&v);
    bool ok = SUCCEEDED(VariantChangeType(&v, &dp->rgvarg[dp->cArgs - 1 - i], 0, VT_I4));
    if (ok) out = v.lVal;
    VariantClear(&v);
    return ok;
}
bool ArgStr(DISPPARAMS* dp, UINT i, std::wstring& out) {
    if (!dp || i >= dp->cArgs) return false;
    VARIANT v;
    VariantInit(&v);
    bool ok = SUCCEEDED(VariantChangeType(&v, &dp->rgvarg[dp->cArgs - 1 - i], 0, VT_BSTR));
    if (ok) out.assign(v.bstrVal ? v.bstrVal : L"", SysStringLen(v.bstrVal));
    VariantClear(&v);
    return ok;
}

// An object reached by name only.
class DispObject : public IDispatch {
public:
    DispObject() { InterlockedIncrement(&g_objects); }
    virtual ~DispObject() { InterlockedDecrement(&g_objects); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&ref_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG r = InterlockedDecrement(&ref_);
        if (r == 0) delete this;
        return static_cast<ULONG>(r);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        if (!n) return E_POINTER;
        *n = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** ti) override {
        if (ti) *ti = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        HRESULT hr = S_OK;
        for (UINT i = 0; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            if (i > 0) {  // named arguments: none known
                hr = DISP_E_UNKNOWNNAME;
                continue;
            }
            const std::vector<const wchar_t*>& known = Names();
            for (size_t k = 0; k < known.size(); ++k)
                if (lstrcmpiW(names[0], known[k]) == 0) ids[0] = static_cast<DISPID>(k + 1);
            if (ids[0] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* dp, VARIANT* result,
                                     EXCEPINFO* ei, UINT*) override {
        if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        if (id < 1 || static_cast<size_t>(id) > Names().size()) return DISP_E_MEMBERNOTFOUND;
        if (!(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) return DISP_E_MEMBERNOTFOUND;
        if (dp && dp->cNamedArgs) return DISP_E_NONAMEDARGS;
        VARIANT scratch;
        VariantInit(&scratch);
        HRESULT hr = Call(static_cast<int>(id - 1), dp, result ? result : &scratch, ei);
        VariantClear(&scratch);
        return hr;
    }

    // A new object, handed over with its one reference, as the result.
    static HRESULT Object(VARIANT* result, IDispatch* d) {
        VariantInit(result);
        result->vt = VT_DISPATCH;
        result->pdispVal = d;
        return S_OK;
    }

protected:
    virtual const std::vector<const wchar_t*>& Names() = 0;
    // member is the index into Names().
    virtual HRESULT Call(int member, DISPPARAMS* dp, VARIANT* result, EXCEPINFO* ei) = 0;

private:
    LONG ref_ = 1;
};

class ContactItem : public DispObject {
public:
    explicit ContactItem(const Contact& c) : c_(c) {}

protected:
    const std::vector<const wchar_t*>& Names() override {
        static const std::vector<const wchar_t*> n(kProperties, kProperties + 7);
        return n;
    }
    HRESULT Call(int m, DISPPARAMS*, VARIANT* result, EXCEPINFO* ei) override {
        Log(kProperties[m]);
        if (c_.failField[m]) return Fail(ei, L"The property cannot be read.");
        VariantInit(result);
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocStringLen(c_.field[m].data(), static_cast<UINT>(c_.field[m].size()));
        return S_OK;
    }

private:
    Contact c_;
};

// The item with number i (from 1) of a store.
HRESULT ItemOf(const Store& s, long i, VARIANT* result, EXCEPINFO* ei) {
    if (i < 1 || i > static_cast<long>(s.contacts.size())) return DISP_E_BADINDEX;
    const Contact& c = s.contacts[static_cast<size_t>(i - 1)];
    if (c.failItem) return Fail(ei, L"The item cannot be fetched.");
    return DispObject::Object(result, new ContactItem(c));
}

class ItemsCollection : public DispObject {
public:
    explicit ItemsCollection(std::shared_ptr<Store> s) : s_(std::move(s)) {}

protected:
    const std::vector<const wchar_t*>& Names() override {
        static const std::vector<const wchar_t*> n = {L"Count", L"Item"};
        return n;
    }
    HRESULT Call(int m, DISPPARAMS* dp, VARIANT* result, EXCEPINFO* ei) override {
        if (m == 0) {
            Log(L"Count");
            if (s_->failCount) return Fail(ei, L"The folder cannot be counted.");
            VariantInit(result);
            result->vt = VT_I4;
            result->lVal = static_cast<long>(s_->contacts.size());
            return S_OK;
        }
        long i = 0;
        if (!ArgI4(dp, 0, i)) return DISP_E_BADPARAMCOUNT;
        Log(L"Item(" + std::to_wstring(i) + L")");
        return ItemOf(*s_, i, result, ei);
    }

private:
    std::shared_ptr<Store> s_;
};

class Folder : public DispObject {
public:
    Folder() : s_(Load()) {}

protected:
    const std::vector<const wchar_t*>& Names() override {
        static const std::vector<const wchar_t*> n = {L"Items"};
        return n;
    }
    HRESULT Call(int, DISPPARAMS* dp, VARIANT* result, EXCEPINFO* ei) override {
        if (!dp || dp->cArgs == 0) {
            Log(L"Items");
            return Object(result, new ItemsCollection(s_));
        }
        long i = 0;
        if (dp->cArgs != 1 || !ArgI4(dp, 0, i)) return DISP_E_BADPARAMCOUNT;
        Log(L"Items(" + std::to_wstring(i) + L")");
        return ItemOf(*s_, i, result, ei);
    }

private:
    std::shared_ptr<Store> s_;
};

class NameSpace : public DispObject {
protected:
    const std::vector<const wchar_t*>& Names() override {
        static const std::vector<const wchar_t*> n = {L"GetDefaultFolder"};
        return n;
    }
    HRESULT Call(int, DISPPARAMS* dp, VARIANT* result, EXCEPINFO* ei) override {
        long which = 0;
        if (!dp || dp->cArgs != 1 || !ArgI4(dp, 0, which)) return DISP_E_BADPARAMCOUNT;
        Log(L"GetDefaultFolder(" + std::to_wstring(which) + L")");
        if (which != 10) return Fail(ei, L"Only the contacts folder is here.");
        return Object(result, new Folder());
    }
};

class Application : public DispObject {
protected:
    const std::vector<const wchar_t*>& Names() override {
        static const std::vector<const wchar_t*> n = {L"GetNamespace"};
        return n;
    }
    HRESULT Call(int, DISPPARAMS* dp, VARIANT* result, EXCEPINFO* ei) override {
        std::wstring type;
        if (!dp || dp->cArgs != 1 || !ArgStr(dp, 0, type)) return DISP_E_BADPARAMCOUNT;
        Log(L"GetNamespace(" + type + L")");
        if (lstrcmpiW(type.c_str(), L"MAPI") != 0) return Fail(ei, L"Only MAPI is here.");
        return Object(result, new NameSpace());
    }
};

class Factory : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *ppv = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        Application* app = new Application();
        HRESULT hr = app->QueryInterface(riid, ppv);
        app->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) InterlockedIncrement(&g_locks);
        else InterlockedDecrement(&g_locks);
        return S_OK;
    }
};
Factory g_factory;

bool SetKey(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    HKEY h;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG r = RegSetValueExW(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(h);
    return r == ERROR_SUCCESS;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_OutlookDouble)) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(riid, ppv);
}

STDAPI DllCanUnloadNow() { return g_objects == 0 && g_locks == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(g_module, path, MAX_PATH);
    if (!n || n >= MAX_PATH) return E_FAIL;
    const std::wstring clsidKey = std::wstring(L"CLSID\\") + kClsidText;
    bool ok = SetKey(kProgId, nullptr, L"Outlook automation double") &&
              SetKey(std::wstring(kProgId) + L"\\CLSID", nullptr, kClsidText) &&
              SetKey(clsidKey, nullptr, L"Outlook automation double") &&
              SetKey(clsidKey + L"\\ProgID", nullptr, kProgId) &&
              SetKey(clsidKey + L"\\InprocServer32", nullptr, path) &&
              SetKey(clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
    return ok ? S_OK : E_FAIL;
}

STDAPI DllUnregisterServer() {
    const std::wstring clsidKey = std::wstring(L"CLSID\\") + kClsidText;
    RegDeleteKeyW(HKEY_CLASSES_ROOT, (clsidKey + L"\\InprocServer32").c_str());
    RegDeleteKeyW(HKEY_CLASSES_ROOT, (clsidKey + L"\\ProgID").c_str());
    RegDeleteKeyW(HKEY_CLASSES_ROOT, clsidKey.c_str());
    RegDeleteKeyW(HKEY_CLASSES_ROOT, (std::wstring(kProgId) + L"\\CLSID").c_str());
    RegDeleteKeyW(HKEY_CLASSES_ROOT, kProgId);
    return S_OK;
}

}  // extern "C"
