// The COM pieces the control, its property pages and its host share: texts
// between BSTR and code page 1250, VARIANTs of one value, the unpacking of
// a member's EXCEPINFO and the reference count of an object of ours.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <initializer_list>
#include <string>

namespace vx {

// A BSTR's text as code page 1250; a null BSTR is the empty text.
std::string TextOfBstr(BSTR b);
// A new BSTR of the text; exhausted memory raises std::bad_alloc.
BSTR BstrOfText(const std::string& text);

// VARIANTs holding one value; the caller clears them (VariantClear).
VARIANT TextVariant(const std::string& text);
VARIANT BoolVariant(bool v);
VARIANT ShortVariant(int16_t v);
VARIANT LongVariant(int32_t v);
VARIANT ByteVariant(uint8_t v);

// What a member that failed with DISP_E_EXCEPTION reported: its deferred
// fill-in run, its code as given (0 when it gave none) and its description
// ("" when it gave none). The EXCEPINFO's strings are freed.
struct TMemberFailure {
    HRESULT scode;
    std::string description;
};
TMemberFailure TakeExcepInfo(EXCEPINFO& ex);

// QueryInterface of an object that offers IUnknown and each of `iids`
// through the one interface pointer `self`.
template <class I>
HRESULT QueryThrough(I* self, REFIID riid, void** ppv, std::initializer_list<IID> iids) {
    if (!ppv) return E_POINTER;
    bool offered = IsEqualIID(riid, IID_IUnknown);
    for (const IID& iid : iids) offered = offered || IsEqualIID(riid, iid);
    if (!offered) {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    *ppv = self;
    self->AddRef();
    return S_OK;
}

// The reference count of a COM object of ours implementing the interfaces
// I...: created with one reference, and LastReleased (by default the
// object's deletion) once the last one is given back.
template <class... I>
class TComObject : public I... {
public:
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG r = InterlockedDecrement(&refs_);
        if (r == 0) LastReleased();
        return static_cast<ULONG>(r);
    }

protected:
    TComObject() = default;
    virtual ~TComObject() = default;
    virtual void LastReleased() { delete this; }
    LONG refs_ = 1;
};

}  // namespace vx
