// LINKOR.OCX placed in an OLE container of our own, the way a development
// environment places it on a form at design time: a frame window and a site
// that activates it in place, shows its property frame and hears its
// events. What the container and its user see is checked on the screen:
// the form as a child of the container's window, its raised border, the
// green panel and the panel's telephone; and the order in which the site's
// notifications and the form's events arrive.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <ocidl.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "linkor_idl.h"
#include "tests/wine/inproc_server.h"
#include "tests/wine/linkor_ocx.h"

namespace {

std::string Narrow(const wchar_t* s) {
    std::string out;
    for (; s && *s; ++s) out += static_cast<char>(*s < 128 ? *s : '?');
    return out;
}

// Everything the container hears, in order: the site's notifications, the
// frame's active object and the control's events ("event 1").
using Log = std::vector<std::string>;

class Frame : public IOleInPlaceFrame {
public:
    Frame(HWND hwnd, Log& log) : hwnd_(hwnd), log_(log) {}
    virtual ~Frame() = default;
    IUnknown* Active = nullptr;  // not held: only compared

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleWindow) ||
            IsEqualIID(riid, IID_IOleInPlaceUIWindow) || IsEqualIID(riid, IID_IOleInPlaceFrame)) {
            *ppv = static_cast<IOleInPlaceFrame*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override { return InterlockedDecrement(&refs_); }
    STDMETHODIMP GetWindow(HWND* h) override {
        *h = hwnd_;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetBorder(LPRECT r) override { return GetClientRect(hwnd_, r) ? S_OK : E_FAIL; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* obj, LPCOLESTR name) override {
        Active = nullptr;
        if (obj) obj->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&Active));
        if (Active) Active->Release();
        log_.push_back(obj ? "frame active " + Narrow(name) : "frame active none");
        return S_OK;
    }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }
    LONG Refs() const { return refs_; }

private:
    LONG refs_ = 1;
    HWND hwnd_;
    Log& log_;
};

// The control's place in the frame's window, which also hears the control's
// events, as a container's site does. Without `inPlace` it is a bare client
// site, as the monitor's hidden hosting gives.
class Site : public IOleClientSite, public IOleInPlaceSite, public IOleControlSite, public IDispatch {
public:
    Site(HWND hwnd, Frame& frame, Log& log, bool inPlace = true)
        : hwnd_(hwnd), frame_(frame), log_(log), inPlace_(inPlace) {}
    virtual ~Site() = default;
    RECT Pos{20, 20, 59, 58};  // the form's designed 39 x 38
    // What a container that refuses or lacks things answers.
    HRESULT CanActivate = S_OK;
    HRESULT WindowResult = S_OK;
    bool NoParent = false;  // GetWindow succeeds without a window
    HRESULT ContextResult = S_OK;
    bool NoFrame = false;  // the window context gives no frame
    void Mend() {
        CanActivate = S_OK;
        WindowResult = S_OK;
        NoParent = false;
        ContextResult = S_OK;
        NoFrame = false;
    }
    // The container's own code run on what it hears, once it is logged.
    std::function<void(const std::string&)> OnHeard;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite))
            *ppv = static_cast<IOleClientSite*>(this);
        else if (inPlace_ && (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceSite)))
            *ppv = static_cast<IOleInPlaceSite*>(this);
        else if (inPlace_ && IsEqualIID(riid, IID_IOleControlSite))
            *ppv = static_cast<IOleControlSite*>(this);
        else if (IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, DIID_ILinkorEvents))
            *ppv = static_cast<IDispatch*>(this);
        if (!*ppv) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override { return InterlockedDecrement(&refs_); }

    // What the container keeps of the control when the control asks to be
    // saved: its stream, as a container stores it with its document.
    IUnknown* Object = nullptr;  // not held
    std::string Saved;

    // IOleClientSite
    // The container hears of the save once it has the stream.
    STDMETHODIMP SaveObject() override {
        IPersistStreamInit* p = nullptr;
        HRESULT hr = E_FAIL;
        if (Object && SUCCEEDED(Object->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&p)))) {
            hr = vx::test::SaveStream(p, &Saved);
            p->Release();
        }
        Note("SaveObject");
        return hr;
    }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** m) override {
        *m = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** c) override {
        *c = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP GetWindow(HWND* h) override {
        *h = FAILED(WindowResult) || NoParent ? nullptr : hwnd_;
        return WindowResult;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP CanInPlaceActivate() override {
        Note("CanInPlaceActivate");
        return CanActivate;
    }
    STDMETHODIMP OnInPlaceActivate() override { return Note("OnInPlaceActivate"); }
    STDMETHODIMP OnUIActivate() override { return Note("OnUIActivate"); }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos, LPRECT clip,
                                  LPOLEINPLACEFRAMEINFO info) override {
        if (FAILED(ContextResult)) {
            *frame = nullptr;
            *doc = nullptr;
            return ContextResult;
        }
        *frame = nullptr;
        if (!NoFrame) {
            frame_.AddRef();
            *frame = &frame_;
        }
        *doc = nullptr;  // the frame is the document window too
        *pos = Pos;
        GetClientRect(hwnd_, clip);
        info->fMDIApp = FALSE;
        info->hwndFrame = hwnd_;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return Note("OnUIDeactivate"); }
    STDMETHODIMP OnInPlaceDeactivate() override { return Note("OnInPlaceDeactivate"); }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

    // IOleControlSite: the container shows the property frame itself.
    STDMETHODIMP OnControlInfoChanged() override { return S_OK; }
    STDMETHODIMP LockInPlaceActive(BOOL) override { return S_OK; }
    STDMETHODIMP GetExtendedControl(IDispatch** d) override {
        *d = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP TransformCoords(POINTL*, POINTF*, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
    STDMETHODIMP OnFocus(BOOL) override { return S_OK; }
    STDMETHODIMP ShowPropertyFrame() override { return Note("ShowPropertyFrame"); }

    // IDispatch: the control's events, and the ambient properties of a
    // design-time container.
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* r, EXCEPINFO*, UINT*) override {
        if (flags & DISPATCH_METHOD) {
            Note(("event " + std::to_string(id)).c_str());
            return S_OK;
        }
        if (!r) return E_POINTER;
        VariantInit(r);
        if (id == DISPID_AMBIENT_USERMODE) {
            V_VT(r) = VT_BOOL;
            V_BOOL(r) = VARIANT_FALSE;
            return S_OK;
        }
        if (id == DISPID_AMBIENT_DISPLAYNAME) {
            V_VT(r) = VT_BSTR;
            V_BSTR(r) = SysAllocString(L"Linkor1");
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }
    LONG Refs() const { return refs_; }

private:
    HRESULT Note(const char* what) {
        log_.push_back(what);
        if (OnHeard) OnHeard(what);
        return S_OK;
    }
    LONG refs_ = 1;
    HWND hwnd_;
    Frame& frame_;
    Log& log_;
    bool inPlace_;
};

// The container's advise sink on the control's IOleObject.
class ObjectSink : public IAdviseSink {
public:
    explicit ObjectSink(Log& log) : log_(log) {}
    virtual ~ObjectSink() = default;
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IAdviseSink)) {
            *ppv = static_cast<IAdviseSink*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override { return InterlockedDecrement(&refs_); }
    STDMETHODIMP_(void) OnDataChange(FORMATETC*, STGMEDIUM*) override {}
    STDMETHODIMP_(void) OnViewChange(DWORD, LONG) override {}
    STDMETHODIMP_(void) OnRename(IMoniker*) override {}
    STDMETHODIMP_(void) OnSave() override { log_.push_back("OnSave"); }
    STDMETHODIMP_(void) OnClose() override { log_.push_back("OnClose"); }
    LONG Refs() const { return refs_; }

private:
    LONG refs_ = 1;
    Log& log_;
};

void Pump() {
    MSG msg;
    for (int round = 0; round < 3; ++round) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(20);
    }
}

