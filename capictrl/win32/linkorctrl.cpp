#include "capictrl/win32/linkorctrl.h"

#include <map>
#include <mutex>
#include <new>

#include "base/guard.h"
#include "base/win32/text.h"
#include "capictrl/win32/abox.h"
#include "capictrl/win32/comerror.h"
#include "capictrl/win32/formsupport.h"
#include "capictrl/win32/help.h"

namespace vx {

// {4B2A64A0-C2C3-482C-8D2F-930AFF829E9C}
const CLSID CLSID_LinkorPageOperation = {0x4B2A64A0, 0xC2C3, 0x482C, {0x8D, 0x2F, 0x93, 0x0A, 0xFF, 0x82, 0x9E, 0x9C}};
// {2EFBF31F-B611-4CA9-BFFA-291CB0FB909E}
const CLSID CLSID_LinkorPageFormats = {0x2EFBF31F, 0xB611, 0x4CA9, {0xBF, 0xFA, 0x29, 0x1C, 0xB0, 0xFB, 0x90, 0x9E}};
// {D366E837-3BB7-4760-9574-B808A3B9518F}
const CLSID CLSID_LinkorPageSystem = {0xD366E837, 0x3BB7, 0x4760, {0x95, 0x74, 0xB8, 0x08, 0xA3, 0xB9, 0x51, 0x8F}};

namespace {

// The events of the form itself.
const DISPID kOnActivate = 1;
const DISPID kOnCreate = 3;
const DISPID kOnDestroy = 5;
const DISPID kOnDeactivate = 6;

// Texts coming in: ANSI (code page 1250) and at most what the engine holds.
std::string InText(BSTR b) {
    if (!b) return std::string();
    std::string s = Narrow(std::wstring(b, SysStringLen(b)));
    if (s.size() > kLinkorTextMax) s.resize(kLinkorTextMax);
    return s;
}

BSTR OutText(const std::string& s) {
    std::wstring w = Wide(s);
    BSTR b = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
    if (!b) throw std::bad_alloc();
    return b;
}

VARIANT_BOOL OutBool(bool b) { return b ? VARIANT_TRUE : VARIANT_FALSE; }

VARIANT TextArg(const std::string& s) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = OutText(s);
    return v;
}
VARIANT ShortArg(int16_t n) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_I2;
    V_I2(&v) = n;
    return v;
}
VARIANT LongArg(int32_t n) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_I4;
    V_I4(&v) = n;
    return v;
}

// The properties a property bag keeps: every ILinkor property with a get
// and a put, in the type library's order.
struct BagEntry {
    const wchar_t* name;
    DISPID id;
};
const BagEntry kBag[] = {
    {L"Visible", 50},
    {L"Caption", DISPID_CAPTION},
    {L"Enabled", DISPID_ENABLED},
    {L"VoiceMailRecordFormat", 16},
    {L"VoiceMailPlayFormat", 17},
    {L"PhoneConversation", 18},
    {L"PlayFileName", 19},
    {L"RecFileName", 20},
    {L"AnalogCallsListen", 21},
    {L"ListenAllCalls", 22},
    {L"AcceptPhoneCall", 23},
    {L"UpdateClock", 24},
    {L"CapiDLL", 25},
    {L"MaxLogicalConnections", 26},
    {L"OriginatorNumber", 27},
    {L"DestinationNumber", 28},
    {L"SpeakerBuffer", 1},
    {L"CalledPartyNumberByte0", 2},
    {L"CallingPartyNumberByte0", 3},
    {L"CallingPartyNumberByte1", 4},
    {L"NumberDataBuffers", 5},
    {L"AudioFormat", 6},
    {L"ClearCall", 8},
};
const DISPID kDispPhoneConversation = 18;
const DISPID kDispSpeakerBuffer = 1;

// Reads a host's stream exactly as far as the control's data goes.
class TOleStreamSource : public IByteSource {
public:
    explicit TOleStreamSource(IStream* s) : s_(s) {}
    void Read(void* buffer, size_t n) override {
        char* p = static_cast<char*>(buffer);
        while (n > 0) {
            ULONG got = 0;
            HRESULT hr = s_->Read(p, static_cast<ULONG>(n), &got);
            if (FAILED(hr) || got == 0) throw EReadError("Stream read error");
            p += got;
            n -= got;
        }
    }

private:
    IStream* s_;
};

HRESULT WriteAll(IStream* s, const std::string& bytes) {
    const char* p = bytes.data();
    size_t n = bytes.size();
    while (n > 0) {
        ULONG put = 0;
        HRESULT hr = s->Write(p, static_cast<ULONG>(n), &put);
        if (FAILED(hr)) return hr;
        if (put == 0) return STG_E_WRITEFAULT;
        p += put;
        n -= put;
    }
    return S_OK;
}

// An enumerator over a snapshot of the control's connection points or of a
// point's connections. Each holds its own references, and it keeps the file
// loaded while a client holds it, also after the control has gone.
template <class Enum, class Item>
class TEnumerator : public Enum {
public:
    TEnumerator(std::vector<Item> items, size_t pos) : items_(std::move(items)), pos_(pos) {
        for (auto& i : items_) Ref(i)->AddRef();
        ServerObjectCreated();
    }
    virtual ~TEnumerator() {
        for (auto& i : items_) Ref(i)->Release();
        ServerObjectDestroyed();
    }
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, __uuidof(Enum))) {
            *ppv = static_cast<Enum*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG r = InterlockedDecrement(&refs_);
        if (r == 0) delete this;
        return r;
    }
    STDMETHODIMP Next(ULONG n, Item* out, ULONG* fetched) override {
        if (!out || (n > 1 && !fetched)) return E_POINTER;
        ULONG k = 0;
        while (k < n && pos_ < items_.size()) {
            out[k] = items_[pos_++];
            Ref(out[k])->AddRef();
            ++k;
        }
        if (fetched) *fetched = k;
        return k == n ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG n) override {
        pos_ += n;
        if (pos_ > items_.size()) {
            pos_ = items_.size();
            return S_FALSE;
        }
        return S_OK;
    }
    STDMETHODIMP Reset() override {
        pos_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(Enum** out) override {
        if (!out) return E_POINTER;
        *out = new (std::nothrow) TEnumerator(items_, pos_);
        return *out ? S_OK : E_OUTOFMEMORY;
    }

private:
    static IUnknown* Ref(IConnectionPoint* p) { return p; }
    static IUnknown* Ref(const CONNECTDATA& c) { return c.pUnk; }
    LONG refs_ = 1;
    std::vector<Item> items_;
    size_t pos_;
};
using TEnumConnectionPoints = TEnumerator<IEnumConnectionPoints, IConnectionPoint*>;
using TEnumConnections = TEnumerator<IEnumConnections, CONNECTDATA>;

