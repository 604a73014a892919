#include "capictrl/win32/comhelpers.h"

#include <new>

#include "base/win32/text.h"

namespace vx {

std::string TextOfBstr(BSTR b) { return b ? Narrow(std::wstring(b, SysStringLen(b))) : std::string(); }

BSTR BstrOfText(const std::string& text) {
    std::wstring w = Wide(text);
    BSTR b = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
    if (!b) throw std::bad_alloc();
    return b;
}

namespace {
VARIANT Empty(VARTYPE vt) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = vt;
    return v;
}
}  // namespace

VARIANT TextVariant(const std::string& text) {
    BSTR b = BstrOfText(text);
    VARIANT v = Empty(VT_BSTR);
    V_BSTR(&v) = b;
    return v;
}
VARIANT BoolVariant(bool b) {
    VARIANT v = Empty(VT_BOOL);
    V_BOOL(&v) = b ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}
VARIANT ShortVariant(int16_t n) {
    VARIANT v = Empty(VT_I2);
    V_I2(&v) = n;
    return v;
}
VARIANT LongVariant(int32_t n) {
    VARIANT v = Empty(VT_I4);
    V_I4(&v) = n;
    return v;
}
VARIANT ByteVariant(uint8_t n) {
    VARIANT v = Empty(VT_UI1);
    V_UI1(&v) = n;
    return v;
}

TMemberFailure TakeExcepInfo(EXCEPINFO& ex) {
    if (ex.pfnDeferredFillIn) ex.pfnDeferredFillIn(&ex);
    ex.pfnDeferredFillIn = nullptr;
    TMemberFailure f{ex.scode, TextOfBstr(ex.bstrDescription)};
    SysFreeString(ex.bstrSource);
    SysFreeString(ex.bstrDescription);
    SysFreeString(ex.bstrHelpFile);
    ex.bstrSource = ex.bstrDescription = ex.bstrHelpFile = nullptr;
    return f;
}

}  // namespace vx