// The pixels of a window as they are on the screen.
struct Picture {
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;
    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// A white page in memory, of the screen's kind, to draw on and read back.
class Page {
public:
    Page(int width, int height) : width_(width), height_(height) {
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        bmp_ = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        old_ = SelectObject(dc_, bmp_);
        Clear();
    }
    ~Page() {
        SelectObject(dc_, old_);
        DeleteObject(bmp_);
        DeleteDC(dc_);
    }
    Page(const Page&) = delete;
    Page& operator=(const Page&) = delete;
    HDC Dc() const { return dc_; }
    void Clear() {
        RECT all{0, 0, width_, height_};
        FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    // Read pixel by pixel: a drawing that changed the mapping restores it first.
    Picture Read() const {
        Picture p;
        p.width = width_;
        p.height = height_;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) p.pixels.push_back(GetPixel(dc_, x, y));
        return p;
    }

private:
    int width_, height_;
    HDC dc_;
    HBITMAP bmp_;
    HGDIOBJ old_;
};

Picture Capture(HDC from, int left, int top, int width, int height) {
    Page page(width, height);
    BitBlt(page.Dc(), 0, 0, width, height, from, left, top, SRCCOPY);
    return page.Read();
}

Picture OnScreen(HWND h) {
    RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump();
    RECT r;
    GetWindowRect(h, &r);
    HDC screen = GetDC(nullptr);
    Picture p = Capture(screen, r.left, r.top, r.right - r.left, r.bottom - r.top);
    ReleaseDC(nullptr, screen);
    return p;
}

const COLORREF kGreen = RGB(0, 128, 0);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kOutline = RGB(0, 64, 0);

class Container : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        OleInitialize(nullptr);
        module_ = LoadLibraryW(vx::test::OcxPath().c_str());
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = L"VxContainerFrame";
        RegisterClassW(&wc);
    }
    static void TearDownTestSuite() { OleUninitialize(); }

    void SetUp() override {
        ASSERT_NE(module_, nullptr);
        hwnd = CreateWindowExW(0, L"VxContainerFrame", L"Formulár s ovládacím prvkom", WS_OVERLAPPEDWINDOW |
                               WS_CLIPCHILDREN | WS_VISIBLE, 40, 40, 320, 200, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(hwnd, nullptr);
        Pump();
        frame = new Frame(hwnd, log);
        site = new Site(hwnd, *frame, log);
        ASSERT_EQ(vx::test::NewLinkor(module_, &ctrl), S_OK);
        ASSERT_EQ(ctrl->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole)), S_OK);
        ASSERT_EQ(ctrl->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace)), S_OK);
    }

    void TearDown() override {
        Release();
        delete site;
        delete frame;
        if (hwnd) DestroyWindow(hwnd);
    }

    // A container's own sequence: its site first, then the events, which
    // the site hears.
    void Attach(IOleClientSite* s) {
        ASSERT_EQ(ole->SetClientSite(s), S_OK);
        DWORD cookie = 0;
        ASSERT_EQ(vx::test::Connect(ctrl, DIID_ILinkorEvents, s, &cookie), S_OK);
    }
    void Attach() { Attach(static_cast<IOleClientSite*>(site)); }

    HRESULT Verb(LONG verb) {
        return ole->DoVerb(verb, nullptr, static_cast<IOleClientSite*>(site), 0, hwnd, &site->Pos);
    }
    HWND Form() {
        HWND h = nullptr;
        return inPlace->GetWindow(&h) == S_OK ? h : nullptr;
    }
    bool Active() {
        VARIANT_BOOL v = VARIANT_FALSE;
        EXPECT_EQ(ctrl->get_Active(&v), S_OK);
        return v == VARIANT_TRUE;
    }
    bool Visible() {
        VARIANT_BOOL v = VARIANT_FALSE;
        EXPECT_EQ(ctrl->get_Visible(&v), S_OK);
        return v == VARIANT_TRUE;
    }
    // The container lets go of the control: closed, without its site.
    void Release() {
        if (inPlace) inPlace->Release();
        inPlace = nullptr;
        if (ole) {
            ole->Close(OLECLOSE_NOSAVE);
            ole->SetClientSite(nullptr);
            ole->Release();
        }
        ole = nullptr;
        if (ctrl) ctrl->Release();
        ctrl = nullptr;
    }
    // The container lets go of the control without closing it first.
    void LetGo() {
        inPlace->Release();
        ole->Release();
        ctrl->Release();
        inPlace = nullptr;
        ole = nullptr;
        ctrl = nullptr;
    }
    // A fresh control in place of the fixture's, for the next case of a
    // table, with the site behaving again and the log empty.
    void Renew() {
        Release();
        Pump();  // a destruction put off until the message loop
        log.clear();
        delete site;
        site = new Site(hwnd, *frame, log);
        ASSERT_EQ(vx::test::NewLinkor(module_, &ctrl), S_OK);
        ASSERT_EQ(ctrl->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole)), S_OK);
        ASSERT_EQ(ctrl->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace)), S_OK);
    }
    // Whether a form's window is left in the container's window.
    bool FormLeft() { return FindWindowExW(hwnd, nullptr, L"LinkorForm", nullptr) != nullptr; }

    // The container's frame at a point of its client area, on the screen.
    COLORREF FramePixel(int x, int y) {
        POINT p{x, y};
        ClientToScreen(hwnd, &p);
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        Pump();
        HDC screen = GetDC(nullptr);
        COLORREF c = GetPixel(screen, p.x, p.y);
        ReleaseDC(nullptr, screen);
        return c;
    }

    static HMODULE module_;
    HWND hwnd = nullptr;
    Log log;
    Frame* frame = nullptr;
    Site* site = nullptr;
    ILinkor* ctrl = nullptr;
    IOleObject* ole = nullptr;
    IOleInPlaceObject* inPlace = nullptr;
};
HMODULE Container::module_ = nullptr;