// The container's units, 0.01 mm, and the form's pixels on this screen.
LONG PixelsToHimetric(LONG px) { return MulDiv(px, 2540, ScreenPixelsPerInch()); }
LONG HimetricToPixels(LONG hm) { return MulDiv(hm, ScreenPixelsPerInch(), 2540); }

// Controls whose destruction waits for the thread's message loop, by timer.
std::mutex g_deferredLock;
std::map<UINT_PTR, TLinkorCtrl*> g_deferred;

}  // namespace

// ---------------------------------------------------------------- connection point

TConnectionPoint::~TConnectionPoint() { DisconnectAll(); }

STDMETHODIMP TConnectionPoint::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IConnectionPoint)) {
        *ppv = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}
STDMETHODIMP_(ULONG) TConnectionPoint::AddRef() { return owner_.AddRef(); }
STDMETHODIMP_(ULONG) TConnectionPoint::Release() { return owner_.Release(); }

STDMETHODIMP TConnectionPoint::GetConnectionInterface(IID* piid) {
    if (!piid) return E_POINTER;
    *piid = iid_;
    return S_OK;
}

STDMETHODIMP TConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** ppCPC) {
    if (!ppCPC) return E_POINTER;
    *ppCPC = static_cast<IConnectionPointContainer*>(&owner_);
    owner_.AddRef();
    return S_OK;
}

STDMETHODIMP TConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!sink) return E_POINTER;
    // The event interface accepts one host only.
    if (single_ && !connections_.empty()) return CONNECT_E_CANNOTCONNECT;
    IUnknown* typed = nullptr;
    if (FAILED(sink->QueryInterface(iid_, reinterpret_cast<void**>(&typed))) || !typed)
        return CONNECT_E_CANNOTCONNECT;
    connections_.push_back({nextCookie_, typed});
    *cookie = nextCookie_++;
    return S_OK;
}

STDMETHODIMP TConnectionPoint::Unadvise(DWORD cookie) {
    for (auto it = connections_.begin(); it != connections_.end(); ++it) {
        if (it->cookie == cookie) {
            IUnknown* sink = it->sink;
            connections_.erase(it);
            sink->Release();
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP TConnectionPoint::EnumConnections(IEnumConnections** ppEnum) {
    if (!ppEnum) return E_POINTER;
    std::vector<CONNECTDATA> items;
    for (const auto& c : connections_) items.push_back({c.sink, c.cookie});
    *ppEnum = new (std::nothrow) TEnumConnections(std::move(items), 0);
    return *ppEnum ? S_OK : E_OUTOFMEMORY;
}

std::vector<IUnknown*> TConnectionPoint::Sinks() const {
    std::vector<IUnknown*> out;
    for (const auto& c : connections_) out.push_back(c.sink);
    return out;
}

void TConnectionPoint::DisconnectAll() {
    std::vector<Connection> gone;
    gone.swap(connections_);
    for (auto& c : gone) c.sink->Release();
}

// ---------------------------------------------------------------- object

TLinkorCtrl::TLinkorCtrl(std::unique_ptr<ILinkorEngine> engine)
    : engine_(std::move(engine)),
      events_(*this, DIID_ILinkorEvents, true),
      propNotify_(*this, IID_IPropertyNotifySink, false),
      window_([this] { UIActivate(); }) {
    ServerObjectCreated();
    if (ITypeLib* tl = ServerTypeLib()) tl->GetTypeInfoOfGuid(IID_ILinkor, &typeInfo_);
    BindEngineEvents();
    // The form is made before any host can listen: its creation is raised
    // to nobody.
    FireFormEvent(kOnCreate);
}

TLinkorCtrl::~TLinkorCtrl() {
    // A container that lets go of an active control takes its form away.
    InPlaceDeactivate();
    // The form's end reaches a host that is still connected.
    FireFormEvent(kOnDestroy);
    // The engine ends its registration and threads; nobody hears it anymore.
    engine_->BindEvents(TLinkorEngineEvents());
    events_.DisconnectAll();
    propNotify_.DisconnectAll();
    engine_.reset();
    if (viewSink_) viewSink_->Release();
    if (adviseHolder_) adviseHolder_->Release();
    if (site_) site_->Release();
    if (typeInfo_) typeInfo_->Release();
    ServerObjectDestroyed();
}

void TLinkorCtrl::BindEngineEvents() {
    TLinkorEngineEvents e;
    e.OnCallProgress = [this](const std::string& info) {
        std::vector<VARIANT> a{TextArg(info)};
        Fire(9, a);
    };
    e.OnIncomingCall = [this](const std::string& called, const std::string& calling, const std::string& type) {
        std::vector<VARIANT> a{TextArg(called), TextArg(calling), TextArg(type)};
        Fire(8, a);
    };
    e.OnDisconnected = [this](const std::string& reason) {
        std::vector<VARIANT> a{TextArg(reason)};
        Fire(11, a);
    };
    e.OnConnected = [this]() {
        std::vector<VARIANT> a;
        Fire(7, a);
    };
    e.OnIncomingCallDetails = [this](const std::string& info) {
        std::vector<VARIANT> a{TextArg(info)};
        Fire(13, a);
    };
    e.OnIncomingAudioFormat = [this](const std::string& f) {
        std::vector<VARIANT> a{TextArg(f)};
        Fire(12, a);
    };
    e.OnIncomingPhoneCall = [this](const std::string& called, const std::string& calling) {
        std::vector<VARIANT> a{TextArg(called), TextArg(calling)};
        Fire(14, a);
    };
    e.OnErrorMessage = [this](int16_t number, const std::string& msg) {
        std::vector<VARIANT> a{ShortArg(number), TextArg(msg)};
        Fire(4, a);
    };
    e.OnCapiProgress = [this](int16_t appid, int32_t number, const std::string& cmd, const std::string& sub,
                              const std::string& info) {
        std::vector<VARIANT> a{ShortArg(appid), LongArg(number), TextArg(cmd), TextArg(sub), TextArg(info)};
        Fire(2, a);
    };
    engine_->BindEvents(e);
}

void TLinkorCtrl::Fire(DISPID id, std::vector<VARIANT>& args) {
    std::vector<IUnknown*> sinks = events_.Sinks();
    if (!sinks.empty()) {
        IDispatch* sink = static_cast<IDispatch*>(sinks.front());
        // The handler may disconnect itself meanwhile.
        sink->AddRef();
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        DISPPARAMS dp{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        // What the host's handler returns does not concern the control.
        ++fireDepth_;
        sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &dp, nullptr, nullptr, nullptr);
        --fireDepth_;
        sink->Release();
    }
    for (auto& v : args) VariantClear(&v);
}

void TLinkorCtrl::FireFormEvent(DISPID id) {
    std::vector<VARIANT> none;
    Fire(id, none);
}

template <class F>
HRESULT TLinkorCtrl::Guard(F f) {
    try {
        f();
        return S_OK;
    } catch (...) {
        return ReportCurrentException(IID_ILinkor);
    }
}

// ---------------------------------------------------------------- IUnknown

STDMETHODIMP TLinkorCtrl::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    void* p = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, IID_ILinkor))
        p = static_cast<ILinkor*>(this);
    else if (IsEqualIID(riid, IID_IConnectionPointContainer))
        p = static_cast<IConnectionPointContainer*>(this);
    else if (IsEqualIID(riid, IID_IProvideClassInfo) || IsEqualIID(riid, IID_IProvideClassInfo2))
        p = static_cast<IProvideClassInfo2*>(this);
    else if (IsEqualIID(riid, IID_ISpecifyPropertyPages))
        p = static_cast<ISpecifyPropertyPages*>(this);
    else if (IsEqualIID(riid, IID_ISupportErrorInfo))
        p = static_cast<ISupportErrorInfo*>(this);
    else if (IsEqualIID(riid, IID_IOleObject))
        p = static_cast<IOleObject*>(this);
    else if (IsEqualIID(riid, IID_IOleControl))
        p = static_cast<IOleControl*>(this);
    else if (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceObject))
        p = static_cast<IOleInPlaceObject*>(this);
    else if (IsEqualIID(riid, IID_IOleInPlaceActiveObject))
        p = static_cast<IOleInPlaceActiveObject*>(this);
    else if (IsEqualIID(riid, IID_IViewObject) || IsEqualIID(riid, IID_IViewObject2))
        p = static_cast<IViewObject2*>(this);
    else if (IsEqualIID(riid, IID_IPersist) || IsEqualIID(riid, IID_IPersistStreamInit) ||
             IsEqualIID(riid, IID_IPersistStream))
        // IPersistStream is the leading part of IPersistStreamInit's table.
        p = static_cast<IPersistStreamInit*>(this);
    else if (IsEqualIID(riid, IID_IPersistStorage))
        p = static_cast<IPersistStorage*>(this);
    else if (IsEqualIID(riid, IID_IPersistPropertyBag))
        p = static_cast<IPersistPropertyBag*>(this);
    *ppv = p;
    if (!p) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) TLinkorCtrl::AddRef() { return InterlockedIncrement(&refs_); }

