// The control's property pages as a container asks for them
// (ISpecifyPropertyPages), the property frame of its verbs, and which of
// its interfaces describe their failures (ISupportErrorInfo).
#include "capictrl/win32/linkorctrl.h"

#include <string>

namespace vx {

// {4B2A64A0-C2C3-482C-8D2F-930AFF829E9C}
const CLSID CLSID_LinkorPageOperation = {0x4B2A64A0, 0xC2C3, 0x482C, {0x8D, 0x2F, 0x93, 0x0A, 0xFF, 0x82, 0x9E, 0x9C}};
// {2EFBF31F-B611-4CA9-BFFA-291CB0FB909E}
const CLSID CLSID_LinkorPageFormats = {0x2EFBF31F, 0xB611, 0x4CA9, {0xBF, 0xFA, 0x29, 0x1C, 0xB0, 0xFB, 0x90, 0x9E}};
// {D366E837-3BB7-4760-9574-B808A3B9518F}
const CLSID CLSID_LinkorPageSystem = {0xD366E837, 0x3BB7, 0x4760, {0x95, 0x74, 0xB8, 0x08, 0xA3, 0xB9, 0x51, 0x8F}};

STDMETHODIMP TLinkorCtrl::GetPages(CAUUID* pages) {
    if (!pages) return E_POINTER;
    pages->cElems = 0;
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(3 * sizeof(GUID)));
    if (!pages->pElems) return E_OUTOFMEMORY;
    pages->pElems[0] = CLSID_LinkorPageOperation;
    pages->pElems[1] = CLSID_LinkorPageFormats;
    pages->pElems[2] = CLSID_LinkorPageSystem;
    pages->cElems = 3;
    return S_OK;
}

STDMETHODIMP TLinkorCtrl::InterfaceSupportsErrorInfo(REFIID riid) {
    // Every interface whose failures carry a description.
    for (REFIID iid : {IID_ILinkor, IID_IPersistStreamInit, IID_IPersistStream, IID_IPersistStorage,
                       IID_IPersistPropertyBag})
        if (IsEqualIID(riid, iid)) return S_OK;
    return S_FALSE;
}

void TLinkorCtrl::ShowPropertyFrame() {
    if (site_) {
        IOleControlSite* cs = nullptr;
        if (SUCCEEDED(site_->QueryInterface(IID_IOleControlSite, reinterpret_cast<void**>(&cs))) && cs) {
            HRESULT hr = cs->ShowPropertyFrame();
            cs->Release();
            if (hr == S_OK) return;
        }
    }
    // The container declined: the control shows the frame itself, captioned
    // with the name the container gives it.
    std::wstring caption;
    if (site_) {
        IDispatch* ambient = nullptr;
        if (SUCCEEDED(site_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&ambient))) && ambient) {
            VARIANT v;
            VariantInit(&v);
            DISPPARAMS none{};
            if (SUCCEEDED(ambient->Invoke(DISPID_AMBIENT_DISPLAYNAME, IID_NULL, LOCALE_USER_DEFAULT,
                                          DISPATCH_PROPERTYGET, &none, &v, nullptr, nullptr)) &&
                V_VT(&v) == VT_BSTR && V_BSTR(&v))
                caption.assign(V_BSTR(&v), SysStringLen(V_BSTR(&v)));
            VariantClear(&v);
            ambient->Release();
        }
    }
    CAUUID pages{};
    if (FAILED(GetPages(&pages))) return;
    IUnknown* self = static_cast<ILinkor*>(this);
    OleCreatePropertyFrame(GetActiveWindow(), 16, 16, caption.c_str(), 1, &self, pages.cElems, pages.pElems,
                           LOCALE_USER_DEFAULT, 0, nullptr);
    CoTaskMemFree(pages.pElems);
}
}  // namespace vx