TEST_F(Container, ActivatedControlShowsItsFormInTheSitesWindowWithPanelAndIcon) {
    Attach();
    HWND none = reinterpret_cast<HWND>(1);
    EXPECT_EQ(inPlace->GetWindow(&none), E_FAIL);
    EXPECT_EQ(none, nullptr);
    EXPECT_FALSE(Active());

    ASSERT_EQ(Verb(OLEIVERB_UIACTIVATE), S_OK);
    EXPECT_EQ(log, (Log{"CanInPlaceActivate", "OnInPlaceActivate", "OnUIActivate", "frame active LinkorCtrl",
                        "event 1"}));
    HWND form = Form();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(GetParent(form), hwnd);
    EXPECT_EQ(GetWindowLongPtrW(form, GWL_STYLE) & (WS_CHILD | WS_VISIBLE), WS_CHILD | WS_VISIBLE);
    RECT r;
    GetWindowRect(form, &r);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 20);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right - r.left, 39);
    EXPECT_EQ(r.bottom - r.top, 38);
    wchar_t caption[64] = {0};
    GetWindowTextW(form, caption, 64);
    EXPECT_STREQ(caption, L"LinkorCtrl");
    EXPECT_TRUE(Active());
    EXPECT_TRUE(Visible());
    IUnknown* self = nullptr;
    ctrl->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&self));
    EXPECT_EQ(frame->Active, self);
    self->Release();

    // As the user sees it: the raised border (light above and left, dark
    // below and right), the green panel inside, and on the panel at (4, 4)
    // the telephone, white with a dark outline, the panel green through
    // its transparent corner. The panel begins inside the 3-pixel border.
    Picture p = OnScreen(form);
    ASSERT_EQ(p.width, 39);
    ASSERT_EQ(p.height, 38);
    EXPECT_EQ(p.At(0, 0), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(p.At(38, 37), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(p.At(1, 1), GetSysColor(COLOR_3DHILIGHT));
    EXPECT_EQ(p.At(33, 31), kGreen);                 // panel, right of the icon
    EXPECT_EQ(p.At(3 + 4, 3 + 4), kGreen);           // the icon's transparent corner
    EXPECT_EQ(p.At(3 + 4 + 12, 3 + 4 + 17), kWhite);  // the telephone's body
    EXPECT_EQ(p.At(3 + 4 + 2, 3 + 4 + 19), kOutline);  // its outline below
    // The container's window around the form stays its own.
    EXPECT_EQ(FramePixel(10, 10), GetSysColor(COLOR_WINDOW));

    // Draw renders what the window shows, icon included.
    IViewObject* view = nullptr;
    ASSERT_EQ(ctrl->QueryInterface(IID_IViewObject, reinterpret_cast<void**>(&view)), S_OK);
    Page page(39, 38);
    RECTL bounds{0, 0, 39, 38};
    EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, page.Dc(), &bounds, nullptr, nullptr, 0),
              S_OK);
    Picture drawn = page.Read();
    view->Release();
    EXPECT_TRUE(drawn.pixels == p.pixels);
    EXPECT_EQ(drawn.At(3 + 4 + 12, 3 + 4 + 17), kWhite);

    // The container moves the site.
    RECT moved{100, 50, 139, 88}, clip{0, 0, 300, 150};
    EXPECT_EQ(inPlace->SetObjectRects(&moved, &clip), S_OK);
    GetWindowRect(form, &r);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 50);

    // Deactivation takes the form away.
    EXPECT_EQ(inPlace->InPlaceDeactivate(), S_OK);
    EXPECT_FALSE(IsWindow(form));
    EXPECT_EQ(Form(), nullptr);
    EXPECT_FALSE(Active());
    EXPECT_EQ(FramePixel(110, 60), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(log, (Log{"CanInPlaceActivate", "OnInPlaceActivate", "OnUIActivate", "frame active LinkorCtrl",
                        "event 1", "event 6", "frame active none", "OnUIDeactivate", "OnInPlaceDeactivate"}));
    // The site's frame is given back.
    EXPECT_EQ(frame->Refs(), 1);
}

