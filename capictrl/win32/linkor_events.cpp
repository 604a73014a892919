// The control's events: the connection points of ILinkorEvents (one host)
// and IPropertyNotifySink, their enumerators, and the raising of the
// engine's and the form's events on the connected host.
#include "capictrl/win32/linkor_events.h"

#include <new>

#include "capictrl/win32/comhelpers.h"
#include "capictrl/win32/linkorctrl.h"

namespace vx {

namespace {

// An enumerator over a snapshot of the control's connection points or of a
// point's connections. Each holds its own references, and it keeps the file
// loaded while a client holds it, also after the control has gone.
template <class Enum, class Item>
class TEnumerator : public TComObject<Enum> {
public:
    TEnumerator(std::vector<Item> items, size_t pos) : items_(std::move(items)), pos_(pos) {
        for (auto& i : items_) Ref(i)->AddRef();
        ServerObjectCreated();
    }
    ~TEnumerator() override {
        for (auto& i : items_) Ref(i)->Release();
        ServerObjectDestroyed();
    }
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        return QueryThrough(static_cast<Enum*>(this), riid, ppv, {__uuidof(Enum)});
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
    std::vector<Item> items_;
    size_t pos_;
};
using TEnumConnectionPoints = TEnumerator<IEnumConnectionPoints, IConnectionPoint*>;
using TEnumConnections = TEnumerator<IEnumConnections, CONNECTDATA>;

}  // namespace

// ---------------------------------------------------------------- connection point

TConnectionPoint::~TConnectionPoint() { DisconnectAll(); }

STDMETHODIMP TConnectionPoint::QueryInterface(REFIID riid, void** ppv) {
    return QueryThrough(static_cast<IConnectionPoint*>(this), riid, ppv, {IID_IConnectionPoint});
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

void TLinkorCtrl::BindEngineEvents() {
    TLinkorEngineEvents e;
    e.OnCallProgress = [this](const std::string& info) {
        std::vector<VARIANT> a{TextVariant(info)};
        Fire(LINKOR_EVENT_OnCallProgress, a);
    };
    e.OnIncomingCall = [this](const std::string& called, const std::string& calling, const std::string& type) {
        std::vector<VARIANT> a{TextVariant(called), TextVariant(calling), TextVariant(type)};
        Fire(LINKOR_EVENT_OnInComingCall, a);
    };
    e.OnDisconnected = [this](const std::string& reason) {
        std::vector<VARIANT> a{TextVariant(reason)};
        Fire(LINKOR_EVENT_OnDisconnected, a);
    };
    e.OnConnected = [this]() {
        std::vector<VARIANT> a;
        Fire(LINKOR_EVENT_OnConnected, a);
    };
    e.OnIncomingCallDetails = [this](const std::string& info) {
        std::vector<VARIANT> a{TextVariant(info)};
        Fire(LINKOR_EVENT_OnIncomingCallDetails, a);
    };
    e.OnIncomingAudioFormat = [this](const std::string& f) {
        std::vector<VARIANT> a{TextVariant(f)};
        Fire(LINKOR_EVENT_OnIncomingAudioFormat, a);
    };
    e.OnIncomingPhoneCall = [this](const std::string& called, const std::string& calling) {
        std::vector<VARIANT> a{TextVariant(called), TextVariant(calling)};
        Fire(LINKOR_EVENT_OnIncomingPhoneCall, a);
    };
    e.OnErrorMessage = [this](int16_t number, const std::string& msg) {
        std::vector<VARIANT> a{ShortVariant(number), TextVariant(msg)};
        Fire(LINKOR_EVENT_OnErrorMessage, a);
    };
    e.OnCapiProgress = [this](int16_t appid, int32_t number, const std::string& cmd, const std::string& sub,
                              const std::string& info) {
        std::vector<VARIANT> a{ShortVariant(appid), LongVariant(number), TextVariant(cmd), TextVariant(sub), TextVariant(info)};
        Fire(LINKOR_EVENT_OnCapiProgress, a);
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
}  // namespace vx