STDMETHODIMP_(ULONG) TLinkorCtrl::Release() {
    LONG r = InterlockedDecrement(&refs_);
    if (r == 0) {
        // Destroyed now, the engine would wait for a poll thread that waits
        // for this very handler, and then return into freed memory.
        if (InUse()) {
            DeferDestruction();
            return 0;
        }
        // Keep the object alive while its destruction raises its last event.
        refs_ = 1;
        delete this;
    }
    return r;
}

bool TLinkorCtrl::InUse() { return fireDepth_ > 0 || leaving_ > 0 || engine_->InHandOver(); }

void TLinkorCtrl::DeferDestruction() {
    if (deferredTimer_) return;
    std::lock_guard<std::mutex> lock(g_deferredLock);
    // Without a timer the control is rather kept than destroyed under its
    // own feet.
    deferredTimer_ = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, DestroyDeferred);
    if (deferredTimer_) g_deferred[deferredTimer_] = this;
}

void CALLBACK TLinkorCtrl::DestroyDeferred(HWND, UINT, UINT_PTR timer, DWORD) {
    Chranene([timer] { DestroyDeferredNow(timer); });
}

void TLinkorCtrl::DestroyDeferredNow(UINT_PTR timer) {
    TLinkorCtrl* ctrl = nullptr;
    {
        std::lock_guard<std::mutex> lock(g_deferredLock);
        auto it = g_deferred.find(timer);
        if (it == g_deferred.end()) {
            KillTimer(nullptr, timer);
            return;
        }
        ctrl = it->second;
        // Still at work (a handler runs a message loop): the next tick.
        if (ctrl->refs_ == 0 && ctrl->InUse()) return;
        g_deferred.erase(it);
        KillTimer(nullptr, timer);
        ctrl->deferredTimer_ = 0;
    }
    // Taken up again meanwhile: its next release decides.
    if (ctrl->refs_ != 0) return;
    ctrl->refs_ = 1;
    delete ctrl;
}

// ---------------------------------------------------------------- IDispatch

STDMETHODIMP TLinkorCtrl::GetTypeInfoCount(UINT* pctinfo) {
    if (!pctinfo) return E_POINTER;
    *pctinfo = typeInfo_ ? 1 : 0;
    return S_OK;
}

STDMETHODIMP TLinkorCtrl::GetTypeInfo(UINT iTInfo, LCID, ITypeInfo** ppTInfo) {
    if (!ppTInfo) return E_POINTER;
    *ppTInfo = nullptr;
    if (iTInfo != 0) return DISP_E_BADINDEX;
    if (!typeInfo_) return TYPE_E_CANTLOADLIBRARY;
    typeInfo_->AddRef();
    *ppTInfo = typeInfo_;
    return S_OK;
}

STDMETHODIMP TLinkorCtrl::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (!typeInfo_) return TYPE_E_CANTLOADLIBRARY;
    return DispGetIDsOfNames(typeInfo_, names, count, ids);
}

STDMETHODIMP TLinkorCtrl::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                 EXCEPINFO* excep, UINT* argErr) {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (!typeInfo_) return TYPE_E_CANTLOADLIBRARY;
    return DispInvoke(static_cast<ILinkor*>(this), typeInfo_, id, flags, params, result, excep, argErr);
}