// A container draws the control where it has no window: into a picture it
// keeps, a print, a preview, in the units of its own drawing. The form
// fills the bounds it is given, whatever units they are in.
TEST_F(Container, DrawFillsTheBoundsWithTheFormInTheContainersUnits) {
    Attach();
    IViewObject* view = nullptr;
    ASSERT_EQ(ctrl->QueryInterface(IID_IViewObject, reinterpret_cast<void**>(&view)), S_OK);
    SIZEL extent{};
    ASSERT_EQ(ole->GetExtent(DVASPECT_CONTENT, &extent), S_OK);

    // Each drawing lands on white, as a page does.
    auto drawn = [&](int width, int height, const std::function<void(HDC, RECTL&)>& setUp) {
        Page page(width, height);
        int saved = SaveDC(page.Dc());
        RECTL bounds{};
        setUp(page.Dc(), bounds);
        EXPECT_EQ(
            view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, page.Dc(), &bounds, nullptr, nullptr, 0),
            S_OK);
        RestoreDC(page.Dc(), saved);
        return page.Read();
    };
    // In pixels, away from the corner.
    Picture atOffset = drawn(60, 50, [](HDC, RECTL& b) { b = {10, 5, 10 + 39, 5 + 38}; });
    // In the container's units of 0.01 mm, as a picture of the form is kept.
    Picture inHimetric = drawn(39, 38, [&](HDC dc, RECTL& b) {
        SetMapMode(dc, MM_ANISOTROPIC);
        SetWindowExtEx(dc, extent.cx, extent.cy, nullptr);
        SetViewportExtEx(dc, 39, 38, nullptr);
        b = {0, 0, extent.cx, extent.cy};
    });
    // Twice as large, as a zoomed view shows it.
    Picture zoomed = drawn(78, 76, [](HDC, RECTL& b) { b = {0, 0, 78, 76}; });
    view->Release();

    // What the window shows once activated.
    ASSERT_EQ(Verb(OLEIVERB_INPLACEACTIVATE), S_OK);
    HWND form = Form();
    ASSERT_NE(form, nullptr);
    Picture shown = OnScreen(form);
    ASSERT_EQ(shown.width, 39);
    ASSERT_EQ(shown.height, 38);
    ASSERT_EQ(shown.At(3 + 4 + 12, 3 + 4 + 17), kWhite);  // the telephone

    int offsetWrong = 0, himetricWrong = 0, zoomWrong = 0;
    for (int y = 0; y < 38; ++y)
        for (int x = 0; x < 39; ++x) {
            COLORREF c = shown.At(x, y);
            offsetWrong += atOffset.At(10 + x, 5 + y) != c;
            himetricWrong += inHimetric.At(x, y) != c;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx) zoomWrong += zoomed.At(2 * x + dx, 2 * y + dy) != c;
        }
    EXPECT_EQ(offsetWrong, 0);
    EXPECT_EQ(himetricWrong, 0);
    EXPECT_EQ(zoomWrong, 0);
    // Outside the bounds the page is untouched.
    for (int x = 0; x < 60; ++x) {
        EXPECT_EQ(atOffset.At(x, 4), kWhite) << x;
        EXPECT_EQ(atOffset.At(x, 5 + 38), kWhite) << x;
    }
    for (int y = 0; y < 50; ++y) {
        EXPECT_EQ(atOffset.At(9, y), kWhite) << y;
        EXPECT_EQ(atOffset.At(10 + 39, y), kWhite) << y;
    }
}

TEST_F(Container, VisibleHidesAndShowsTheActiveForm) {
    Attach();
    ASSERT_EQ(Verb(OLEIVERB_INPLACEACTIVATE), S_OK);
    HWND form = Form();
    ASSERT_NE(form, nullptr);
    POINT inside{20 + 33, 20 + 31};  // the panel
    EXPECT_TRUE(Visible());
    EXPECT_TRUE(IsWindowVisible(form));
    EXPECT_EQ(FramePixel(inside.x, inside.y), kGreen);

    EXPECT_EQ(ctrl->put_Visible(VARIANT_FALSE), S_OK);
    EXPECT_FALSE(Visible());
    EXPECT_FALSE(IsWindowVisible(form));
    EXPECT_EQ(FramePixel(inside.x, inside.y), GetSysColor(COLOR_WINDOW));

    EXPECT_EQ(ctrl->put_Visible(VARIANT_TRUE), S_OK);
    EXPECT_TRUE(Visible());
    EXPECT_TRUE(IsWindowVisible(form));
    EXPECT_EQ(FramePixel(inside.x, inside.y), kGreen);

    // The container's verbs do the same.
    EXPECT_EQ(Verb(OLEIVERB_HIDE), S_OK);
    EXPECT_FALSE(Visible());
    EXPECT_FALSE(IsWindowVisible(form));
    EXPECT_EQ(Verb(OLEIVERB_SHOW), S_OK);
    EXPECT_TRUE(Visible());
    EXPECT_TRUE(IsWindowVisible(form));
    EXPECT_EQ(Form(), form);
    // Showing and hiding is no activation of the form.
    EXPECT_FALSE(Active());
}

