// The Linkor object itself: its interfaces by QueryInterface, its one
// reference count, its construction and its deferred destruction. Each COM
// role of the object lives in a file of its own (linkor_*.cpp).
#include "capictrl/win32/linkorctrl.h"

#include <map>
#include <mutex>

#include "base/guard.h"

namespace vx {

namespace {

// Controls whose destruction waits for the thread's message loop, by timer.
std::mutex g_deferredLock;
std::map<UINT_PTR, TLinkorCtrl*> g_deferred;

}  // namespace

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
    FireFormEvent(LINKOR_EVENT_OnCreate);
}

TLinkorCtrl::~TLinkorCtrl() {
    // A container that lets go of an active control takes its form away.
    InPlaceDeactivate();
    // The form's end reaches a host that is still connected.
    FireFormEvent(LINKOR_EVENT_OnDestroy);
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


void TLinkorCtrl::LastReleased() {
    // Destroyed now, the engine would wait for a poll thread that waits
    // for this very handler, and then return into freed memory.
    if (InUse()) {
        DeferDestruction();
        return;
    }
    // Keep the object alive while its destruction raises its last event.
    refs_ = 1;
    delete this;
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
}  // namespace vx