HRESULT TLinkorCtrl::InvokeSelf(DISPID id, WORD flags, VARIANT* arg, VARIANT* result, REFIID errorIid) {
    if (!typeInfo_) return TYPE_E_CANTLOADLIBRARY;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS dp{};
    if (arg) {
        dp.rgvarg = arg;
        dp.cArgs = 1;
        if (flags & DISPATCH_PROPERTYPUT) {
            dp.rgdispidNamedArgs = &named;
            dp.cNamedArgs = 1;
        }
    }
    EXCEPINFO ex{};
    UINT argErr = 0;
    HRESULT hr = DispInvoke(static_cast<ILinkor*>(this), typeInfo_, id, flags, &dp, result, &ex, &argErr);
    if (hr == DISP_E_EXCEPTION) {
        if (ex.pfnDeferredFillIn) ex.pfnDeferredFillIn(&ex);
        hr = FAILED(ex.scode) ? ex.scode : E_FAIL;
        // The member's own description, now for the interface the caller used.
        SetComError(errorIid, ex.bstrDescription && SysStringLen(ex.bstrDescription)
                                  ? Narrow(std::wstring(ex.bstrDescription, SysStringLen(ex.bstrDescription)))
                                  : SystemMessage(hr));
        SysFreeString(ex.bstrSource);
        SysFreeString(ex.bstrDescription);
        SysFreeString(ex.bstrHelpFile);
    } else if (FAILED(hr)) {
        SetComError(errorIid, SystemMessage(hr));
    }
    return hr;
}

// ---------------------------------------------------------------- ILinkor: form

STDMETHODIMP TLinkorCtrl::get_Visible(VARIANT_BOOL* v) {
    if (!v) return E_POINTER;
    *v = OutBool(visible_);
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::put_Visible(VARIANT_BOOL v) {
    visible_ = v != 0;
    // Without a window the flag waits for the next activation, which shows
    // the form anyway.
    if (HWND h = window_.Handle()) ShowWindow(h, visible_ ? SW_SHOWNA : SW_HIDE);
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::get_Caption(BSTR* v) {
    if (!v) return E_POINTER;
    *v = nullptr;
    return Guard([&] { *v = OutText(form_.Caption); });
}
STDMETHODIMP TLinkorCtrl::put_Caption(BSTR v) {
    return Guard([&] {
        form_.Caption = InText(v);
        dirty_ = true;
        if (HWND h = window_.Handle()) SetWindowTextW(h, Wide(form_.Caption).c_str());
    });
}
STDMETHODIMP TLinkorCtrl::get_Active(VARIANT_BOOL* v) {
    if (!v) return E_POINTER;
    // The active form is the one the container has activated with its
    // user interface.
    *v = OutBool(uiActive_);
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::get_Enabled(VARIANT_BOOL* v) {
    if (!v) return E_POINTER;
    *v = OutBool(enabled_);
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::put_Enabled(VARIANT_BOOL v) {
    enabled_ = v != 0;
    if (HWND h = window_.Handle()) EnableWindow(h, enabled_ ? TRUE : FALSE);
    return S_OK;
}

// ---------------------------------------------------------------- ILinkor: engine settings

#define VX_BOOL_FIELD(Name)                                  \
    STDMETHODIMP TLinkorCtrl::get_##Name(VARIANT_BOOL* v) {  \
        if (!v) return E_POINTER;                            \
        *v = OutBool(engine_->Settings().Name);              \
        return S_OK;                                         \
    }                                                        \
    STDMETHODIMP TLinkorCtrl::put_##Name(VARIANT_BOOL v) {   \
        engine_->Settings().Name = v != 0;                   \
        dirty_ = true;                                       \
        return S_OK;                                         \
    }
VX_BOOL_FIELD(AnalogCallsListen)
VX_BOOL_FIELD(ListenAllCalls)
VX_BOOL_FIELD(AcceptPhoneCall)
VX_BOOL_FIELD(UpdateClock)
VX_BOOL_FIELD(ClearCall)
#undef VX_BOOL_FIELD

#define VX_BYTE_FIELD(Name)                                   \
    STDMETHODIMP TLinkorCtrl::get_##Name(unsigned char* v) {  \
        if (!v) return E_POINTER;                             \
        *v = engine_->Settings().Name;                        \
        return S_OK;                                          \
    }                                                         \
    STDMETHODIMP TLinkorCtrl::put_##Name(unsigned char v) {   \
        engine_->Settings().Name = v;                         \
        dirty_ = true;                                        \
        return S_OK;                                          \
    }
VX_BYTE_FIELD(CalledPartyNumberByte0)
VX_BYTE_FIELD(CallingPartyNumberByte0)
VX_BYTE_FIELD(CallingPartyNumberByte1)
#undef VX_BYTE_FIELD

// Texts read from the settings and written through the engine's setter.
#define VX_TEXT_SETTER(Name)                                  \
    STDMETHODIMP TLinkorCtrl::get_##Name(BSTR* v) {           \
        if (!v) return E_POINTER;                             \
        *v = nullptr;                                         \
        return Guard([&] { *v = OutText(engine_->Settings().Name); }); \
    }                                                         \
    STDMETHODIMP TLinkorCtrl::put_##Name(BSTR v) {            \
        return Guard([&] {                                    \
            dirty_ = true;                                    \
            engine_->Set##Name(InText(v));                    \
        });                                                   \
    }
VX_TEXT_SETTER(PlayFileName)
VX_TEXT_SETTER(RecFileName)
VX_TEXT_SETTER(CapiDLL)
VX_TEXT_SETTER(OriginatorNumber)
VX_TEXT_SETTER(DestinationNumber)
#undef VX_TEXT_SETTER

STDMETHODIMP TLinkorCtrl::get_MaxLogicalConnections(BSTR* v) {
    if (!v) return E_POINTER;
    *v = nullptr;
    return Guard([&] { *v = OutText(engine_->GetMaxLogicalConnections()); });
}
STDMETHODIMP TLinkorCtrl::put_MaxLogicalConnections(BSTR v) {
    return Guard([&] {
        dirty_ = true;
        engine_->SetMaxLogicalConnections(InText(v));
    });
}

