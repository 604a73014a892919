#include "contacts/win32/outlook_win32.h"

#include <windows.h>
#include <oleauto.h>

#include "base/errors.h"
#include "base/win32/text.h"

namespace vx {

namespace {

// Outlook's default contacts folder (olFolderContacts).
constexpr long kPriecinokKontaktov = 10;

struct Variant {
    VARIANT v;
    Variant() { VariantInit(&v); }
    ~Variant() { VariantClear(&v); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
};

// An owned IDispatch reference.
class Dispatch {
public:
    Dispatch() = default;
    explicit Dispatch(IDispatch* d) : d_(d) {}
    ~Dispatch() {
        if (d_) d_->Release();
    }
    Dispatch(const Dispatch&) = delete;
    Dispatch& operator=(const Dispatch&) = delete;
    IDispatch* get() const { return d_; }
    IDispatch* release() {
        IDispatch* d = d_;
        d_ = nullptr;
        return d;
    }

private:
    IDispatch* d_ = nullptr;
};

// Calls a member by name. args are in their natural order; a result that
// is requested must arrive. Any failure gives false.
bool Zavolaj(IDispatch* d, const wchar_t* meno, WORD flags, VARIANT* args, UINT pocet, VARIANT* vysledok) {
    if (!d) return false;
    std::wstring nazov(meno);
    LPOLESTR mena[1] = {&nazov[0]};
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(d->GetIDsOfNames(IID_NULL, mena, 1, LOCALE_USER_DEFAULT, &id))) return false;
    // Automation wants the arguments last to first.
    VARIANT obratene[4];
    if (pocet > 4) return false;
    for (UINT i = 0; i < pocet; ++i) obratene[i] = args[pocet - 1 - i];
    DISPPARAMS dp = {pocet ? obratene : nullptr, nullptr, pocet, 0};
    EXCEPINFO ei = {};
    UINT chybny = 0;
    HRESULT hr = d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &dp, vysledok, &ei, &chybny);
    if (hr == DISP_E_EXCEPTION) {
        SysFreeString(ei.bstrSource);
        SysFreeString(ei.bstrDescription);
        SysFreeString(ei.bstrHelpFile);
    }
    return SUCCEEDED(hr);
}

// The object a call gave back, or null.
IDispatch* Objekt(VARIANT& v) {
    IDispatch* d = nullptr;
    if (v.vt == VT_DISPATCH && v.pdispVal) {
        d = v.pdispVal;
        d->AddRef();
    } else if (v.vt == VT_UNKNOWN && v.punkVal) {
        if (FAILED(v.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&d)))) d = nullptr;
    }
    return d;
}

// A property or a function with arguments that gives an object.
IDispatch* DajObjekt(IDispatch* d, const wchar_t* meno, VARIANT* args, UINT pocet) {
    Variant r;
    if (!Zavolaj(d, meno, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, pocet, &r.v)) return nullptr;
    return Objekt(r.v);
}

VARIANT Cele(long n) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = n;
    return v;
}

IDispatch* PriecinokKontaktov(IDispatch* ns) {
    VARIANT a = Cele(kPriecinokKontaktov);
    return DajObjekt(ns, L"GetDefaultFolder", &a, 1);
}

class Polozka : public IOutlookPolozka {
public:
    explicit Polozka(IDispatch* d) : d_(d) {}
    std::string Read(const std::string& vlastnost) override {
        Variant r;
        const std::wstring meno = Wide(vlastnost);
        if (!Zavolaj(d_.get(), meno.c_str(), DISPATCH_PROPERTYGET | DISPATCH_METHOD, nullptr, 0, &r.v))
            throw Exception("Cannot read " + vlastnost);
        if (r.v.vt == VT_EMPTY || r.v.vt == VT_NULL) return std::string();
        Variant text;
        if (FAILED(VariantChangeType(&text.v, &r.v, VARIANT_ALPHABOOL, VT_BSTR)))
            throw Exception("Cannot read " + vlastnost);
        return Narrow(std::wstring(text.v.bstrVal ? text.v.bstrVal : L"", SysStringLen(text.v.bstrVal)));
    }

private:
    Dispatch d_;
};

}  // namespace

TOutlookConnect::TOutlookConnect() = default;

TOutlookConnect::~TOutlookConnect() {
    try {
        SetConnected(false);
    } catch (...) {
    }
}

void TOutlookConnect::Disconnect() {
    if (namespace_) namespace_->Release();
    if (application_) application_->Release();
    namespace_ = application_ = nullptr;
}

void TOutlookConnect::SetConnected(bool on) {
    if (!on) {
        Disconnect();
        connected_ = false;
        if (OnDisConnect) OnDisConnect(*this);
        return;
    }
    if (OLEObject.empty()) OLEObject = "Outlook.Application";
    if (OLENameSpace.empty()) OLENameSpace = "MAPI";
    // A connection that fails leaves the one before it as it was.
    IDispatch* staraAplikacia = application_;
    IDispatch* staryNamespace = namespace_;
    application_ = namespace_ = nullptr;
    try {
        CLSID clsid;
        const std::wstring progId = Wide(OLEObject);
        if (FAILED(CLSIDFromProgID(progId.c_str(), &clsid))) throw Exception(kChybaRegistracieOutlooku);
        IDispatch* app = nullptr;
        if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                    reinterpret_cast<void**>(&app))) ||
            !app)
            throw Exception(kChybaRegistracieOutlooku);
        application_ = app;
        Variant typ;
        typ.v.vt = VT_BSTR;
        typ.v.bstrVal = SysAllocString(Wide(OLENameSpace).c_str());
        namespace_ = DajObjekt(application_, L"GetNamespace", &typ.v, 1);
        if (!namespace_) throw Exception(kChybaRegistracieOutlooku);
        if (OnConnect) OnConnect(*this);
    } catch (...) {
        Disconnect();
        application_ = staraAplikacia;
        namespace_ = staryNamespace;
        throw Exception(kChybaRegistracieOutlooku);
    }
    if (staryNamespace) staryNamespace->Release();
    if (staraAplikacia) staraAplikacia->Release();
    connected_ = true;
}

int TOutlookConnect::GetItemCount() {
    if (!connected_) throw Exception(kBezSpojeniaSOutlookom);
    Dispatch priecinok(PriecinokKontaktov(namespace_));
    Dispatch polozky(DajObjekt(priecinok.get(), L"Items", nullptr, 0));
    Variant r;
    if (!Zavolaj(polozky.get(), L"Count", DISPATCH_PROPERTYGET | DISPATCH_METHOD, nullptr, 0, &r.v)) return 0;
    Variant n;
    if (FAILED(VariantChangeType(&n.v, &r.v, 0, VT_I4))) return 0;
    return n.v.lVal < 0 ? 0 : static_cast<int>(n.v.lVal);
}

std::unique_ptr<IOutlookPolozka> TOutlookConnect::GetItem(int index) {
    if (!connected_) throw Exception(kBezSpojeniaSOutlookom);
    // The folder is looked up again for every item.
    Dispatch priecinok(PriecinokKontaktov(namespace_));
    VARIANT i = Cele(index);
    IDispatch* polozka = DajObjekt(priecinok.get(), L"Items", &i, 1);
    if (!polozka) throw Exception(kChybaPolozky);
    return std::make_unique<Polozka>(polozka);
}

}  // namespace vx
