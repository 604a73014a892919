#include "monitor/win32/linkorhost.h"

#include <olectl.h>

#include <vector>

#include "base/errors.h"
#include "base/win32/systemtext.h"
#include "base/win32/text.h"
#include "capictrl/win32/comhelpers.h"
#include "linkor_idl.h"
#include "monitor/core/linkor1_data.h"

namespace vx {

namespace {

// A text argument of an event, whatever form of string the caller passed.
std::string TextArgumentu(VARIANT& v) {
    VARIANT t;
    VariantInit(&t);
    std::string s;
    if (SUCCEEDED(VariantChangeType(&t, &v, 0, VT_BSTR))) s = TextOfBstr(V_BSTR(&t));
    VariantClear(&t);
    return s;
}

// The description a failed member left (IErrorInfo), else the system's text.
[[noreturn]] void ChybaClenu(HRESULT hr) {
    std::string msg;
    IErrorInfo* ei = nullptr;
    if (GetErrorInfo(0, &ei) == S_OK && ei) {
        BSTR d = nullptr;
        if (SUCCEEDED(ei->GetDescription(&d))) msg = TextOfBstr(d);
        SysFreeString(d);
        ei->Release();
    }
    throw Exception(msg.empty() ? OleChyba(hr) : msg);
}

[[noreturn]] void ChybaInvoke(HRESULT hr, EXCEPINFO& ex) {
    std::string msg;
    if (hr == DISP_E_EXCEPTION) {
        TMemberFailure f = TakeExcepInfo(ex);
        msg = f.description;
        if (f.scode) hr = f.scode;
    }
    throw Exception(msg.empty() ? OleChyba(hr) : msg);
}

void Over(HRESULT hr) {
    if (FAILED(hr)) throw Exception(OleChyba(hr));
}

}  // namespace

std::string OleChyba(HRESULT hr) {
    std::wstring w = SystemText(static_cast<DWORD>(hr));
    // The box shows the sentence without its line end and final full stop.
    while (!w.empty() && (w.back() <= L' ' || w.back() == L'.')) w.pop_back();
    if (!w.empty()) return Narrow(w);
    // The texts of the codes a host meets, for systems that lack them.
    switch (hr) {
    case REGDB_E_CLASSNOTREG: return "Class not registered";
    case CLASS_E_CLASSNOTAVAILABLE: return "ClassFactory cannot supply requested class";
    case E_NOINTERFACE: return "No such interface supported";
    case E_OUTOFMEMORY: return "Not enough storage is available to complete this operation";
    case E_UNEXPECTED: return "Catastrophic failure";
    case E_FAIL: return "Unspecified error";
    case CO_E_NOTINITIALIZED: return "CoInitialize has not been called";
    default: break;
    }
    return OleErrorText(hr);
}

// ------------------------------------------------------------ event sink

// The IDispatch that the control calls for ILinkorEvents. It outlives its
// host only as a stub that ignores everything.
class TLinkor::TSink final : public TComObject<IDispatch> {
public:
    explicit TSink(TLinkor* owner) : owner_(owner) {}
    void Odpoj() { owner_ = nullptr; }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        return QueryThrough(static_cast<IDispatch*>(this), riid, ppv, {IID_IDispatch, DIID_ILinkorEvents});
    }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        if (n) *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** ti) override {
        if (ti) *ti = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) override {
        if (result) VariantInit(result);
        if (owner_) owner_->Udalost(id, params);
        return S_OK;
    }

private:
    TLinkor* owner_;
};

// The control's place in the main window: it has no window of its own and
// is never shown, so the site answers only what a container must.
class TLinkor::TSite final : public TComObject<IOleClientSite> {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        return QueryThrough(static_cast<IOleClientSite*>(this), riid, ppv, {IID_IOleClientSite});
    }
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** mk) override {
        if (mk) *mk = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** c) override {
        if (c) *c = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
};

// ------------------------------------------------------------ the host

TLinkor::TLinkor() : sink_(new TSink(this)), site_(new TSite()) {}

TLinkor::~TLinkor() {
    // Nothing of the control reaches the monitor any more once it goes.
    if (events_) {
        events_->Unadvise(cookie_);
        events_->Release();
    }
    sink_->Odpoj();
    if (oleObject_) {
        oleObject_->Close(OLECLOSE_NOSAVE);
        oleObject_->SetClientSite(nullptr);
        oleObject_->Release();
    }
    if (linkor_) linkor_->Release();
    if (dispatch_) dispatch_->Release();
    // The last reference: the control ends its CAPI registration and its
    // threads here.
    if (control_) control_->Release();
    sink_->Release();
    site_->Release();
    if (ole_) OleUninitialize();
}