TEST_F(Container, FormEventsArriveInTheOrderTheContainerCausesThem) {
    Attach();
    ASSERT_EQ(Verb(OLEIVERB_INPLACEACTIVATE), S_OK);
    HWND form = Form();
    ASSERT_NE(form, nullptr);
    EXPECT_FALSE(Active());

    // The user clicks the form: the container hears of it, the form is
    // the active one.
    SendMessageW(form, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageW(form, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_TRUE(Active());
    // The container activates another object.
    EXPECT_EQ(inPlace->UIDeactivate(), S_OK);
    EXPECT_FALSE(Active());
    EXPECT_TRUE(IsWindowVisible(form));
    // Activated again by the container, then closed while active.
    EXPECT_EQ(Verb(OLEIVERB_UIACTIVATE), S_OK);
    EXPECT_TRUE(Active());
    EXPECT_EQ(ole->Close(OLECLOSE_NOSAVE), S_OK);
    EXPECT_FALSE(IsWindow(form));
    EXPECT_FALSE(Active());
    Release();

    // The form was made before anyone could listen: its creation is never
    // heard; its end is.
    EXPECT_EQ(log, (Log{"CanInPlaceActivate", "OnInPlaceActivate",                         //
                        "OnUIActivate", "frame active LinkorCtrl", "event 1",              // click
                        "event 6", "frame active none", "OnUIDeactivate",                   // other object
                        "OnUIActivate", "frame active LinkorCtrl", "event 1",              // verb
                        "event 6", "frame active none", "OnUIDeactivate", "OnInPlaceDeactivate",  // close
                        "event 5"}));
    EXPECT_EQ(site->Refs(), 1);
    EXPECT_EQ(frame->Refs(), 1);
}

// A container that closes the control and asks it to be saved keeps what
// was changed in it: the control asks its site to save it, by the OLE rules
// without asking the user, and tells the container's sinks it has closed.
TEST_F(Container, ClosingSavesAChangedControlThroughItsSiteWhenAsked) {
    const wchar_t kChanged[] = L"Linkor na formulári";
    struct Case {
        DWORD option;
        bool changed;
        bool saved;
    } cases[] = {
        {OLECLOSE_SAVEIFDIRTY, true, true},
        {OLECLOSE_PROMPTSAVE, true, true},
        {OLECLOSE_NOSAVE, true, false},
        {OLECLOSE_SAVEIFDIRTY, false, false},
        {OLECLOSE_PROMPTSAVE, false, false},
    };
    for (const Case& c : cases) {
        ILinkor* control = nullptr;
        ASSERT_EQ(vx::test::NewLinkor(module_, &control), S_OK);
        IOleObject* obj = nullptr;
        ASSERT_EQ(control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&obj)), S_OK);
        Log heard;
        Site s(hwnd, *frame, heard);
        s.Object = control;
        ObjectSink sink(heard);
        ASSERT_EQ(obj->SetClientSite(&s), S_OK);
        DWORD cookie = 0;
        ASSERT_EQ(obj->Advise(&sink, &cookie), S_OK);
        ASSERT_EQ(obj->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &s, 0, hwnd, &s.Pos), S_OK);
        HWND form = nullptr;
        IOleInPlaceObject* ip = nullptr;
        ASSERT_EQ(control->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&ip)), S_OK);
        ASSERT_EQ(ip->GetWindow(&form), S_OK);
        if (c.changed) {
            BSTR text = SysAllocString(kChanged);
            EXPECT_EQ(control->put_Caption(text), S_OK);
            SysFreeString(text);
        }
        heard.clear();
        EXPECT_EQ(obj->Close(c.option), S_OK) << c.option;
        EXPECT_FALSE(IsWindow(form)) << c.option;
        Log expected{"OnInPlaceDeactivate"};
        if (c.saved) expected.push_back("SaveObject");
        expected.push_back("OnClose");
        EXPECT_EQ(heard, expected) << c.option;
        // No question box of the control's own came up.
        EXPECT_EQ(FindWindowW(L"#32770", nullptr), nullptr) << c.option;
        if (c.saved) {
            // What the container keeps holds the change, and the control is
            // clean again.
            IPersistStreamInit* p = nullptr;
            ASSERT_EQ(control->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&p)), S_OK);
            EXPECT_EQ(p->IsDirty(), S_FALSE);
            p->Release();
            ILinkor* again = nullptr;
            ASSERT_EQ(vx::test::NewLinkor(module_, &again), S_OK);
            ASSERT_EQ(again->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&p)), S_OK);
            EXPECT_EQ(vx::test::LoadStream(p, s.Saved), S_OK);
            p->Release();
            BSTR caption = nullptr;
            EXPECT_EQ(again->get_Caption(&caption), S_OK);
            EXPECT_STREQ(caption, kChanged);
            SysFreeString(caption);
            again->Release();
        }
        EXPECT_EQ(obj->Unadvise(cookie), S_OK);
        ip->Release();
        obj->SetClientSite(nullptr);
        obj->Release();
        control->Release();
        EXPECT_EQ(sink.Refs(), 1);
        EXPECT_EQ(s.Refs(), 1);
    }
}

TEST_F(Container, ReleasingAnActiveControlTakesItsFormAway) {
    Attach();
    ASSERT_EQ(Verb(OLEIVERB_UIACTIVATE), S_OK);
    HWND form = Form();
    ASSERT_NE(form, nullptr);
    LetGo();
    EXPECT_FALSE(IsWindow(form));
    EXPECT_EQ(log, (Log{"CanInPlaceActivate", "OnInPlaceActivate", "OnUIActivate", "frame active LinkorCtrl",
                        "event 1", "event 6", "frame active none", "OnUIDeactivate", "OnInPlaceDeactivate",
                        "event 5"}));
    EXPECT_EQ(site->Refs(), 1);
}

TEST_F(Container, BareClientSiteAsTheMonitorGivesGetsNoWindow) {
    Site bare(hwnd, *frame, log, false);
    Attach(static_cast<IOleClientSite*>(&bare));
    for (LONG verb : {OLEIVERB_INPLACEACTIVATE, OLEIVERB_UIACTIVATE, OLEIVERB_SHOW}) {
        EXPECT_TRUE(FAILED(ole->DoVerb(verb, nullptr, &bare, 0, hwnd, &bare.Pos))) << verb;
        EXPECT_EQ(Form(), nullptr);
    }
    EXPECT_EQ(FindWindowExW(hwnd, nullptr, nullptr, nullptr), nullptr);
    EXPECT_FALSE(Active());
    EXPECT_TRUE(log.empty());
    Release();
    EXPECT_EQ(log, Log{"event 5"});
    EXPECT_EQ(bare.Refs(), 1);
}

TEST_F(Container, VerbsTheControlDoesNotKnow) {
    Attach();
    struct Case {
        LONG verb;
        HRESULT result;
        bool frameShown;
    } cases[] = {
        {OLEIVERB_PRIMARY, S_OK, true},
        {OLEIVERB_PROPERTIES, S_OK, true},
        // A verb of the object's own that it does not know runs its primary verb.
        {1, OLEOBJ_S_INVALIDVERB, true},
        {7, OLEOBJ_S_INVALIDVERB, true},
        // One of OLE's that it does not know is not implemented and does nothing.
        {-8, E_NOTIMPL, false},
        {-100, E_NOTIMPL, false},
        {OLEIVERB_OPEN, E_NOTIMPL, false},
        {OLEIVERB_DISCARDUNDOSTATE, S_OK, false},
    };
    for (const Case& c : cases) {
        log.clear();
        EXPECT_EQ(Verb(c.verb), c.result) << c.verb;
        EXPECT_EQ(log, c.frameShown ? Log{"ShowPropertyFrame"} : Log{}) << c.verb;
        EXPECT_EQ(Form(), nullptr) << c.verb;
    }
}


// A container that asks for the form before it has given the control a
// site: nothing to place the form in, a failure, and nothing shown.
TEST_F(Container, VerbsBeforeAnySiteFailWithoutAWindow) {
    for (LONG verb : {OLEIVERB_INPLACEACTIVATE, OLEIVERB_SHOW, OLEIVERB_UIACTIVATE}) {
        EXPECT_EQ(ole->DoVerb(verb, nullptr, nullptr, 0, hwnd, &site->Pos), E_UNEXPECTED) << verb;
        EXPECT_EQ(Form(), nullptr) << verb;
        EXPECT_FALSE(FormLeft()) << verb;
        EXPECT_FALSE(Active()) << verb;
    }
    // Given its site afterwards, the control is placed as usual.
    Attach();
    EXPECT_TRUE(log.empty());
    ASSERT_EQ(Verb(OLEIVERB_UIACTIVATE), S_OK);
    EXPECT_NE(Form(), nullptr);
    EXPECT_TRUE(Active());
}

