#include "capictrl/win32/proppage.h"

#include <ocidl.h>
#include <olectl.h>

#include <new>
#include <string>

#include "base/errors.h"
#include "base/guard.h"
#include "base/win32/text.h"
#include "capictrl/win32/classfactory.h"
#include "capictrl/win32/comerror.h"
#include "capictrl/win32/comhelpers.h"
#include "capictrl/win32/formsupport.h"
#include "capictrl/win32/help.h"
#include "capictrl/win32/linkorctrl.h"
#include "widgets/window.h"

namespace vx {

namespace {

TLabelFont PageFont() {
    TLabelFont f;
    f.Name = "MS Sans Serif";
    f.Height = -13;
    return f;
}

// The edited object through IDispatch by member name: a property get for
// each read, a property put with one argument for each write. What the
// member rejects comes back as its own failure code and description.
class TDispatchObject : public IPageObject {
public:
    explicit TDispatchObject(IDispatch* d) : d_(d) {}

    bool GetBool(const char* m) override {
        VARIANT v = Get(m, VT_BOOL);
        return V_BOOL(&v) != VARIANT_FALSE;
    }
    std::string GetText(const char* m) override {
        VARIANT v = Get(m, VT_BSTR);
        std::string s = TextOfBstr(V_BSTR(&v));
        VariantClear(&v);
        return s;
    }
    int32_t GetInt(const char* m) override {
        VARIANT v = Get(m, VT_I4);
        return V_I4(&v);
    }
    void PutBool(const char* m, bool b) override {
        VARIANT v = BoolVariant(b);
        Put(m, v);
    }
    void PutText(const char* m, const std::string& s) override {
        VARIANT v = TextVariant(s);
        Put(m, v);
    }
    void PutInt(const char* m, int32_t n) override {
        VARIANT v = LongVariant(n);
        Put(m, v);
    }
    void PutByte(const char* m, uint8_t n) override {
        VARIANT v = ByteVariant(n);
        Put(m, v);
    }

private:
    DISPID IdOf(const char* member) {
        std::wstring w = Wide(member);
        LPOLESTR name = &w[0];
        DISPID id = DISPID_UNKNOWN;
        HRESULT hr = d_->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
        if (FAILED(hr)) throw EOleSysError("Unknown name", hr);
        return id;
    }

    static void Check(HRESULT hr, EXCEPINFO& ex) {
        if (SUCCEEDED(hr)) return;
        if (hr == DISP_E_EXCEPTION) {
            TMemberFailure f = TakeExcepInfo(ex);
            HRESULT code = FAILED(f.scode) ? f.scode : E_UNEXPECTED;
            throw EOleSysError(f.description.empty() ? SystemMessage(code) : f.description, code);
        }
        throw EOleSysError(SystemMessage(hr), hr);
    }

    VARIANT Get(const char* member, VARTYPE vt) {
        DISPID id = IdOf(member);
        DISPPARAMS none{};
        VARIANT r;
        VariantInit(&r);
        EXCEPINFO ex{};
        UINT argErr = 0;
        Check(d_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &r, &ex, &argErr), ex);
        VARIANT out;
        VariantInit(&out);
        HRESULT hr = VariantChangeType(&out, &r, 0, vt);
        VariantClear(&r);
        if (FAILED(hr)) throw EOleSysError(SystemMessage(hr), hr);
        return out;
    }

    void Put(const char* member, VARIANT& v) {
        DISPID id;
        try {
            id = IdOf(member);
        } catch (...) {
            VariantClear(&v);
            throw;
        }
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS dp{&v, &named, 1, 1};
        EXCEPINFO ex{};
        UINT argErr = 0;
        HRESULT hr = d_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &dp, nullptr, &ex, &argErr);
        VariantClear(&v);
        Check(hr, ex);
    }

    IDispatch* d_;
};

