// The control embedded in a container: IOleObject with its verbs,
// IOleControl, in-place activation of the form in the container's window
// (IOleInPlaceObject, IOleInPlaceActiveObject) and its drawing without a
// window (IViewObject2).
#include "capictrl/win32/linkorctrl.h"

#include "base/win32/text.h"
#include "capictrl/win32/formsupport.h"

namespace vx {

namespace {

// The container's units, 0.01 mm, and the form's pixels on this screen.
LONG PixelsToHimetric(LONG px) { return MulDiv(px, 2540, ScreenPixelsPerInch()); }
LONG HimetricToPixels(LONG hm) { return MulDiv(hm, ScreenPixelsPerInch(), 2540); }

}  // namespace

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
    FireFormEvent(LINKOR_EVENT_OnActivate);
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
    FireFormEvent(LINKOR_EVENT_OnDeactivate);
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

}  // namespace vx