void TLinkor::Vytvor(const std::string& ulozeneData) {
    HRESULT hr = OleInitialize(nullptr);
    Over(hr);
    ole_ = true;

    Over(CoCreateInstance(CLSID_Linkor, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                          reinterpret_cast<void**>(&control_)));

    // A control that asks for its site first gets it before its settings.
    DWORD misc = 0;
    if (SUCCEEDED(control_->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&oleObject_)))) {
        oleObject_->GetMiscStatus(DVASPECT_CONTENT, &misc);
        if (misc & OLEMISC_SETCLIENTSITEFIRST) Over(oleObject_->SetClientSite(site_));
    }

    IPersistStreamInit* persist = nullptr;
    Over(control_->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist)));
    IStream* stm = nullptr;
    hr = CreateStreamOnHGlobal(nullptr, TRUE, &stm);
    if (SUCCEEDED(hr)) {
        ULONG written = 0;
        hr = stm->Write(ulozeneData.data(), static_cast<ULONG>(ulozeneData.size()), &written);
        LARGE_INTEGER zero{};
        if (SUCCEEDED(hr)) hr = stm->Seek(zero, STREAM_SEEK_SET, nullptr);
        if (SUCCEEDED(hr)) hr = persist->Load(stm);
        stm->Release();
    }
    persist->Release();
    if (FAILED(hr)) ChybaClenu(hr);

    if (oleObject_ && !(misc & OLEMISC_SETCLIENTSITEFIRST)) Over(oleObject_->SetClientSite(site_));

    Over(control_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch_)));

    IConnectionPointContainer* cpc = nullptr;
    Over(control_->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&cpc)));
    hr = cpc->FindConnectionPoint(DIID_ILinkorEvents, &events_);
    cpc->Release();
    Over(hr);
    hr = events_->Advise(static_cast<IDispatch*>(sink_), &cookie_);
    if (FAILED(hr)) {
        events_->Release();
        events_ = nullptr;
        Over(hr);
    }
}

void TLinkor::Udalost(DISPID id, DISPPARAMS* params) {
    // The arguments arrive last first.
    UINT n = params ? params->cArgs : 0;
    auto arg = [&](UINT i) -> std::string { return i < n ? TextArgumentu(params->rgvarg[n - 1 - i]) : std::string(); };
    try {
        switch (id) {
        case LINKOR_EVENT_OnInComingCall:
            if (OnInComingCall) OnInComingCall(arg(0), arg(1), arg(2));
            break;
        case LINKOR_EVENT_OnConnected:
            if (OnConnected) OnConnected();
            break;
        case LINKOR_EVENT_OnDisconnected:
            if (OnDisconnected) OnDisconnected(arg(0));
            break;
        default:
            break;  // the other events are not bound
        }
    } catch (...) {
        // A failing handler must not unwind into the control.
    }
}

ILinkor& TLinkor::Rozhranie() {
    if (!control_) throw Exception(OleChyba(E_POINTER));
    if (!linkor_) Over(control_->QueryInterface(IID_ILinkor, reinterpret_cast<void**>(&linkor_)));
    return *linkor_;
}

void TLinkor::StartCapi() {
    HRESULT hr = Rozhranie().StartCapi();
    if (FAILED(hr)) ChybaClenu(hr);
}

void TLinkor::StopCapi() {
    HRESULT hr = Rozhranie().StopCapi();
    if (FAILED(hr)) ChybaClenu(hr);
}

VARIANT TLinkor::Vlastnost(DISPID id) {
    if (!dispatch_) throw Exception(OleChyba(E_POINTER));
    VARIANT r;
    VariantInit(&r);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXCEPINFO ex{};
    HRESULT hr = dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &r, &ex, nullptr);
    if (FAILED(hr)) ChybaInvoke(hr, ex);
    return r;
}

void TLinkor::NastavVlastnost(DISPID id, const VARIANT& value) {
    if (!dispatch_) throw Exception(OleChyba(E_POINTER));
    VARIANT arg = value;  // Invoke takes it [in]; the caller keeps ownership
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS dp{&arg, &named, 1, 1};
    EXCEPINFO ex{};
    HRESULT hr = dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &dp, nullptr, &ex, nullptr);
    if (FAILED(hr)) ChybaInvoke(hr, ex);
}

bool TLinkor::AppIsRegistered() {
    VARIANT v = Vlastnost(LINKOR_DISPID_AppIsRegistered);
    VARIANT b;
    VariantInit(&b);
    HRESULT hr = VariantChangeType(&b, &v, 0, VT_BOOL);
    VariantClear(&v);
    Over(hr);
    return V_BOOL(&b) != VARIANT_FALSE;
}

void TLinkor::SetVoiceMailPlayFormat(int v) { NastavVlastnost(LINKOR_DISPID_VoiceMailPlayFormat, LongVariant(v)); }
void TLinkor::SetVoiceMailRecordFormat(int v) { NastavVlastnost(LINKOR_DISPID_VoiceMailRecordFormat, LongVariant(v)); }
void TLinkor::SetAudioFormat(int v) { NastavVlastnost(LINKOR_DISPID_AudioFormat, LongVariant(v)); }

void TLinkor::SetPhoneConversation(bool v) { NastavVlastnost(LINKOR_DISPID_PhoneConversation, BoolVariant(v)); }

std::unique_ptr<TLinkor> VytvorLinkor1(
    std::function<void(const std::string&, const std::string&, const std::string&)> onInComingCall) {
    auto l = std::make_unique<TLinkor>();
    l->OnInComingCall = std::move(onInComingCall);
    l->OnConnected = [] {};                     // Linkor1Connected
    l->OnDisconnected = [](const std::string&) {};  // Linkor1Disconnected
    l->Vytvor(Linkor1Data());
    return l;
}

}  // namespace vx