// The page's child windows.
class TWindowView : public IPageView {
public:
    explicit TWindowView(HWND page) : page_(page) {}
    bool Checked(int id) override { return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void SetChecked(int id, bool v) override {
        SendMessageW(Item(id), BM_SETCHECK, v ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    bool Enabled(int id) override { return IsWindowEnabled(Item(id)) != FALSE; }
    void SetEnabled(int id, bool v) override { EnableWindow(Item(id), v ? TRUE : FALSE); }
    std::string Text(int id) override { return WindowText(Item(id)); }
    void SetText(int id, const std::string& v) override { SetWindowTextW(Item(id), Wide(v).c_str()); }
    int ItemCount(int id) override { return static_cast<int>(SendMessageW(Item(id), LB_GETCOUNT, 0, 0)); }
    void AddItem(int id, const std::string& item) override {
        std::wstring w = Wide(item);
        SendMessageW(Item(id), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str()));
    }
    int Selected(int id) override {
        LRESULT r = SendMessageW(Item(id), LB_GETCURSEL, 0, 0);
        return r == LB_ERR ? -1 : static_cast<int>(r);
    }
    void Select(int id, int index) override { SendMessageW(Item(id), LB_SETCURSEL, static_cast<WPARAM>(index), 0); }

private:
    HWND Item(int id) {
        HWND h = GetDlgItem(page_, id);
        if (!h) throw Exception("The page has no control " + std::to_string(id));
        return h;
    }
    HWND page_;
};

class TPropertyPageObject : public TComObject<IPropertyPage2, ISupportErrorInfo> {
public:
    explicit TPropertyPageObject(const TLinkorPage& page) : page_(page) { ServerObjectCreated(); }
    ~TPropertyPageObject() override {
        HWND w = wnd_;
        wnd_ = nullptr;
        if (w) DestroyWindow(w);
        ForgetObjects();
        if (site_) site_->Release();
        if (font_) DeleteObject(font_);
        ServerObjectDestroyed();
    }
    TPropertyPageObject(const TPropertyPageObject&) = delete;
    TPropertyPageObject& operator=(const TPropertyPageObject&) = delete;

    // Creates the form, hidden and without parent until the frame
    // activates the page.
    HRESULT Init() {
        font_ = CreateDesignedFont(PageFont());
        std::vector<WORD> t = DialogTemplate(WS_POPUP | DS_CONTROL, WS_EX_CONTROLPARENT);
        HWND w = CreateDialogIndirectParamW(ServerModule(), reinterpret_cast<LPCDLGTEMPLATEW>(t.data()), nullptr,
                                            DialogThunk<TPropertyPageObject>, reinterpret_cast<LPARAM>(this));
        if (!w) {
            DWORD e = GetLastError();
            return e ? HRESULT_FROM_WIN32(e) : E_FAIL;
        }
        return S_OK;
    }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPropertyPage) ||
            IsEqualIID(riid, IID_IPropertyPage2)) {
            *ppv = static_cast<IPropertyPage2*>(this);
        } else if (IsEqualIID(riid, IID_ISupportErrorInfo)) {
            *ppv = static_cast<ISupportErrorInfo*>(this);
        } else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }

    // IPropertyPage
    STDMETHODIMP SetPageSite(IPropertyPageSite* site) override {
        if (site) site->AddRef();
        if (site_) site_->Release();
        site_ = site;
        return S_OK;
    }

    STDMETHODIMP Activate(HWND parent, LPCRECT rect, BOOL) override {
        if (!rect) return E_POINTER;
        if (!wnd_) return E_UNEXPECTED;
        // Filling the controls is no edit of the user.
        active_ = false;
        try {
            if (parent) {
                LONG_PTR style = GetWindowLongPtrW(wnd_, GWL_STYLE);
                SetWindowLongPtrW(wnd_, GWL_STYLE, (style & ~static_cast<LONG_PTR>(WS_POPUP)) | WS_CHILD);
                SetParent(wnd_, parent);
            }
            SetWindowPos(wnd_, nullptr, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
                         SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
            if (object_) {
                TDispatchObject obj(object_);
                TWindowView view(wnd_);
                page_.Refresh(obj, view);
            }
            active_ = true;
            modified_ = false;
            return S_OK;
        } catch (...) {
            return ReportCurrentException(IID_IPropertyPage);
        }
    }

    STDMETHODIMP Deactivate() override {
        active_ = false;
        if (!wnd_) return S_OK;
        ShowWindow(wnd_, SW_HIDE);
        // The frame's window may go; the form stays with the page object.
        SetParent(wnd_, nullptr);
        LONG_PTR style = GetWindowLongPtrW(wnd_, GWL_STYLE);
        SetWindowLongPtrW(wnd_, GWL_STYLE, (style & ~static_cast<LONG_PTR>(WS_CHILD)) | WS_POPUP);
        return S_OK;
    }

    STDMETHODIMP GetPageInfo(PROPPAGEINFO* info) override {
        if (!info) return E_POINTER;
        std::wstring title = Wide(page_.Title);
        info->cb = sizeof(PROPPAGEINFO);
        info->pszTitle = static_cast<LPOLESTR>(CoTaskMemAlloc((title.size() + 1) * sizeof(wchar_t)));
        if (!info->pszTitle) return E_OUTOFMEMORY;
        lstrcpyW(info->pszTitle, title.c_str());
        RECT r{0, 0, ScaleDesigned(page_.Width), ScaleDesigned(page_.Height)};
        if (wnd_) GetWindowRect(wnd_, &r);
        info->size.cx = r.right - r.left;
        info->size.cy = r.bottom - r.top;
        info->pszDocString = nullptr;
        info->pszHelpFile = nullptr;
        info->dwHelpContext = 0;
        return S_OK;
    }

    STDMETHODIMP SetObjects(ULONG count, IUnknown** objects) override {
        ForgetObjects();
        if (!objects) return E_POINTER;
        for (ULONG i = 0; i < count; ++i) {
            if (!objects[i]) continue;
            objects[i]->AddRef();
            objects_.push_back(objects[i]);
        }
        if (!objects_.empty() &&
            FAILED(objects_.front()->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&object_))))
            object_ = nullptr;
        return S_OK;
    }

    STDMETHODIMP Show(UINT cmdShow) override {
        if (!wnd_) return E_UNEXPECTED;
        ShowWindow(wnd_, static_cast<int>(cmdShow));
        return S_OK;
    }

    STDMETHODIMP Move(LPCRECT rect) override {
        if (!rect) return E_POINTER;
        if (!wnd_) return E_UNEXPECTED;
        SetWindowPos(wnd_, nullptr, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return S_OK;
    }

    STDMETHODIMP IsPageDirty() override { return modified_ ? S_OK : S_FALSE; }

    STDMETHODIMP Apply() override {
        if (!wnd_) return E_UNEXPECTED;
        try {
            // Nothing to write to is no successful apply.
            if (!object_) throw Exception("The page has no object");
            TDispatchObject obj(object_);
            TWindowView view(wnd_);
            page_.Apply(obj, view);
        } catch (...) {
            // The page stays modified: what failed is still to be applied.
            return ReportCurrentException(IID_IPropertyPage);
        }
        modified_ = false;
        NotifyChanged();
        return S_OK;
    }

    // Help is reached through each page's own Help button.
    STDMETHODIMP Help(LPCOLESTR) override { return E_NOTIMPL; }

    STDMETHODIMP TranslateAccelerator(MSG* msg) override {
        if (!msg) return E_POINTER;
        if (!wnd_) return S_FALSE;
        return IsDialogMessageW(wnd_, msg) ? S_OK : S_FALSE;
    }

    // IPropertyPage2
    STDMETHODIMP EditProperty(DISPID) override { return E_NOTIMPL; }

    // ISupportErrorInfo: a failing refresh or apply describes itself.
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override {
        return IsEqualIID(riid, IID_IPropertyPage) || IsEqualIID(riid, IID_IPropertyPage2) ? S_OK : S_FALSE;
    }

    // The page's form (DialogThunk).
    INT_PTR DialogProc(HWND h, UINT msg, WPARAM wp, LPARAM) {
        switch (msg) {
            case WM_INITDIALOG:
                Build(h);
                return FALSE;
            case WM_COMMAND:
                OnCommand(LOWORD(wp), HIWORD(wp));
                return TRUE;
            case WM_NCDESTROY:
                // Destroyed with a frame that never deactivated the page.
                wnd_ = nullptr;
                return FALSE;
            default:
                return FALSE;
        }
    }

private:

    void Build(HWND h) {
        wnd_ = h;
        SetWindowTextW(h, Wide(page_.Title).c_str());
        SetWindowPos(h, nullptr, 0, 0, ScaleDesigned(page_.Width), ScaleDesigned(page_.Height),
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
        for (const TPageControl& c : page_.Controls) {
            const wchar_t* cls = L"STATIC";
            DWORD style = 0;
            switch (c.Kind) {
                case TPageControlKind::CheckBox:
                    cls = L"BUTTON";
                    style = BS_AUTOCHECKBOX | WS_TABSTOP;
                    break;
                case TPageControlKind::Edit:
                    cls = L"EDIT";
                    style = ES_AUTOHSCROLL | WS_TABSTOP;
                    break;
                case TPageControlKind::ListBox:
                    cls = L"LISTBOX";
                    style = LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP;
                    break;
                case TPageControlKind::Label:
                    style = SS_LEFT;
                    break;
                case TPageControlKind::GroupBox:
                    cls = L"BUTTON";
                    style = BS_GROUPBOX;
                    break;
                case TPageControlKind::Button:
                    cls = L"BUTTON";
                    style = BS_PUSHBUTTON | WS_TABSTOP;
                    break;
            }
            HWND child = CreateDesignedChild(h, cls, c.Caption, style, c.Id, c.Left, c.Top, c.Width, c.Height, font_);
            // The form's description has every check box ticked.
            if (child && c.Kind == TPageControlKind::CheckBox) SendMessageW(child, BM_SETCHECK, BST_CHECKED, 0);
        }
    }

    void OnCommand(int id, int code) {
        try {
            if (id == kIdHelpButton) {
                if (code == BN_CLICKED) ShowHelpContext(page_.HelpContext);
                return;
            }
            const TPageControl* c = page_.Control(id);
            if (!c) return;
            if (c->Kind == TPageControlKind::CheckBox && code == BN_CLICKED) {
                TWindowView view(wnd_);
                page_.Clicked(id, view);
                MarkModified();
            } else if ((c->Kind == TPageControlKind::Edit && code == EN_CHANGE) ||
                       (c->Kind == TPageControlKind::ListBox && code == LBN_SELCHANGE)) {
                MarkModified();
            }
        } catch (...) {
            // Nothing escapes into the window procedure.
        }
    }

    // Only an edit of the user on a shown page counts; the frame then
    // enables its Apply button.
    void MarkModified() {
        if (!active_) return;
        modified_ = true;
        if (site_) site_->OnStatusChange(PROPPAGESTATUS_DIRTY | PROPPAGESTATUS_VALIDATE);
    }

    // Every property-change sink of the object hears that anything may
    // have changed.
    void NotifyChanged() {
        IConnectionPointContainer* cpc = nullptr;
        if (FAILED(object_->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&cpc))) || !cpc)
            return;
        IConnectionPoint* cp = nullptr;
        if (SUCCEEDED(cpc->FindConnectionPoint(IID_IPropertyNotifySink, &cp)) && cp) {
            IEnumConnections* e = nullptr;
            if (SUCCEEDED(cp->EnumConnections(&e)) && e) {
                CONNECTDATA cd{};
                ULONG got = 0;
                while (e->Next(1, &cd, &got) == S_OK && got == 1) {
                    if (cd.pUnk) {
                        IPropertyNotifySink* sink = nullptr;
                        if (SUCCEEDED(cd.pUnk->QueryInterface(IID_IPropertyNotifySink,
                                                              reinterpret_cast<void**>(&sink))) &&
                            sink) {
                            sink->OnChanged(DISPID_UNKNOWN);
                            sink->Release();
                        }
                        cd.pUnk->Release();
                    }
                    cd = CONNECTDATA{};
                }
                e->Release();
            }
            cp->Release();
        }
        cpc->Release();
    }

    void ForgetObjects() {
        if (object_) object_->Release();
        object_ = nullptr;
        for (IUnknown* u : objects_) u->Release();
        objects_.clear();
    }

    const TLinkorPage& page_;
    IPropertyPageSite* site_ = nullptr;
    std::vector<IUnknown*> objects_;
    IDispatch* object_ = nullptr;
    HWND wnd_ = nullptr;
    HFONT font_ = nullptr;
    bool active_ = false;
    bool modified_ = false;
};

