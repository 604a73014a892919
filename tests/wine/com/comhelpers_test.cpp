// The COM helpers the control, its property pages and its host share: the
// texts they hand over, the VARIANTs they build, a member's failure as they
// read it and the life of an object of theirs.
#include "capictrl/win32/comhelpers.h"

#include <gtest/gtest.h>

#include <ocidl.h>

#include <string>

namespace vx {
namespace {

TEST(ComTexts, BstrAndCodePage1250BothWays) {
    EXPECT_EQ(TextOfBstr(nullptr), "");
    BSTR b = BstrOfText("Žltý kôň ďatľa");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(std::wstring(b, SysStringLen(b)), L"\u017Dlt\u00FD k\u00F4\u0148 \u010Fat\u013Ea");
    EXPECT_EQ(TextOfBstr(b), "Žltý kôň ďatľa");
    SysFreeString(b);
    // A text with a zero byte keeps its length.
    b = BstrOfText(std::string("a\0b", 3));
    EXPECT_EQ(SysStringLen(b), 3u);
    EXPECT_EQ(TextOfBstr(b), std::string("a\0b", 3));
    SysFreeString(b);
}

TEST(ComVariants, EachHoldsItsOneValue) {
    VARIANT v = TextVariant("Čierny");
    EXPECT_EQ(V_VT(&v), VT_BSTR);
    EXPECT_EQ(TextOfBstr(V_BSTR(&v)), "Čierny");
    VariantClear(&v);
    v = BoolVariant(true);
    EXPECT_EQ(V_VT(&v), VT_BOOL);
    EXPECT_EQ(V_BOOL(&v), VARIANT_TRUE);
    v = BoolVariant(false);
    EXPECT_EQ(V_BOOL(&v), VARIANT_FALSE);
    v = ShortVariant(-3);
    EXPECT_EQ(V_VT(&v), VT_I2);
    EXPECT_EQ(V_I2(&v), -3);
    v = LongVariant(70000);
    EXPECT_EQ(V_VT(&v), VT_I4);
    EXPECT_EQ(V_I4(&v), 70000);
    v = ByteVariant(0xA1);
    EXPECT_EQ(V_VT(&v), VT_UI1);
    EXPECT_EQ(V_UI1(&v), 0xA1);
}

HRESULT STDAPICALLTYPE FillIn(EXCEPINFO* ex) {
    ex->scode = E_ACCESSDENIED;
    ex->bstrDescription = SysAllocString(L"Pr\u00EDstup odopret\u00FD");
    return S_OK;
}

TEST(ComExcepInfo, TakesTheMembersCodeAndDescriptionAndFreesTheStrings) {
    EXCEPINFO ex{};
    ex.scode = E_INVALIDARG;
    ex.bstrSource = SysAllocString(L"Linkor");
    ex.bstrDescription = SysAllocString(L"Zl\u00E1 hodnota");
    ex.bstrHelpFile = SysAllocString(L"linkor.hlp");
    TMemberFailure f = TakeExcepInfo(ex);
    EXPECT_EQ(f.scode, E_INVALIDARG);
    EXPECT_EQ(f.description, "Zlá hodnota");
    EXPECT_EQ(ex.bstrSource, nullptr);
    EXPECT_EQ(ex.bstrDescription, nullptr);
    EXPECT_EQ(ex.bstrHelpFile, nullptr);

    // A deferred description is filled in first.
    EXCEPINFO deferred{};
    deferred.pfnDeferredFillIn = FillIn;
    f = TakeExcepInfo(deferred);
    EXPECT_EQ(f.scode, E_ACCESSDENIED);
    EXPECT_EQ(f.description, "Prístup odopretý");
    EXPECT_EQ(deferred.bstrDescription, nullptr);

    // None given: code 0 and no text, for the caller's own.
    EXCEPINFO none{};
    f = TakeExcepInfo(none);
    EXPECT_EQ(f.scode, 0);
    EXPECT_EQ(f.description, "");
}

class TCounted : public TComObject<IConnectionPoint, IEnumConnections> {
public:
    explicit TCounted(int& gone) : gone_(gone) {}
    ~TCounted() override { ++gone_; }
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        return QueryThrough(static_cast<IConnectionPoint*>(this), riid, ppv, {IID_IConnectionPoint});
    }
    STDMETHODIMP GetConnectionInterface(IID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer**) override { return E_NOTIMPL; }
    STDMETHODIMP Advise(IUnknown*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }
    STDMETHODIMP Next(ULONG, CONNECTDATA*, ULONG*) override { return E_NOTIMPL; }
    STDMETHODIMP Skip(ULONG) override { return E_NOTIMPL; }
    STDMETHODIMP Reset() override { return E_NOTIMPL; }
    STDMETHODIMP Clone(IEnumConnections**) override { return E_NOTIMPL; }

private:
    int& gone_;
};

TEST(ComObject, OneCountForEveryInterfaceAndGoneWithTheLastRelease) {
    int gone = 0;
    auto* o = new TCounted(gone);
    IConnectionPoint* cp = o;
    IEnumConnections* en = o;
    EXPECT_EQ(cp->AddRef(), 2u);
    EXPECT_EQ(en->AddRef(), 3u);
    EXPECT_EQ(en->Release(), 2u);

    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(cp->QueryInterface(IID_IDispatch, &p), E_NOINTERFACE);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(cp->QueryInterface(IID_IConnectionPoint, nullptr), E_POINTER);
    ASSERT_EQ(cp->QueryInterface(IID_IUnknown, &p), S_OK);
    EXPECT_EQ(p, static_cast<void*>(cp));
    EXPECT_EQ(cp->Release(), 2u);

    EXPECT_EQ(cp->Release(), 1u);
    EXPECT_EQ(gone, 0);
    EXPECT_EQ(en->Release(), 0u);
    EXPECT_EQ(gone, 1);
}

}  // namespace
}  // namespace vx