// Sites that refuse the activation or cannot give what it needs: the verb
// fails, no form is left in the container's window, a site that was told
// of the activation is told of its end, and what the site gave is given
// back. The same site, mended, then gets the form.
TEST_F(Container, SitesThatRefuseOrLackThingsGetAFailureAndNoForm) {
    struct Case {
        const char* name;
        std::function<void(Site&)> spoil;
        Log heard;
    } cases[] = {
        {"refuses", [](Site& s) { s.CanActivate = S_FALSE; }, {"CanInPlaceActivate"}},
        {"cannot answer", [](Site& s) { s.CanActivate = E_UNEXPECTED; }, {"CanInPlaceActivate"}},
        {"no window", [](Site& s) { s.WindowResult = E_FAIL; },
         {"CanInPlaceActivate", "OnInPlaceActivate", "OnInPlaceDeactivate"}},
        {"null window", [](Site& s) { s.NoParent = true; },
         {"CanInPlaceActivate", "OnInPlaceActivate", "OnInPlaceDeactivate"}},
        {"no context", [](Site& s) { s.ContextResult = E_FAIL; },
         {"CanInPlaceActivate", "OnInPlaceActivate", "OnInPlaceDeactivate"}},
    };
    for (const Case& c : cases) {
        for (LONG verb : {OLEIVERB_INPLACEACTIVATE, OLEIVERB_SHOW, OLEIVERB_UIACTIVATE}) {
            Renew();
            c.spoil(*site);
            Attach();
            EXPECT_TRUE(FAILED(Verb(verb))) << c.name << " " << verb;
            EXPECT_EQ(log, c.heard) << c.name << " " << verb;
            EXPECT_EQ(Form(), nullptr) << c.name << " " << verb;
            EXPECT_FALSE(FormLeft()) << c.name << " " << verb;
            EXPECT_FALSE(Active()) << c.name << " " << verb;
            EXPECT_EQ(frame->Refs(), 1) << c.name << " " << verb;

            log.clear();
            site->Mend();
            ASSERT_EQ(Verb(verb), S_OK) << c.name << " " << verb;
            EXPECT_NE(Form(), nullptr) << c.name << " " << verb;
            Release();
            EXPECT_FALSE(FormLeft()) << c.name << " " << verb;
            EXPECT_EQ(site->Refs(), 1) << c.name << " " << verb;
            EXPECT_EQ(frame->Refs(), 1) << c.name << " " << verb;
        }
    }
}


// Containers repeat verbs and move sites that are not active: one form,
// each notification once.
TEST_F(Container, RepeatedVerbsAndMovesWhileInactiveKeepOneForm) {
    Attach();
    // Moved before it has a form: nothing to move, nothing made, and the
    // form later stands where the site puts it.
    RECT early{150, 80, 189, 118}, clip{0, 0, 300, 150};
    EXPECT_EQ(inPlace->SetObjectRects(&early, &clip), S_OK);
    EXPECT_EQ(inPlace->SetObjectRects(nullptr, &clip), E_POINTER);
    EXPECT_EQ(Form(), nullptr);
    EXPECT_FALSE(FormLeft());
    EXPECT_TRUE(log.empty());

    // The verb's own rectangle is no matter: the site's window context
    // places the form.
    ASSERT_EQ(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, hwnd, nullptr), S_OK);
    HWND form = Form();
    ASSERT_NE(form, nullptr);
    RECT r;
    GetWindowRect(form, &r);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 20);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(Verb(OLEIVERB_UIACTIVATE), S_OK);
    EXPECT_EQ(Verb(OLEIVERB_UIACTIVATE), S_OK);
    EXPECT_EQ(Verb(OLEIVERB_INPLACEACTIVATE), S_OK);
    EXPECT_EQ(Form(), form);
    EXPECT_TRUE(Active());
    // Moved without a clip rectangle.
    RECT moved{100, 50, 139, 88};
    EXPECT_EQ(inPlace->SetObjectRects(&moved, nullptr), S_OK);
    GetWindowRect(form, &r);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 50);
    EXPECT_EQ(inPlace->SetObjectRects(nullptr, nullptr), E_POINTER);

    // Hidden while active, then shown again: the same form, deactivated once.
    EXPECT_EQ(Verb(OLEIVERB_HIDE), S_OK);
    EXPECT_EQ(Verb(OLEIVERB_HIDE), S_OK);
    EXPECT_FALSE(IsWindowVisible(form));
    EXPECT_FALSE(Active());
    EXPECT_EQ(Verb(OLEIVERB_SHOW), S_OK);
    EXPECT_TRUE(IsWindowVisible(form));
    EXPECT_EQ(Form(), form);
    EXPECT_EQ(FindWindowExW(hwnd, form, L"LinkorForm", nullptr), nullptr);
    EXPECT_EQ(inPlace->UIDeactivate(), S_OK);
    EXPECT_EQ(log, (Log{"CanInPlaceActivate", "OnInPlaceActivate", "OnUIActivate", "frame active LinkorCtrl",
                        "event 1", "event 6", "frame active none", "OnUIDeactivate"}));
}