STDMETHODIMP TLinkorCtrl::get_VoiceMailRecordFormat(TCapiVoiceMailFileFormat* v) {
    if (!v) return E_POINTER;
    *v = static_cast<TCapiVoiceMailFileFormat>(engine_->Settings().VoiceMailRecordFormat);
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::put_VoiceMailRecordFormat(TCapiVoiceMailFileFormat v) {
    engine_->Settings().VoiceMailRecordFormat = VoiceMailFormatOf(static_cast<int32_t>(v));
    dirty_ = true;
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::get_VoiceMailPlayFormat(TCapiVoiceMailFileFormat* v) {
    if (!v) return E_POINTER;
    *v = static_cast<TCapiVoiceMailFileFormat>(engine_->Settings().VoiceMailPlayFormat);
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::put_VoiceMailPlayFormat(TCapiVoiceMailFileFormat v) {
    engine_->Settings().VoiceMailPlayFormat = VoiceMailFormatOf(static_cast<int32_t>(v));
    dirty_ = true;
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::get_PhoneConversation(VARIANT_BOOL* v) {
    if (!v) return E_POINTER;
    *v = OutBool(engine_->Settings().PhoneConversation);
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::put_PhoneConversation(VARIANT_BOOL v) {
    return Guard([&] {
        dirty_ = true;
        engine_->SetPhoneConversation(v != 0);
    });
}
STDMETHODIMP TLinkorCtrl::get_SpeakerBuffer(TCapiPlayBufferMode* v) {
    if (!v) return E_POINTER;
    return Guard([&] { *v = static_cast<TCapiPlayBufferMode>(engine_->GetSpeakerBuffer()); });
}
STDMETHODIMP TLinkorCtrl::put_SpeakerBuffer(TCapiPlayBufferMode v) {
    return Guard([&] {
        dirty_ = true;
        engine_->SetSpeakerBuffer(PlayBufferModeOf(static_cast<int32_t>(v)));
    });
}
STDMETHODIMP TLinkorCtrl::get_NumberDataBuffers(short* v) {
    if (!v) return E_POINTER;
    *v = engine_->Settings().NumberDataBuffers;
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::put_NumberDataBuffers(short v) {
    return Guard([&] {
        dirty_ = true;
        engine_->SetNumberDataBuffers(v);
    });
}
STDMETHODIMP TLinkorCtrl::get_AudioFormat(TCapiAudioFormat* v) {
    if (!v) return E_POINTER;
    return Guard([&] { *v = static_cast<TCapiAudioFormat>(AudioFormatOut(engine_->GetAudioFormat())); });
}
STDMETHODIMP TLinkorCtrl::put_AudioFormat(TCapiAudioFormat v) {
    return Guard([&] {
        dirty_ = true;
        engine_->SetAudioFormat(AudioFormatOfPut(static_cast<int32_t>(v)));
    });
}

// ---------------------------------------------------------------- ILinkor: operations

STDMETHODIMP TLinkorCtrl::MakeCall() {
    return Guard([&] { engine_->MakeCall(); });
}
STDMETHODIMP TLinkorCtrl::DisconnectCall(VARIANT_BOOL* v) {
    if (!v) return E_POINTER;
    *v = VARIANT_FALSE;
    return Guard([&] { *v = OutBool(engine_->DisconnectCall()); });
}
STDMETHODIMP TLinkorCtrl::StartCapi() {
    return Guard([&] { engine_->StartCapi(); });
}
STDMETHODIMP TLinkorCtrl::StopCapi() {
    return Guard([&] { engine_->StopCapi(); });
}
STDMETHODIMP TLinkorCtrl::get_AppIsRegistered(VARIANT_BOOL* v) {
    if (!v) return E_POINTER;
    *v = OutBool(engine_->AppIsRegistered());
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::get_IsConnected(VARIANT_BOOL* v) {
    if (!v) return E_POINTER;
    *v = OutBool(engine_->IsConnected());
    return S_OK;
}

#define VX_TEXT_GET(Name)                                     \
    STDMETHODIMP TLinkorCtrl::get_##Name(BSTR* v) {           \
        if (!v) return E_POINTER;                             \
        *v = nullptr;                                         \
        return Guard([&] { *v = OutText(engine_->Name()); }); \
    }
VX_TEXT_GET(CapiVersion)
VX_TEXT_GET(ManufacturerVersion)
VX_TEXT_GET(ManufacturerName)
VX_TEXT_GET(SerialNumber)
#undef VX_TEXT_GET

STDMETHODIMP TLinkorCtrl::get_applicationID(short* v) {
    if (!v) return E_POINTER;
    *v = engine_->ApplicationID();
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::get_numControllers(short* v) {
    if (!v) return E_POINTER;
    *v = engine_->NumControllers();
    return S_OK;
}

STDMETHODIMP TLinkorCtrl::RecallTCapiPDG(LONG index, TCapiPDG1* v) {
    if (!v) return E_POINTER;
    v->desig = nullptr;
    v->Value = 0;
    return Guard([&] {
        std::string d;
        int16_t n = 0;
        engine_->RecallTCapiPDG(index, d, n);
        v->desig = OutText(d);
        v->Value = n;
    });
}

#define VX_RECALL_FLAG(Name)                                      \
    STDMETHODIMP TLinkorCtrl::Name(LONG index, TCapiPDG2* v) {    \
        if (!v) return E_POINTER;                                 \
        v->desig = nullptr;                                       \
        v->Value = VARIANT_FALSE;                                 \
        return Guard([&] {                                        \
            std::string d;                                        \
            bool f = false;                                       \
            engine_->Name(index, d, f);                           \
            v->desig = OutText(d);                                \
            v->Value = OutBool(f);                                \
        });                                                       \
    }
VX_RECALL_FLAG(RecallTCapiPDGO)
VX_RECALL_FLAG(RecallTCapiPDB1)
VX_RECALL_FLAG(RecallTCapiPDB2)
VX_RECALL_FLAG(RecallTCapiPDB3)
#undef VX_RECALL_FLAG

STDMETHODIMP TLinkorCtrl::makeControllerProfile(short ctrlNumber) {
    return Guard([&] { engine_->MakeControllerProfile(ctrlNumber); });
}

STDMETHODIMP TLinkorCtrl::AboutBox() {
    return Guard([&] { ShowAboutBox(); });
}

STDMETHODIMP TLinkorCtrl::Help() {
    return Guard([&] { ShowHelpContext(1000); });
}

// ---------------------------------------------------------------- connection points

STDMETHODIMP TLinkorCtrl::EnumConnectionPoints(IEnumConnectionPoints** ppEnum) {
    if (!ppEnum) return E_POINTER;
    *ppEnum = new (std::nothrow) TEnumConnectionPoints({&events_, &propNotify_}, 0);
    return *ppEnum ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP TLinkorCtrl::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) {
    if (!ppCP) return E_POINTER;
    *ppCP = nullptr;
    if (IsEqualIID(riid, DIID_ILinkorEvents)) *ppCP = &events_;
    else if (IsEqualIID(riid, IID_IPropertyNotifySink)) *ppCP = &propNotify_;
    else return CONNECT_E_NOCONNECTION;
    (*ppCP)->AddRef();
    return S_OK;
}

// ---------------------------------------------------------------- class info, pages, errors

STDMETHODIMP TLinkorCtrl::GetClassInfo(ITypeInfo** ppTI) {
    if (!ppTI) return E_POINTER;
    *ppTI = nullptr;
    ITypeLib* tl = ServerTypeLib();
    if (!tl) return TYPE_E_CANTLOADLIBRARY;
    return tl->GetTypeInfoOfGuid(CLSID_Linkor, ppTI);
}

STDMETHODIMP TLinkorCtrl::GetGUID(DWORD kind, GUID* guid) {
    if (!guid) return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *guid = GUID_NULL;
        return E_INVALIDARG;
    }
    *guid = DIID_ILinkorEvents;
    return S_OK;
}

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

// ---------------------------------------------------------------- IOleObject

STDMETHODIMP TLinkorCtrl::SetClientSite(IOleClientSite* site) {
    // The form lives in the old site's window.
    if (site != site_) InPlaceDeactivate();
    if (site) site->AddRef();
    if (site_) site_->Release();
    site_ = site;
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::GetClientSite(IOleClientSite** site) {
    if (!site) return E_POINTER;
    *site = site_;
    if (site_) site_->AddRef();
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }
STDMETHODIMP TLinkorCtrl::Close(DWORD saveOption) {
    // The container may let go of the control from its site's save or its
    // sinks' notice; the control then goes once this call has returned.
    ++leaving_;
    InPlaceDeactivate();
    HRESULT hr = S_OK;
    // A container that closes a changed control with a save keeps the
    // change only if the control asks it to save now. The control has no
    // question of its own to ask the user: a prompted save is a save.
    if (IOleClientSite* site = site_;
        dirty_ && site && (saveOption == OLECLOSE_SAVEIFDIRTY || saveOption == OLECLOSE_PROMPTSAVE)) {
        site->AddRef();
        hr = site->SaveObject();
        site->Release();
    }
    if (SUCCEEDED(hr) && adviseHolder_) adviseHolder_->SendOnClose();
    --leaving_;
    return SUCCEEDED(hr) ? S_OK : hr;
}
STDMETHODIMP TLinkorCtrl::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }
STDMETHODIMP TLinkorCtrl::GetMoniker(DWORD, DWORD, IMoniker** mk) {
    if (mk) *mk = nullptr;
    return E_NOTIMPL;
}
STDMETHODIMP TLinkorCtrl::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }
STDMETHODIMP TLinkorCtrl::GetClipboardData(DWORD, IDataObject** data) {
    if (data) *data = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP TLinkorCtrl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND, LPCRECT) {
    if (site && !site_) SetClientSite(site);
    switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_PROPERTIES:
            ShowPropertyFrame();
            return S_OK;
        case OLEIVERB_SHOW:
        case OLEIVERB_INPLACEACTIVATE:
            return InPlaceActivate(false);
        case OLEIVERB_UIACTIVATE:
            return InPlaceActivate(true);
        case OLEIVERB_HIDE:
            UIDeactivate();
            visible_ = false;
            if (HWND h = window_.Handle()) ShowWindow(h, SW_HIDE);
            return S_OK;
        case OLEIVERB_DISCARDUNDOSTATE:
            // The control keeps nothing to undo.
            return S_OK;
        default:
            // A verb of its own that the control does not know runs the
            // primary verb; an unknown one of OLE's is not implemented.
            if (verb > 0) {
                ShowPropertyFrame();
                return OLEOBJ_S_INVALIDVERB;
            }
            return E_NOTIMPL;
    }
}

HRESULT TLinkorCtrl::InPlaceActivate(bool ui) {
    // A host's handler of the form's deactivation cannot bring the form
    // back while it is being taken away.
    if (leaving_ > 0) return E_UNEXPECTED;
    if (!inPlaceSite_) {
        if (!site_) return E_UNEXPECTED;
        IOleInPlaceSite* ips = nullptr;
        if (FAILED(site_->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&ips))) || !ips)
            return E_NOINTERFACE;
        HRESULT hr = ips->CanInPlaceActivate();
        if (hr != S_OK) {
            ips->Release();
            return FAILED(hr) ? hr : E_FAIL;
        }
        hr = ips->OnInPlaceActivate();
        if (FAILED(hr)) {
            ips->Release();
            return hr;
        }
        HWND parent = nullptr;
        RECT pos{}, clip{};
        OLEINPLACEFRAMEINFO info{};
        info.cb = sizeof info;
        hr = ips->GetWindow(&parent);
        if (SUCCEEDED(hr)) hr = ips->GetWindowContext(&frame_, &uiWindow_, &pos, &clip, &info);
        if (SUCCEEDED(hr) && !window_.Create(parent, pos, form_.Caption, true, enabled_)) hr = E_FAIL;
        if (FAILED(hr)) {
            LeaveSite(ips);
            return hr;
        }
        inPlaceSite_ = ips;
    }
    // Activation shows the form.
    visible_ = true;
    if (HWND h = window_.Handle()) ShowWindow(h, SW_SHOWNA);
    if (ui) UIActivate();
    return S_OK;
}

void TLinkorCtrl::UIActivate() {
    HWND h = window_.Handle();
    if (!inPlaceSite_ || !h || leaving_ > 0) return;
    if (uiActive_) {
        if (GetFocus() != h) SetFocus(h);
        return;
    }
    uiActive_ = true;
    inPlaceSite_->OnUIActivate();
    // The form brings no menus or tool bars of its own.
    std::wstring name = Wide(form_.Caption);
    if (frame_) {
        frame_->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), name.c_str());
        frame_->SetBorderSpace(nullptr);
    }
    if (uiWindow_) {
        uiWindow_->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), name.c_str());
        uiWindow_->SetBorderSpace(nullptr);
    }
    SetFocus(h);
    FireFormEvent(kOnActivate);
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