class TPageFactory : public TStaticClassFactory {
public:
    explicit TPageFactory(const TLinkorPage& page) : page_(page) {}

protected:
    HRESULT CreateObject(REFIID riid, void** ppv) override {
        auto* p = new (std::nothrow) TPropertyPageObject(page_);
        if (!p) return E_OUTOFMEMORY;
        HRESULT hr = p->Init();
        if (SUCCEEDED(hr)) hr = p->QueryInterface(riid, ppv);
        p->Release();
        return hr;
    }

private:
    const TLinkorPage& page_;
};

}  // namespace

const std::vector<TPageClass>& LinkorPageClasses() {
    static const std::vector<TPageClass> classes = {
        {&CLSID_LinkorPageOperation, L"{4B2A64A0-C2C3-482C-8D2F-930AFF829E9C}", &OperationPage()},
        {&CLSID_LinkorPageSystem, L"{D366E837-3BB7-4760-9574-B808A3B9518F}", &SystemPage()},
        {&CLSID_LinkorPageFormats, L"{2EFBF31F-B611-4CA9-BFFA-291CB0FB909E}", &FormatsPage()},
    };
    return classes;
}

IClassFactory* PageClassFactory(REFCLSID clsid) {
    static TPageFactory operation(OperationPage());
    static TPageFactory system(SystemPage());
    static TPageFactory formats(FormatsPage());
    if (IsEqualCLSID(clsid, CLSID_LinkorPageOperation)) return &operation;
    if (IsEqualCLSID(clsid, CLSID_LinkorPageSystem)) return &system;
    if (IsEqualCLSID(clsid, CLSID_LinkorPageFormats)) return &formats;
    return nullptr;
}

}  // namespace vx