// However a container ends an active form, it is gone and the site hears,
// once each and in order, that the user interface and then the in-place
// activation ended; the form's end is raised once when the control goes.
TEST_F(Container, EveryWayOfEndingAnActiveFormTellsTheSiteOnceInOrder) {
    struct Case {
        const char* name;
        std::function<void()> end;
    } cases[] = {
        {"InPlaceDeactivate", [this] { EXPECT_EQ(inPlace->InPlaceDeactivate(), S_OK); }},
        {"Close", [this] { EXPECT_EQ(ole->Close(OLECLOSE_NOSAVE), S_OK); }},
        {"SetClientSite(NULL)", [this] { EXPECT_EQ(ole->SetClientSite(nullptr), S_OK); }},
        {"final Release", [this] { LetGo(); }},
    };
    for (const Case& c : cases) {
        Renew();
        Attach();
        ASSERT_EQ(Verb(OLEIVERB_UIACTIVATE), S_OK) << c.name;
        HWND form = Form();
        ASSERT_NE(form, nullptr) << c.name;
        log.clear();
        c.end();
        EXPECT_FALSE(IsWindow(form)) << c.name;
        EXPECT_FALSE(FormLeft()) << c.name;
        if (ctrl) {
            EXPECT_FALSE(Active()) << c.name;
        }
        EXPECT_EQ(frame->Active, nullptr) << c.name;
        Release();
        EXPECT_EQ(log, (Log{"event 6", "frame active none", "OnUIDeactivate", "OnInPlaceDeactivate", "event 5"}))
            << c.name;
        EXPECT_EQ(site->Refs(), 1) << c.name;
        EXPECT_EQ(frame->Refs(), 1) << c.name;
    }
}

// A host whose handler of the form's activation or deactivation, or a site
// whose notification of the form's deactivation, lets go of the control or
// ends its activation itself, as script hosts and containers do.
// A container that lets go of the control from its site's save, as one
// that drops a closed document's objects once they are stored: the save
// holds the change, the container's sinks hear the close, and the control
// goes only once the close has returned.
TEST_F(Container, ASiteThatLetsGoOfTheControlWhileSavingItClosesItFirst) {
    Attach();
    site->Object = ctrl;
    ObjectSink sink(log);
    DWORD cookie = 0;
    ASSERT_EQ(ole->Advise(&sink, &cookie), S_OK);
    ASSERT_EQ(Verb(OLEIVERB_INPLACEACTIVATE), S_OK);
    const HWND form = Form();
    ASSERT_NE(form, nullptr);
    BSTR text = SysAllocString(L"Linkor v dokumente");
    ASSERT_EQ(ctrl->put_Caption(text), S_OK);
    SysFreeString(text);
    bool inClose = false, goneInClose = false;
    site->OnHeard = [&](const std::string& heard) {
        if (heard == "SaveObject") LetGo();
        if (heard == "event 5" && inClose) goneInClose = true;
    };
    IOleObject* closing = ole;
    log.clear();
    inClose = true;
    EXPECT_EQ(closing->Close(OLECLOSE_SAVEIFDIRTY), S_OK);
    inClose = false;
    EXPECT_FALSE(goneInClose);
    Pump();  // the control let go of in the close goes from the message loop
    EXPECT_FALSE(IsWindow(form));
    EXPECT_FALSE(FormLeft());
    EXPECT_EQ(log, (Log{"OnInPlaceDeactivate", "SaveObject", "OnClose", "event 5"}));
    EXPECT_NE(site->Saved.find("Linkor v dokumente"), std::string::npos);
    EXPECT_EQ(sink.Refs(), 1);
    EXPECT_EQ(site->Refs(), 1);
}

TEST_F(Container, HandlersThatReleaseOrDeactivateTheControlAgain) {
    enum Action { kRelease, kUIDeactivate, kInPlaceDeactivate, kClose, kDropSite, kReactivate };
    const char* names[] = {"release", "UIDeactivate", "InPlaceDeactivate", "Close", "SetClientSite(NULL)",
                           "UIACTIVATE"};
    for (std::string on : {"event 1", "event 6", "OnUIDeactivate", "OnInPlaceDeactivate"}) {
        for (Action what : {kRelease, kUIDeactivate, kInPlaceDeactivate, kClose, kDropSite, kReactivate}) {
            std::string name = on + ": " + names[what];
            Renew();
            Attach();
            bool handled = false;
            HRESULT inHandler = S_OK;
            // The control goes only once the container's call into it has
            // returned, not under its own feet.
            bool inCall = false;
            site->OnHeard = [&](const std::string& heard) {
                if (heard == "event 5") {
                    EXPECT_FALSE(inCall) << name;
                }
                if (heard != on || handled) return;
                handled = true;
                switch (what) {
                    case kRelease: LetGo(); break;
                    case kUIDeactivate: inHandler = inPlace->UIDeactivate(); break;
                    case kInPlaceDeactivate: inHandler = inPlace->InPlaceDeactivate(); break;
                    case kClose: inHandler = ole->Close(OLECLOSE_NOSAVE); break;
                    case kDropSite: inHandler = ole->SetClientSite(nullptr); break;
                    case kReactivate: inHandler = Verb(OLEIVERB_UIACTIVATE); break;
                }
            };
            inCall = true;
            EXPECT_EQ(Verb(OLEIVERB_UIACTIVATE), S_OK) << name;
            if (inPlace) {
                EXPECT_EQ(inPlace->InPlaceDeactivate(), S_OK) << name;
            }
            inCall = false;
            EXPECT_TRUE(handled) << name;
            // Reactivating a form while it is taken away is refused; anything
            // else the handler asks for succeeds.
            if (on != "event 1" && what == kReactivate) {
                EXPECT_TRUE(FAILED(inHandler)) << name;
            } else {
                EXPECT_EQ(inHandler, S_OK) << name;
            }
            Release();
            Pump();  // a control let go of in its handler goes from the message loop
            EXPECT_FALSE(FormLeft()) << name;
            EXPECT_EQ(frame->Active, nullptr) << name;
            EXPECT_EQ(log, (Log{"CanInPlaceActivate", "OnInPlaceActivate", "OnUIActivate", "frame active LinkorCtrl",
                                "event 1", "event 6", "frame active none", "OnUIDeactivate", "OnInPlaceDeactivate",
                                "event 5"}))
                << name;
            EXPECT_EQ(site->Refs(), 1) << name;
            EXPECT_EQ(frame->Refs(), 1) << name;
        }
    }
}