STDMETHODIMP TLinkorCtrl::EnumVerbs(IEnumOLEVERB** verbs) {
    if (verbs) *verbs = nullptr;
    return OLE_S_USEREG;
}
STDMETHODIMP TLinkorCtrl::Update() { return S_OK; }
STDMETHODIMP TLinkorCtrl::IsUpToDate() { return S_OK; }
STDMETHODIMP TLinkorCtrl::GetUserClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = CLSID_Linkor;
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::GetUserType(DWORD, LPOLESTR* type) {
    if (type) *type = nullptr;
    return OLE_S_USEREG;
}
// The extent is the form's size, which the stored description carries.
STDMETHODIMP TLinkorCtrl::SetExtent(DWORD aspect, SIZEL* size) {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    LONG w = HimetricToPixels(size->cx), h = HimetricToPixels(size->cy);
    if (w != form_.Width || h != form_.Height) dirty_ = true;
    form_.Width = w;
    form_.Height = h;
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::GetExtent(DWORD aspect, SIZEL* size) {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    size->cx = PixelsToHimetric(form_.Width);
    size->cy = PixelsToHimetric(form_.Height);
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::Advise(IAdviseSink* sink, DWORD* cookie) {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!adviseHolder_ && FAILED(CreateOleAdviseHolder(&adviseHolder_))) return E_OUTOFMEMORY;
    return adviseHolder_->Advise(sink, cookie);
}
STDMETHODIMP TLinkorCtrl::Unadvise(DWORD cookie) {
    if (!adviseHolder_) return OLE_E_NOCONNECTION;
    return adviseHolder_->Unadvise(cookie);
}
STDMETHODIMP TLinkorCtrl::EnumAdvise(IEnumSTATDATA** e) {
    if (!e) return E_POINTER;
    *e = nullptr;
    if (!adviseHolder_) return E_FAIL;
    return adviseHolder_->EnumAdvise(e);
}
STDMETHODIMP TLinkorCtrl::GetMiscStatus(DWORD aspect, DWORD* status) {
    if (!status) return E_POINTER;
    *status = aspect == DVASPECT_CONTENT ? kLinkorMiscStatus : 0;
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

// ---------------------------------------------------------------- IOleControl

STDMETHODIMP TLinkorCtrl::GetControlInfo(CONTROLINFO* ci) {
    if (!ci) return E_POINTER;
    ci->cb = sizeof(CONTROLINFO);
    ci->hAccel = nullptr;
    ci->cAccel = 0;
    ci->dwFlags = 0;
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::OnMnemonic(MSG*) { return E_NOTIMPL; }
STDMETHODIMP TLinkorCtrl::OnAmbientPropertyChange(DISPID) { return S_OK; }
STDMETHODIMP TLinkorCtrl::FreezeEvents(BOOL) { return S_OK; }

// ---------------------------------------------------------------- IOleInPlaceObject

STDMETHODIMP TLinkorCtrl::GetWindow(HWND* hwnd) {
    if (!hwnd) return E_POINTER;
    *hwnd = window_.Handle();
    return *hwnd ? S_OK : E_FAIL;
}
STDMETHODIMP TLinkorCtrl::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

STDMETHODIMP TLinkorCtrl::InPlaceDeactivate() {
    if (!inPlaceSite_) return S_OK;
    ++leaving_;
    UIDeactivate();
    // Called from a handler of the form's deactivation, the container is
    // told of the user interface's end first, as without the handler.
    TellUIDeactivated();
    // That handler, or the site, may have ended the activation already.
    if (IOleInPlaceSite* ips = inPlaceSite_) {
        window_.Destroy();
        visible_ = false;
        inPlaceSite_ = nullptr;
        LeaveSite(ips);
    }
    --leaving_;
    return S_OK;
}

void TLinkorCtrl::LeaveSite(IOleInPlaceSite* ips) {
    if (frame_) frame_->Release();
    if (uiWindow_) uiWindow_->Release();
    frame_ = nullptr;
    uiWindow_ = nullptr;
    ips->OnInPlaceDeactivate();
    ips->Release();
}

STDMETHODIMP TLinkorCtrl::UIDeactivate() {
    if (!uiActive_) return S_OK;
    uiActive_ = false;
    uiLeaving_ = true;
    ++leaving_;
    FireFormEvent(kOnDeactivate);
    TellUIDeactivated();
    --leaving_;
    return S_OK;
}

void TLinkorCtrl::TellUIDeactivated() {
    if (!uiLeaving_) return;
    uiLeaving_ = false;
    if (uiWindow_) uiWindow_->SetActiveObject(nullptr, nullptr);
    if (frame_) frame_->SetActiveObject(nullptr, nullptr);
    // The site may end the activation from its notification.
    if (IOleInPlaceSite* ips = inPlaceSite_) {
        ips->AddRef();
        ips->OnUIDeactivate(FALSE);
        ips->Release();
    }
}

STDMETHODIMP TLinkorCtrl::SetObjectRects(LPCRECT pos, LPCRECT) {
    if (!pos) return E_POINTER;
    if (HWND h = window_.Handle())
        MoveWindow(h, pos->left, pos->top, pos->right - pos->left, pos->bottom - pos->top, TRUE);
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::ReactivateAndUndo() { return E_NOTIMPL; }

// ---------------------------------------------------------------- IOleInPlaceActiveObject

// The form has no keys, menus or tool bars of its own for the container.
STDMETHODIMP TLinkorCtrl::TranslateAccelerator(LPMSG) { return S_FALSE; }
STDMETHODIMP TLinkorCtrl::OnFrameWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP TLinkorCtrl::OnDocWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP TLinkorCtrl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }
STDMETHODIMP TLinkorCtrl::EnableModeless(BOOL) { return S_OK; }

// ---------------------------------------------------------------- IViewObject2

STDMETHODIMP TLinkorCtrl::Draw(DWORD aspect, LONG part, void*, DVTARGETDEVICE*, HDC, HDC hdcDraw, LPCRECTL bounds,
                               LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    // The content is drawn whole only.
    if (part != -1) return DV_E_LINDEX;
    if (!hdcDraw || !bounds) return E_INVALIDARG;
    // What the form's window shows, or would show at the form's size, for a
    // container that draws the control without its window.
    RECT r{bounds->left, bounds->top, bounds->right, bounds->bottom};
    SIZE size{form_.Width, form_.Height};
    RECT client;
    if (HWND h = window_.Handle(); h && GetClientRect(h, &client)) size = {client.right, client.bottom};
    DrawLinkorForm(hdcDraw, r, size);
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colorSet) {
    if (colorSet) *colorSet = nullptr;
    return S_FALSE;
}
STDMETHODIMP TLinkorCtrl::Freeze(DWORD, LONG, void*, DWORD* freeze) {
    if (freeze) *freeze = 0;
    return E_NOTIMPL;
}
STDMETHODIMP TLinkorCtrl::Unfreeze(DWORD) { return E_NOTIMPL; }
STDMETHODIMP TLinkorCtrl::SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* sink) {
    if (sink) sink->AddRef();
    if (viewSink_) viewSink_->Release();
    viewSink_ = sink;
    viewAspects_ = aspects;
    viewAdvf_ = advf;
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::GetAdvise(DWORD* aspects, DWORD* advf, IAdviseSink** sink) {
    if (aspects) *aspects = viewAspects_;
    if (advf) *advf = viewAdvf_;
    if (sink) {
        *sink = viewSink_;
        if (viewSink_) viewSink_->AddRef();
    }
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
    return GetExtent(aspect, size);
}

// ---------------------------------------------------------------- persistence

STDMETHODIMP TLinkorCtrl::GetClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = CLSID_Linkor;
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::IsDirty() { return dirty_ ? S_OK : S_FALSE; }

STDMETHODIMP TLinkorCtrl::Load(LPSTREAM stm) { return LoadFrom(stm, IID_IPersistStreamInit); }

STDMETHODIMP TLinkorCtrl::Save(LPSTREAM stm, BOOL clearDirty) {
    return SaveTo(stm, clearDirty, IID_IPersistStreamInit);
}

HRESULT TLinkorCtrl::LoadFrom(IStream* stm, REFIID errorIid) {
    if (!stm) return E_POINTER;
    try {
        TOleStreamSource src(stm);
        LoadLinkorStream(src, form_, *engine_);
        dirty_ = false;
        return S_OK;
    } catch (...) {
        return ReportCurrentException(errorIid, E_FAIL);
    }
}

HRESULT TLinkorCtrl::SaveTo(IStream* stm, BOOL clearDirty, REFIID errorIid) {
    if (!stm) return E_POINTER;
    try {
        HRESULT hr = WriteAll(stm, SaveLinkorStream(form_, *engine_));
        if (SUCCEEDED(hr) && clearDirty) dirty_ = false;
        return hr;
    } catch (...) {
        return ReportCurrentException(errorIid, E_FAIL);
    }
}

STDMETHODIMP TLinkorCtrl::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size) return E_POINTER;
    try {
        size->QuadPart = SaveLinkorStream(form_, *engine_).size();
        return S_OK;
    } catch (...) {
        return ReportCurrentException(IID_IPersistStreamInit, E_FAIL);
    }
}

STDMETHODIMP TLinkorCtrl::InitNew() { return S_OK; }

static const wchar_t kContents[] = L"Contents";

STDMETHODIMP TLinkorCtrl::InitNew(IStorage*) { return S_OK; }

STDMETHODIMP TLinkorCtrl::Load(IStorage* stg) {
    if (!stg) return E_POINTER;
    IStream* s = nullptr;
    HRESULT hr = stg->OpenStream(kContents, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &s);
    if (FAILED(hr)) return hr;
    hr = LoadFrom(s, IID_IPersistStorage);
    s->Release();
    return hr;
}

STDMETHODIMP TLinkorCtrl::Save(IStorage* stg, BOOL) {
    if (!stg) return E_POINTER;
    IStream* s = nullptr;
    HRESULT hr = stg->CreateStream(kContents, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &s);
    if (FAILED(hr)) return hr;
    hr = SaveTo(s, TRUE, IID_IPersistStorage);
    s->Release();
    return hr;
}

STDMETHODIMP TLinkorCtrl::SaveCompleted(IStorage*) { return S_OK; }
STDMETHODIMP TLinkorCtrl::HandsOffStorage() { return S_OK; }

STDMETHODIMP TLinkorCtrl::Load(IPropertyBag* bag, IErrorLog* log) {
    if (!bag) return E_POINTER;
    // PhoneConversation is applied right after SpeakerBuffer, as the stream
    // does, so the conversation mode never starts with an unset buffer.
    VARIANT conversation;
    VariantInit(&conversation);
    bool haveConversation = false;
    HRESULT result = S_OK;
    for (const BagEntry& e : kBag) {
        VARIANT v;
        VariantInit(&v);
        if (FAILED(bag->Read(e.name, &v, log))) continue;  // not kept: stays as it is
        if (e.id == kDispPhoneConversation) {
            conversation = v;
            haveConversation = true;
            continue;
        }
        HRESULT hr = InvokeSelf(e.id, DISPATCH_PROPERTYPUT, &v, nullptr, IID_IPersistPropertyBag);
        VariantClear(&v);
        if (FAILED(hr)) {
            result = hr;
            break;
        }
        if (e.id == kDispSpeakerBuffer && haveConversation) {
            haveConversation = false;
            hr = InvokeSelf(kDispPhoneConversation, DISPATCH_PROPERTYPUT, &conversation, nullptr,
                            IID_IPersistPropertyBag);
            VariantClear(&conversation);
            if (FAILED(hr)) {
                result = hr;
                break;
            }
        }
    }
    if (SUCCEEDED(result) && haveConversation)
        result = InvokeSelf(kDispPhoneConversation, DISPATCH_PROPERTYPUT, &conversation, nullptr,
                            IID_IPersistPropertyBag);
    VariantClear(&conversation);
    if (SUCCEEDED(result)) dirty_ = false;
    return result;
}

STDMETHODIMP TLinkorCtrl::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
    if (!bag) return E_POINTER;
    for (const BagEntry& e : kBag) {
        VARIANT v;
        VariantInit(&v);
        HRESULT hr = InvokeSelf(e.id, DISPATCH_PROPERTYGET, nullptr, &v, IID_IPersistPropertyBag);
        if (SUCCEEDED(hr)) hr = bag->Write(e.name, &v);
        VariantClear(&v);
        if (FAILED(hr)) return hr;
    }
    if (clearDirty) dirty_ = false;
    return S_OK;
}

}  // namespace vx
