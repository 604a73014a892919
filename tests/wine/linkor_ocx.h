// LINKOR.OCX as the Wine tests take it: the file the build made (the test's
// VX_OCX_PATH), its own class objects without registration, a sink
// connected to one of a control's connection points, what an event brings
// it, and the control's stream as a host keeps it.
#pragma once
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include <string>

#include "linkor_idl.h"

namespace vx {
namespace test {

// A file the build made, named as the build gives it ("Z:/..."), as
// Windows spells it.
inline std::wstring WinPath(const char* built) {
    std::string s = built;
    std::wstring w(s.begin(), s.end());
    for (auto& c : w)
        if (c == L'/') c = L'\\';
    return w;
}

inline std::wstring OcxPath() { return WinPath(VX_OCX_PATH); }

// The file's class object for `clsid`, asked of the file itself.
inline HRESULT ClassObject(HMODULE ocx, REFCLSID clsid, IClassFactory** factory) {
    *factory = nullptr;
    auto get = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
        reinterpret_cast<void*>(GetProcAddress(ocx, "DllGetClassObject")));
    if (!get) return E_NOINTERFACE;
    return get(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory));
}

// A new control from the file's own factory.
inline HRESULT NewLinkor(HMODULE ocx, ILinkor** control) {
    *control = nullptr;
    IClassFactory* factory = nullptr;
    HRESULT hr = ClassObject(ocx, CLSID_Linkor, &factory);
    if (FAILED(hr)) return hr;
    hr = factory->CreateInstance(nullptr, IID_ILinkor, reinterpret_cast<void**>(control));
    factory->Release();
    return hr;
}

// Connects `sink` to the control's point for `iid`; the point is handed
// out when asked for, else let go.
inline HRESULT Connect(IUnknown* control, REFIID iid, IUnknown* sink, DWORD* cookie,
                       IConnectionPoint** point = nullptr) {
    if (point) *point = nullptr;
    IConnectionPointContainer* cpc = nullptr;
    HRESULT hr = control->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&cpc));
    if (FAILED(hr)) return hr;
    IConnectionPoint* cp = nullptr;
    hr = cpc->FindConnectionPoint(iid, &cp);
    cpc->Release();
    if (FAILED(hr)) return hr;
    hr = cp->Advise(sink, cookie);
    if (point && SUCCEEDED(hr))
        *point = cp;
    else
        cp->Release();
    return hr;
}

// The stream the control saves of itself, into `bytes`.
inline HRESULT SaveStream(IPersistStreamInit* p, std::string* bytes) {
    bytes->clear();
    IStream* s = nullptr;
    HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, &s);
    if (FAILED(hr)) return hr;
    hr = p->Save(s, TRUE);
    STATSTG st{};
    s->Stat(&st, STATFLAG_NONAME);
    bytes->assign(static_cast<size_t>(st.cbSize.QuadPart), '\0');
    LARGE_INTEGER zero{};
    s->Seek(zero, STREAM_SEEK_SET, nullptr);
    ULONG n = 0;
    if (!bytes->empty()) s->Read(&(*bytes)[0], static_cast<ULONG>(bytes->size()), &n);
    s->Release();
    return hr;
}

// The control loads `bytes` from a stream; `posAfter` receives how far it
// read.
inline HRESULT LoadStream(IPersistStreamInit* p, const std::string& bytes, ULONGLONG* posAfter = nullptr) {
    IStream* s = nullptr;
    HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, &s);
    if (FAILED(hr)) return hr;
    ULONG n = 0;
    s->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &n);
    LARGE_INTEGER zero{};
    s->Seek(zero, STREAM_SEEK_SET, nullptr);
    hr = p->Load(s);
    ULARGE_INTEGER pos{};
    s->Seek(zero, STREAM_SEEK_CUR, &pos);
    if (posAfter) *posAfter = pos.QuadPart;
    s->Release();
    return hr;
}

// An event's arguments as texts, first to last, joined by `separator`.
inline std::wstring ArgumentsText(const DISPPARAMS* p, const wchar_t* separator) {
    std::wstring s;
    for (UINT i = p->cArgs; i-- > 0;) {
        VARIANT v;
        VariantInit(&v);
        VariantChangeType(&v, &p->rgvarg[i], 0, VT_BSTR);
        s += std::wstring(V_BSTR(&v), SysStringLen(V_BSTR(&v)));
        if (i) s += separator;
        VariantClear(&v);
    }
    return s;
}

}  // namespace test
}  // namespace vx