// Draw asked for what it cannot do answers so and leaves the page as it
// was; into a metafile it records the form, which played back shows the
// panel and its telephone.
TEST_F(Container, DrawRefusesWhatItCannotDrawAndRecordsIntoAMetafile) {
    Attach();
    IViewObject* view = nullptr;
    ASSERT_EQ(ctrl->QueryInterface(IID_IViewObject, reinterpret_cast<void**>(&view)), S_OK);
    Page page(60, 50);
    HDC mem = page.Dc();
    const RECTL form{10, 5, 10 + 39, 5 + 38}, empty{10, 5, 10, 5}, flat{10, 5, 49, 5};
    struct Case {
        const char* name;
        LONG lindex;
        HDC dc;
        const RECTL* bounds;
        HRESULT result;
    } cases[] = {
        {"no bounds", -1, mem, nullptr, E_INVALIDARG},
        {"no device context", -1, nullptr, &form, E_INVALIDARG},
        {"lindex 0", 0, mem, &form, DV_E_LINDEX},
        {"lindex 1", 1, mem, &form, DV_E_LINDEX},
        {"empty bounds", -1, mem, &empty, S_OK},
        {"flat bounds", -1, mem, &flat, S_OK},
    };
    for (const Case& c : cases) {
        page.Clear();
        EXPECT_EQ(view->Draw(DVASPECT_CONTENT, c.lindex, nullptr, nullptr, nullptr, c.dc, c.bounds, nullptr, nullptr,
                             0),
                  c.result)
            << c.name;
        Picture p = page.Read();
        EXPECT_EQ(std::count(p.pixels.begin(), p.pixels.end(), kWhite), 60 * 50) << c.name;
    }
    // The same page drawn on as asked.
    page.Clear();
    RECTL at{0, 0, 39, 38};
    ASSERT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, mem, &at, nullptr, nullptr, 0), S_OK);
    ASSERT_EQ(GetPixel(mem, 3 + 4 + 12, 3 + 4 + 17), kWhite);

    HDC meta = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(meta, nullptr);
    EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, meta, &at, nullptr, nullptr, 0), S_OK);
    HENHMETAFILE recorded = CloseEnhMetaFile(meta);
    ASSERT_NE(recorded, nullptr);
    page.Clear();
    RECT played{0, 0, 39, 38};
    EXPECT_TRUE(PlayEnhMetaFile(mem, recorded, &played));
    DeleteEnhMetaFile(recorded);
    Picture back = page.Read();
    EXPECT_EQ(back.At(33, 31), kGreen);
    EXPECT_EQ(back.At(3 + 4 + 12, 3 + 4 + 17), kWhite);
    EXPECT_EQ(back.At(3 + 4 + 2, 3 + 4 + 19), kOutline);
    EXPECT_EQ(back.At(3 + 4, 3 + 4), kGreen);
    view->Release();
}


// A host whose window context has no frame, as a bare script host's: the
// form is placed and activated all the same, with nobody to tell of its
// active object.
TEST_F(Container, SiteWithoutAFrameGetsTheFormAllTheSame) {
    site->NoFrame = true;
    Attach();
    ASSERT_EQ(Verb(OLEIVERB_UIACTIVATE), S_OK);
    HWND form = Form();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(IsWindowVisible(form));
    EXPECT_TRUE(Active());
    EXPECT_EQ(OnScreen(form).At(33, 31), kGreen);
    EXPECT_EQ(inPlace->InPlaceDeactivate(), S_OK);
    EXPECT_FALSE(IsWindow(form));
    EXPECT_EQ(log, (Log{"CanInPlaceActivate", "OnInPlaceActivate", "OnUIActivate", "event 1", "event 6",
                        "OnUIDeactivate", "OnInPlaceDeactivate"}));
    EXPECT_EQ(frame->Refs(), 1);
}


// A container that lets go of the control, unloads its file and loads it
// again at another address: every window class of the file is its own, and
// goes with it, so the windows of the next load get the next load's code.
// Run in a process of its own: nothing else may hold the file.
class ContainerReload : public Container {};

std::string Meno(const wchar_t* t) { return std::string(t, t + wcslen(t)); }

TEST_F(ContainerReload, TheControlUnloadedAndLoadedElsewhereMakesItsFormAndWindowsEachTime) {
    const wchar_t* const triedy[] = {L"LinkorForm", L"VestrixCapiHandOver", L"VxCapiSoundWindow",
                                     L"VxWaveNotifyWindow"};
    std::vector<void*> reserved;
    for (int kolo = 0; kolo < 3; ++kolo) {
        SCOPED_TRACE("load " + std::to_string(kolo + 1));
        Attach();
        ASSERT_EQ(Verb(OLEIVERB_INPLACEACTIVATE), S_OK);
        ASSERT_NE(Form(), nullptr);
        ASSERT_EQ(ctrl->put_PhoneConversation(VARIANT_TRUE), S_OK);
        Pump();
        for (const wchar_t* t : triedy) {
            HWND w = t == triedy[0] ? Form() : FindWindowExW(HWND_MESSAGE, nullptr, t, nullptr);
            ASSERT_NE(w, nullptr) << "no window of " << Meno(t);
            EXPECT_EQ(reinterpret_cast<HMODULE>(GetClassLongPtrW(w, GCLP_HMODULE)), module_) << Meno(t);
        }
        Release();
        Pump();  // a destruction put off until the message loop
        EXPECT_EQ(vx::test::CallExport(module_, "DllCanUnloadNow"), S_OK);

        HMODULE stary = module_;
        auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(stary);
        auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(reinterpret_cast<BYTE*>(stary) + dos->e_lfanew);
        SIZE_T velkost = nt->OptionalHeader.SizeOfImage;
        ASSERT_TRUE(FreeLibrary(stary));
        module_ = nullptr;
        ASSERT_EQ(GetModuleHandleW(vx::test::OcxPath().c_str()), nullptr) << "the file stayed loaded";
        for (const wchar_t* t : triedy) {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof wc;
            EXPECT_FALSE(GetClassInfoExW(stary, t, &wc)) << Meno(t);
            EXPECT_FALSE(GetClassInfoExW(GetModuleHandleW(nullptr), t, &wc)) << Meno(t);
        }
        // Its old place taken: the next load goes elsewhere.
        void* miesto = VirtualAlloc(stary, velkost, MEM_RESERVE, PAGE_NOACCESS);
        ASSERT_NE(miesto, nullptr);
        reserved.push_back(miesto);
        module_ = LoadLibraryW(vx::test::OcxPath().c_str());
        ASSERT_NE(module_, nullptr);
        ASSERT_NE(module_, stary);
        Renew();
    }
    Release();
    Pump();
    for (void* r : reserved) VirtualFree(r, 0, MEM_RELEASE);
}

}  // namespace
