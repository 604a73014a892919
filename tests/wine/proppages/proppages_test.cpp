// The Linkor control's property pages and about box under Wine, driven as
// a property frame and a user drive them: pages created by class identifier
// from the registered LINKOR.OCX, given a control, activated on a window,
// read, edited and applied; the about box opened through ILinkor, read and
// closed; its links against the registry's open commands, with a recorder
// in place of the browser and the mail program, and a stand-in for Windows
// Help.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <ocidl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "capictrl/core/proppages.h"
#include "capictrl/win32/abox.h"
#include "linkor_idl.h"
#include "tests/wine/linkor_registered.h"

namespace {

using namespace vx;

std::wstring Upper(std::wstring s) {
    for (auto& c : s) c = towupper(c);
    return s;
}

CLSID Clsid(const wchar_t* text) {
    CLSID c{};
    CLSIDFromString(const_cast<LPOLESTR>(text), &c);
    return c;
}
const CLSID kOperation = Clsid(L"{4B2A64A0-C2C3-482C-8D2F-930AFF829E9C}");
const CLSID kSystem = Clsid(L"{D366E837-3BB7-4760-9574-B808A3B9518F}");
const CLSID kFormats = Clsid(L"{2EFBF31F-B611-4CA9-BFFA-291CB0FB909E}");

int Dpi() {
    HDC dc = GetDC(nullptr);
    int d = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return d;
}
// Pixels designed at 120 per inch on this screen.
int Scaled(int px) { return MulDiv(px, Dpi(), 120); }

std::wstring TextOf(HWND h) {
    wchar_t buf[2048];
    int n = GetWindowTextW(h, buf, 2048);
    return std::wstring(buf, n > 0 ? n : 0);
}

std::vector<std::wstring> ItemsOf(HWND list) {
    std::vector<std::wstring> out;
    LRESULT n = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        wchar_t buf[256] = {0};
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf));
        out.push_back(buf);
    }
    return out;
}

int SelectionOf(HWND list) { return static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)); }
bool Shown(HWND h) { return (GetWindowLongPtrW(h, GWL_STYLE) & WS_VISIBLE) != 0; }
bool Checked(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// What the user does: a click, typing over an edit's text, arrow keys in a list.
void Click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }
void Type(HWND edit, const std::wstring& text) {
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, WM_CHAR, VK_BACK, 0);
    for (wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 0);
}
void Key(HWND h, UINT vk) {
    SendMessageW(h, WM_KEYDOWN, vk, 1);
    SendMessageW(h, WM_KEYUP, vk, 0xC0000001);
}

std::wstring ErrorDescription() {
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || !info) return L"";
    BSTR d = nullptr;
    info->GetDescription(&d);
    std::wstring s = d ? std::wstring(d, SysStringLen(d)) : L"";
    SysFreeString(d);
    info->Release();
    return s;
}

std::wstring BstrText(BSTR b) {
    std::wstring s = b ? std::wstring(b, SysStringLen(b)) : L"";
    SysFreeString(b);
    return s;
}

// The frame's side of a page.
class Site : public IPropertyPageSite {
public:
    std::vector<DWORD> Status;
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPropertyPageSite)) {
            *ppv = static_cast<IPropertyPageSite*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override { return InterlockedDecrement(&refs_); }
    STDMETHODIMP OnStatusChange(DWORD flags) override {
        Status.push_back(flags);
        return S_OK;
    }
    STDMETHODIMP GetLocaleID(LCID* lcid) override {
        *lcid = LOCALE_USER_DEFAULT;
        return S_OK;
    }
    STDMETHODIMP GetPageContainer(IUnknown** u) override {
        *u = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP TranslateAccelerator(MSG*) override { return S_FALSE; }
    LONG Refs() const { return refs_; }

private:
    LONG refs_ = 1;
};

// A host's listener for the control's property changes.
class NotifySink : public IPropertyNotifySink {
public:
    std::vector<DISPID> Changed;
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPropertyNotifySink)) {
            *ppv = static_cast<IPropertyNotifySink*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP OnChanged(DISPID id) override {
        Changed.push_back(id);
        return S_OK;
    }
    STDMETHODIMP OnRequestEdit(DISPID) override { return S_OK; }
};

// Stands in for Windows Help: WinHelp hands each request to the window of
// class "MS_WINHELP" as WM_COPYDATA.
class HelpRecorder {
public:
    struct Request {
        UINT command;
        LONG data;
        std::wstring file;
    };
    static std::vector<Request>& Requests() {
        static std::vector<Request> r;
        return r;
    }
    HelpRecorder() {
        static bool registered = false;
        if (!registered) {
            WNDCLASSA wc{};
            wc.lpfnWndProc = Proc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = "MS_WINHELP";
            registered = RegisterClassA(&wc) != 0;
        }
        Requests().clear();
        hwnd_ = CreateWindowExA(0, "MS_WINHELP", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    }
    ~HelpRecorder() {
        if (hwnd_) DestroyWindow(hwnd_);
    }
    bool Ready() const { return hwnd_ != nullptr; }

private:
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_COPYDATA) {
            auto* cds = reinterpret_cast<COPYDATASTRUCT*>(lp);
            if (cds->dwData == 0xA1DE505 && cds->cbData >= 16) {
                const BYTE* b = static_cast<const BYTE*>(cds->lpData);
                Request r;
                r.command = *reinterpret_cast<const WORD*>(b + 2);
                r.data = *reinterpret_cast<const LONG*>(b + 4);
                WORD ofs = *reinterpret_cast<const WORD*>(b + 12);
                std::string file = ofs && ofs < cds->cbData ? reinterpret_cast<const char*>(b + ofs) : "";
                r.file.assign(file.begin(), file.end());
                Requests().push_back(r);
            }
            return TRUE;
        }
        return DefWindowProcA(h, msg, wp, lp);
    }
    HWND hwnd_ = nullptr;
};

// One page as a frame holds it.
class Page {
public:
    Page(const CLSID& clsid, IUnknown* object, IPropertyPageSite* site) {
        EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage,
                                   reinterpret_cast<void**>(&page_)),
                  S_OK);
        if (!page_) return;
        page_->SetPageSite(site);
        if (object) {
            EXPECT_EQ(page_->SetObjects(1, &object), S_OK);
        }
        PROPPAGEINFO info{};
        info.cb = sizeof info;
        page_->GetPageInfo(&info);
        title_ = info.pszTitle ? info.pszTitle : L"";
        CoTaskMemFree(info.pszTitle);
    }
    ~Page() {
        if (!page_) return;
        page_->Deactivate();
        page_->SetObjects(0, nullptr);
        page_->SetPageSite(nullptr);
        page_->Release();
    }
    IPropertyPage* operator->() { return page_; }
    explicit operator bool() const { return page_ != nullptr; }

    HRESULT Activate(HWND parent) {
        RECT r{0, 0, Scaled(469), Scaled(456)};
        HRESULT hr = page_->Activate(parent, &r, FALSE);
        page_->Show(SW_SHOW);
        // The page's form among the frame's child windows, by its caption.
        hwnd_ = nullptr;
        for (HWND c = FindWindowExW(parent, nullptr, nullptr, nullptr); c;
             c = FindWindowExW(parent, c, nullptr, nullptr)) {
            if (TextOf(c) == title_) hwnd_ = c;
        }
        return hr;
    }
    HWND Form() const { return hwnd_; }
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    std::wstring Text(int id) const { return TextOf(Item(id)); }

private:
    IPropertyPage* page_ = nullptr;
    std::wstring title_;
    HWND hwnd_ = nullptr;
};

class LinkorPages : public test::RegisteredLinkor {
protected:
    static void SetUpTestSuite() {
        RegisteredLinkor::SetUpTestSuite();
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VxTestFrame";
        RegisterClassW(&wc);
    }
    static void TearDownTestSuite() {
        Call("DllUnregisterServer");
        RegisteredLinkor::TearDownTestSuite();
    }
    void SetUp() override {
        RegisteredLinkor::SetUp();
        if (HasFatalFailure()) return;
        frame_ = CreateWindowExW(0, L"VxTestFrame", L"Frame", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                                 Scaled(520), Scaled(520), nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(frame_, nullptr);
    }
    void TearDown() override {
        if (frame_) DestroyWindow(frame_);
    }
    static std::wstring OcxDir() {
        std::wstring p = ModulePath();
        return p.substr(0, p.rfind(L'\\') + 1);
    }
    HWND frame_ = nullptr;
};

// ---------------------------------------------------------------- page objects

TEST_F(LinkorPages, EachPageClassHasItsFactoryAndGivesTitleAndDesignedSize) {
    auto get = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
        reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
    ASSERT_NE(get, nullptr);
    struct Row {
        CLSID clsid;
        const wchar_t* title;
    } rows[] = {{kOperation, L"Operation"}, {kSystem, L"System"}, {kFormats, L"Formats"}};
    for (const auto& r : rows) {
        IClassFactory* f = nullptr;
        ASSERT_EQ(get(r.clsid, IID_IClassFactory, reinterpret_cast<void**>(&f)), S_OK) << r.title;
        void* p = reinterpret_cast<void*>(1);
        EXPECT_EQ(f->CreateInstance(reinterpret_cast<IUnknown*>(f), IID_IUnknown, &p), CLASS_E_NOAGGREGATION);
        EXPECT_EQ(p, nullptr);
        IPropertyPage2* page = nullptr;
        ASSERT_EQ(f->CreateInstance(nullptr, IID_IPropertyPage2, reinterpret_cast<void**>(&page)), S_OK);
        f->Release();
        PROPPAGEINFO info{};
        info.cb = sizeof info;
        ASSERT_EQ(page->GetPageInfo(&info), S_OK);
        EXPECT_STREQ(info.pszTitle, r.title);
        EXPECT_EQ(info.size.cx, Scaled(469));
        EXPECT_EQ(info.size.cy, Scaled(456));
        CoTaskMemFree(info.pszTitle);
        CoTaskMemFree(info.pszDocString);
        CoTaskMemFree(info.pszHelpFile);
        // Help is reached through the page's own button.
        EXPECT_EQ(page->Help(nullptr), E_NOTIMPL);
        EXPECT_EQ(page->IsPageDirty(), S_FALSE);
        page->Release();
    }
}

TEST_F(LinkorPages, LivePagesAndLockedPageFactoriesKeepTheFileLoaded) {
    CoFreeUnusedLibraries();
    ASSERT_EQ(Call("DllCanUnloadNow"), S_OK);
    IPropertyPage* page = nullptr;
    ASSERT_EQ(CoCreateInstance(kFormats, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage,
                               reinterpret_cast<void**>(&page)),
              S_OK);
    EXPECT_EQ(Call("DllCanUnloadNow"), S_FALSE);
    page->Release();
    EXPECT_EQ(Call("DllCanUnloadNow"), S_OK);
    ExpectLockKeepsTheFileLoaded(kSystem);
}

TEST_F(LinkorPages, ObjectsAreLetGoWhenTheFrameClearsThem) {
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    IPropertyPage* page = nullptr;
    ASSERT_EQ(CoCreateInstance(kOperation, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage,
                               reinterpret_cast<void**>(&page)),
              S_OK);
    IUnknown* obj = c;
    ASSERT_EQ(page->SetObjects(1, &obj), S_OK);
    // A null list is refused, and the objects before it are let go.
    EXPECT_EQ(page->SetObjects(0, nullptr), E_POINTER);
    EXPECT_EQ(c->Release(), 0u);
    page->Release();
}

// ---------------------------------------------------------------- Operation

TEST_F(LinkorPages, OperationPageShowsTheControlsSettingsWithItsCaptions) {
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    c->put_ListenAllCalls(VARIANT_FALSE);
    c->put_AnalogCallsListen(VARIANT_FALSE);
    c->put_ClearCall(VARIANT_TRUE);
    c->put_UpdateClock(VARIANT_FALSE);
    BSTR caller = SysAllocString(L"0905123456");
    BSTR called = SysAllocString(L"0212345678");
    c->put_OriginatorNumber(caller);
    c->put_DestinationNumber(called);
    SysFreeString(caller);
    SysFreeString(called);
    Site site;
    {
        Page p(kOperation, c, &site);
        ASSERT_TRUE(p);
        ASSERT_EQ(p.Activate(frame_), S_OK);
        ASSERT_NE(p.Form(), nullptr);
        EXPECT_TRUE(Shown(p.Form()));
        EXPECT_EQ(GetParent(p.Form()), frame_);
        struct Row {
            int id;
            const wchar_t* caption;
            bool ticked;
        } boxes[] = {
            {kIdPhoneConversation, L"Direct Phone Conversation (no Voice Mail)", false},
            {kIdListenAllCalls, L"Listen to All Calls ", false},
            {kIdAnalogCallsListen, L"Listen to Analog Calls", false},
            {kIdAcceptPhoneCall, L"Accept Phone Call", false},
            {kIdClearCall, L"Clear Call", true},
            {kIdUpdateClock, L"Update Computer Clock on Outgoing Calls", false},
        };
        for (const auto& b : boxes) {
            EXPECT_EQ(p.Text(b.id), b.caption);
            EXPECT_EQ(Checked(p.Item(b.id)), b.ticked) << b.caption;
        }
        EXPECT_TRUE(IsWindowEnabled(p.Item(kIdAnalogCallsListen)));
        EXPECT_EQ(p.Text(kIdLabel1), L"Originator (Caller) Number:");
        EXPECT_EQ(p.Text(kIdLabel2), L"Destination (Called) Number:");
        EXPECT_EQ(p.Text(kIdCallerNumber), L"0905123456");
        EXPECT_EQ(p.Text(kIdCalledNumber), L"0212345678");
        EXPECT_EQ(p.Text(kIdHelpButton), L"Help");
        // Filling the page is no edit.
        EXPECT_EQ(p->IsPageDirty(), S_FALSE);
        EXPECT_TRUE(site.Status.empty());
    }
    c->Release();
}

TEST_F(LinkorPages, ListenAllCallsTicksAndLocksAnalogCalls) {
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    Site site;
    {
        Page p(kOperation, c, &site);
        ASSERT_EQ(p.Activate(frame_), S_OK);
        HWND all = p.Item(kIdListenAllCalls), analog = p.Item(kIdAnalogCallsListen);
        EXPECT_TRUE(Checked(all));
        EXPECT_TRUE(Checked(analog));
        EXPECT_FALSE(IsWindowEnabled(analog));
        Click(all);
        EXPECT_FALSE(Checked(all));
        EXPECT_TRUE(Checked(analog));
        EXPECT_TRUE(IsWindowEnabled(analog));
        ASSERT_FALSE(site.Status.empty());
        EXPECT_EQ(site.Status.back(), static_cast<DWORD>(PROPPAGESTATUS_DIRTY | PROPPAGESTATUS_VALIDATE));
        EXPECT_EQ(p->IsPageDirty(), S_OK);
        Click(analog);
        EXPECT_FALSE(Checked(analog));
        Click(all);
        EXPECT_TRUE(Checked(analog));
        EXPECT_FALSE(IsWindowEnabled(analog));
    }
    c->Release();
}

TEST_F(LinkorPages, ApplyWritesTheOperationPageToTheControlAndTellsItsListeners) {
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    NotifySink sink;
    IConnectionPointContainer* cpc = nullptr;
    ASSERT_EQ(c->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&cpc)), S_OK);
    IConnectionPoint* cp = nullptr;
    ASSERT_EQ(cpc->FindConnectionPoint(IID_IPropertyNotifySink, &cp), S_OK);
    DWORD cookie = 0;
    ASSERT_EQ(cp->Advise(&sink, &cookie), S_OK);
    Site site;
    {
        Page p(kOperation, c, &site);
        ASSERT_EQ(p.Activate(frame_), S_OK);
        Click(p.Item(kIdClearCall));
        Click(p.Item(kIdListenAllCalls));
        Click(p.Item(kIdAnalogCallsListen));
        Click(p.Item(kIdAcceptPhoneCall));
        Type(p.Item(kIdCallerNumber), L"0905 111 222");
        Type(p.Item(kIdCalledNumber), L"+421 2 1234");
        EXPECT_EQ(p->IsPageDirty(), S_OK);
        EXPECT_TRUE(sink.Changed.empty());
        ASSERT_EQ(p->Apply(), S_OK);
        EXPECT_EQ(p->IsPageDirty(), S_FALSE);
        EXPECT_EQ(sink.Changed, std::vector<DISPID>{DISPID_UNKNOWN});
    }
    VARIANT_BOOL b;
    c->get_ClearCall(&b);
    EXPECT_EQ(b, VARIANT_TRUE);
    c->get_ListenAllCalls(&b);
    EXPECT_EQ(b, VARIANT_FALSE);
    c->get_AnalogCallsListen(&b);
    EXPECT_EQ(b, VARIANT_FALSE);
    c->get_AcceptPhoneCall(&b);
    EXPECT_EQ(b, VARIANT_TRUE);
    c->get_PhoneConversation(&b);
    EXPECT_EQ(b, VARIANT_FALSE);
    c->get_UpdateClock(&b);
    EXPECT_EQ(b, VARIANT_TRUE);
    BSTR s = nullptr;
    c->get_OriginatorNumber(&s);
    EXPECT_EQ(BstrText(s), L"0905111222");  // the control normalises it
    c->get_DestinationNumber(&s);
    EXPECT_EQ(BstrText(s), L"004212" L"1234");
    cp->Unadvise(cookie);
    cp->Release();
    cpc->Release();
    c->Release();
}

TEST_F(LinkorPages, EditsMarkThePageDirtyOnlyWhileItIsActive) {
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    Site site;
    {
        Page p(kOperation, c, &site);
        ASSERT_EQ(p.Activate(frame_), S_OK);
        HWND edit = p.Item(kIdCalledNumber);
        Type(edit, L"5");
        EXPECT_EQ(p->IsPageDirty(), S_OK);
        ASSERT_EQ(p->Apply(), S_OK);
        EXPECT_EQ(p->IsPageDirty(), S_FALSE);
        size_t seen = site.Status.size();
        ASSERT_EQ(p->Deactivate(), S_OK);
        EXPECT_FALSE(Shown(p.Form()));
        EXPECT_NE(GetParent(p.Form()), frame_);
        Type(edit, L"6");
        EXPECT_EQ(p->IsPageDirty(), S_FALSE);
        EXPECT_EQ(site.Status.size(), seen);
        // The next activation shows the control again, not the stray edit.
        ASSERT_EQ(p.Activate(frame_), S_OK);
        EXPECT_EQ(p.Text(kIdCalledNumber), L"5");
        EXPECT_EQ(p->IsPageDirty(), S_FALSE);
    }
    c->Release();
}

// ---------------------------------------------------------------- System

TEST_F(LinkorPages, SystemPageShowsTheNumbersInDecimalAndTheSpeakerBuffer) {
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    c->put_SpeakerBuffer(tpFASTTALK);
    c->put_CalledPartyNumberByte0(161);
    c->put_NumberDataBuffers(5);
    BSTR two = SysAllocString(L"2");
    c->put_MaxLogicalConnections(two);
    SysFreeString(two);
    Site site;
    {
        Page p(kSystem, c, &site);
        ASSERT_EQ(p.Activate(frame_), S_OK);
        struct Row {
            int id;
            const wchar_t* text;
        } rows[] = {
            {kIdSystemLabel0 + 0, L"Capi DLL File:"},
            {kIdSystemLabel0 + 1, L"Max. Number of Logical Connections:"},
            {kIdSystemLabel0 + 2, L"Number of Data Buffers:"},
            {kIdSystemLabel0 + 3, L"Speakers' Buffer:"},
            {kIdSystemLabel0 + 4, L"Called Party Number Struct Byte 0:"},
            {kIdSystemLabel0 + 5, L"Calling Party Number Struct Byte 0:"},
            {kIdSystemLabel0 + 6, L"Calling Party Number Struct Byte 1:"},
            {kIdCapiDLL, L"capi2032.dll"},
            {kIdMaximumLogicalConnections, L"2"},
            {kIdNumberDataBuffers, L"5"},
            {kIdCalledByte0, L"161"},
            {kIdCallingByte0, L"0"},
            {kIdCallingByte1, L"128"},
        };
        for (const auto& r : rows) EXPECT_EQ(p.Text(r.id), r.text);
        const std::vector<std::wstring> buffers{L"Minimum",           L"Small - 2xMinimum",
                                                L"Slow Talk - 4xMinimum", L"Medium - 8xMinimum",
                                                L"Fast Talk - 10xMinimum", L"Maximum - 12xMinimum"};
        EXPECT_EQ(ItemsOf(p.Item(kIdSpeakerBuffer)), buffers);
        EXPECT_EQ(SelectionOf(p.Item(kIdSpeakerBuffer)), 4);
    }
    c->Release();
}

TEST_F(LinkorPages, SystemPageStoresLowBytesAndStopsAtATextThatIsNoNumber) {
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    Site site;
    unsigned char byte = 0;
    {
        Page p(kSystem, c, &site);
        ASSERT_EQ(p.Activate(frame_), S_OK);
        Type(p.Item(kIdCalledByte0), L"300");
        ASSERT_EQ(p->Apply(), S_OK);
        c->get_CalledPartyNumberByte0(&byte);
        EXPECT_EQ(byte, 44);

        Type(p.Item(kIdCapiDLL), L"mycapi.dll");
        Key(p.Item(kIdSpeakerBuffer), VK_DOWN);  // Medium to Fast Talk
        Type(p.Item(kIdCalledByte0), L"x12");
        Type(p.Item(kIdCallingByte1), L"7");
        EXPECT_EQ(p->Apply(), E_UNEXPECTED);
        EXPECT_EQ(ErrorDescription(), L"'x12' is not a valid integer value");
        EXPECT_EQ(p->IsPageDirty(), S_OK);
        BSTR s = nullptr;
        c->get_CapiDLL(&s);
        EXPECT_EQ(BstrText(s), L"mycapi.dll");
        TCapiPlayBufferMode mode = tpMINIMUM;
        c->get_SpeakerBuffer(&mode);
        EXPECT_EQ(mode, tpFASTTALK);
        c->get_CalledPartyNumberByte0(&byte);
        EXPECT_EQ(byte, 44);
        c->get_CallingPartyNumberByte1(&byte);
        EXPECT_EQ(byte, 128);

        Type(p.Item(kIdCalledByte0), L"5");
        ASSERT_EQ(p->Apply(), S_OK);
        EXPECT_EQ(p->IsPageDirty(), S_FALSE);
        c->get_CalledPartyNumberByte0(&byte);
        EXPECT_EQ(byte, 5);
        c->get_CallingPartyNumberByte1(&byte);
        EXPECT_EQ(byte, 7);
    }
    c->Release();
}

TEST_F(LinkorPages, ValuesTheControlRejectsFailTheApplyAfterTheMembersBefore) {
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    Site site;
    {
        Page p(kSystem, c, &site);
        ASSERT_EQ(p.Activate(frame_), S_OK);
        Type(p.Item(kIdCapiDLL), L"one.dll");
        Type(p.Item(kIdMaximumLogicalConnections), L"zwei");
        EXPECT_EQ(p->Apply(), E_UNEXPECTED);
        EXPECT_EQ(ErrorDescription(), L"'zwei' is not a valid integer value");
        BSTR s = nullptr;
        c->get_CapiDLL(&s);
        EXPECT_EQ(BstrText(s), L"one.dll");

        // Beyond the member's 16 bits.
        Type(p.Item(kIdMaximumLogicalConnections), L"3");
        Type(p.Item(kIdCallingByte0), L"9");
        Type(p.Item(kIdNumberDataBuffers), L"70000");
        HRESULT hr = p->Apply();
        EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
        EXPECT_EQ(p->IsPageDirty(), S_OK);
        c->get_MaxLogicalConnections(&s);
        EXPECT_EQ(BstrText(s), L"3");
        unsigned char byte = 0;
        c->get_CallingPartyNumberByte0(&byte);
        EXPECT_EQ(byte, 9);
        short buffers = 0;
        c->get_NumberDataBuffers(&buffers);
        EXPECT_EQ(buffers, 7);
    }
    c->Release();
}

TEST_F(LinkorPages, PagesTellThatTheirFailuresCarryADescription) {
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    Site site;
    for (const CLSID& clsid : {kOperation, kSystem, kFormats}) {
        Page p(clsid, c, &site);
        ISupportErrorInfo* sei = nullptr;
        ASSERT_EQ(p->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&sei)), S_OK);
        EXPECT_EQ(sei->InterfaceSupportsErrorInfo(IID_IPropertyPage), S_OK);
        EXPECT_EQ(sei->InterfaceSupportsErrorInfo(IID_IPropertyPage2), S_OK);
        EXPECT_EQ(sei->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
        sei->Release();
    }
    {
        Page p(kSystem, c, &site);
        ASSERT_EQ(p.Activate(frame_), S_OK);
        Type(p.Item(kIdMaximumLogicalConnections), L"zwei");
        SetErrorInfo(0, nullptr);
        EXPECT_EQ(p->Apply(), E_UNEXPECTED);
        IErrorInfo* info = nullptr;
        ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
        GUID g{};
        info->GetGUID(&g);
        EXPECT_TRUE(IsEqualGUID(g, IID_IPropertyPage));
        BSTR d = nullptr;
        info->GetDescription(&d);
        EXPECT_EQ(BstrText(d), L"'zwei' is not a valid integer value");
        info->Release();
    }
    c->Release();
}

// ---------------------------------------------------------------- Formats

TEST_F(LinkorPages, ListsHoldEachEntryOnceAcrossActivationsWithTheCurrentValueSelected) {
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    c->put_AudioFormat(afULaw);
    c->put_VoiceMailPlayFormat(ffULAW);
    c->put_VoiceMailRecordFormat(ffWAVE);
    BSTR play = SysAllocString(L"C:\\hlas\\vitaj.wav");
    c->put_PlayFileName(play);
    SysFreeString(play);
    const std::vector<std::wstring> laws{L"ISDN A-Law", L"ISDN µ-Law"};
    const std::vector<std::wstring> files{L"Wave", L"ISDN A-Law", L"ISDN µ-Law"};
    Site site;
    {
        Page sys(kSystem, c, &site);
        Page fmt(kFormats, c, &site);
        for (int round = 0; round < 2; ++round) {
            ASSERT_EQ(sys.Activate(frame_), S_OK);
            EXPECT_EQ(ItemsOf(sys.Item(kIdSpeakerBuffer)).size(), 6u);
            EXPECT_EQ(SelectionOf(sys.Item(kIdSpeakerBuffer)), 3);
            sys->Deactivate();
            ASSERT_EQ(fmt.Activate(frame_), S_OK);
            EXPECT_EQ(ItemsOf(fmt.Item(kIdIsdnAudio)), laws);
            EXPECT_EQ(ItemsOf(fmt.Item(kIdPlayFormat)), files);
            EXPECT_EQ(ItemsOf(fmt.Item(kIdRecordFormat)), files);
            EXPECT_EQ(SelectionOf(fmt.Item(kIdIsdnAudio)), 1);
            EXPECT_EQ(SelectionOf(fmt.Item(kIdPlayFormat)), 2);
            EXPECT_EQ(SelectionOf(fmt.Item(kIdRecordFormat)), round == 0 ? 0 : 2);
            EXPECT_EQ(fmt.Text(kIdPlayFileName), L"C:\\hlas\\vitaj.wav");
            EXPECT_EQ(fmt.Text(kIdRecFileName), L".\\recorder.wav");
            fmt->Deactivate();
            // Changed while no page shows it: the next activation shows it.
            c->put_VoiceMailRecordFormat(ffULAW);
        }
        EXPECT_EQ(fmt.Text(kIdGroupBox1), L"Voice Mail Options");
        const wchar_t* labels[] = {L"ISDN Audio Format:", L"Voice Mail Play File Format:",
                                   L"Voice Mail Record File Format:", L"Play File Name:", L"Record File Name:"};
        for (int i = 0; i < 5; ++i) EXPECT_EQ(fmt.Text(kIdFormatsLabel0 + i), labels[i]);
        EXPECT_EQ(fmt->IsPageDirty(), S_FALSE);
    }
    c->Release();
}

TEST_F(LinkorPages, FormatsApplyWritesTheSelectedEntriesAndTheFileNames) {
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    c->put_AudioFormat(afULaw);
    Site site;
    {
        Page p(kFormats, c, &site);
        ASSERT_EQ(p.Activate(frame_), S_OK);
        Key(p.Item(kIdIsdnAudio), VK_UP);
        Key(p.Item(kIdPlayFormat), VK_DOWN);
        Type(p.Item(kIdRecFileName), L"zaznam.snd");
        EXPECT_EQ(p->IsPageDirty(), S_OK);
        ASSERT_EQ(p->Apply(), S_OK);
    }
    TCapiAudioFormat law = afULaw;
    c->get_AudioFormat(&law);
    EXPECT_EQ(law, afALaw);
    TCapiVoiceMailFileFormat f = ffWAVE;
    c->get_VoiceMailPlayFormat(&f);
    EXPECT_EQ(f, ffALAW);
    c->get_VoiceMailRecordFormat(&f);
    EXPECT_EQ(f, ffWAVE);
    BSTR s = nullptr;
    c->get_RecFileName(&s);
    EXPECT_EQ(BstrText(s), L"zaznam.snd");
    c->Release();
}

TEST_F(LinkorPages, PageWithoutObjectKeepsItsControlsAndHasNothingToApplyTo) {
    Site site;
    Page p(kOperation, nullptr, &site);
    IUnknown* none = nullptr;
    ASSERT_EQ(p->SetObjects(0, &none), S_OK);
    ASSERT_EQ(p.Activate(frame_), S_OK);
    for (int id : {kIdPhoneConversation, kIdListenAllCalls, kIdAnalogCallsListen, kIdAcceptPhoneCall, kIdClearCall,
                   kIdUpdateClock})
        EXPECT_TRUE(Checked(p.Item(id))) << id;
    EXPECT_EQ(p.Text(kIdCallerNumber), L"");
    EXPECT_EQ(p->Apply(), E_UNEXPECTED);
}

TEST_F(LinkorPages, HelpButtonsOpenTheirContextsInTheControlsHelpFile) {
    HelpRecorder help;
    ASSERT_TRUE(help.Ready());
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    struct Row {
        CLSID clsid;
        LONG context;
    } rows[] = {{kOperation, 9}, {kSystem, 8}, {kFormats, 11}};
    Site site;
    for (const auto& r : rows) {
        Page p(r.clsid, c, &site);
        ASSERT_EQ(p.Activate(frame_), S_OK);
        HelpRecorder::Requests().clear();
        Click(p.Item(kIdHelpButton));
        ASSERT_EQ(HelpRecorder::Requests().size(), 1u);
        const auto& q = HelpRecorder::Requests()[0];
        EXPECT_EQ(q.command, static_cast<UINT>(HELP_CONTEXT));
        EXPECT_EQ(q.data, r.context);
        EXPECT_EQ(Upper(q.file), Upper(OcxDir() + L"linkor.hlp"));
        EXPECT_EQ(p->IsPageDirty(), S_FALSE);
    }
    c->Release();
}

TEST_F(LinkorPages, HelpMemberOpensContext1000InTheControlsHelpFile) {
    HelpRecorder help;
    ASSERT_TRUE(help.Ready());
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->Help(), S_OK);
    // The same through IDispatch, as a script calls it.
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(c->Invoke(10, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr), S_OK);
    ASSERT_EQ(HelpRecorder::Requests().size(), 2u);
    for (const auto& q : HelpRecorder::Requests()) {
        EXPECT_EQ(q.command, static_cast<UINT>(HELP_CONTEXT));
        EXPECT_EQ(q.data, 1000);
        EXPECT_EQ(Upper(q.file), Upper(OcxDir() + L"linkor.hlp"));
    }
    c->Release();
}

// ---------------------------------------------------------------- about box

// The about box is modal: the test's steps run from a timer of the box's
// message loop, one step per tick, and the last step closes the box.
struct AboutScript {
    std::vector<std::function<void(HWND)>> steps;
    size_t next = 0;
};
AboutScript* g_script = nullptr;

BOOL CALLBACK FindAbout(HWND h, LPARAM lp) {
    if (IsWindowVisible(h) && TextOf(h) == L"About") {
        *reinterpret_cast<HWND*>(lp) = h;
        return FALSE;
    }
    return TRUE;
}

HWND FindAboutBox() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindAbout, reinterpret_cast<LPARAM>(&found));
    return found;
}

void CALLBACK AboutTick(HWND, UINT, UINT_PTR, DWORD) {
    static bool busy = false;
    if (busy || !g_script) return;
    HWND box = FindAboutBox();
    if (!box) return;
    busy = true;
    if (g_script->next < g_script->steps.size()) g_script->steps[g_script->next++](box);
    // Whatever the steps did, the box does not outlive them.
    if (g_script->next >= g_script->steps.size() && IsWindowVisible(box)) SendMessageW(box, WM_CLOSE, 0, 0);
    busy = false;
}

HRESULT RunAboutBox(ILinkor* c, std::vector<std::function<void(HWND)>> steps) {
    AboutScript script{std::move(steps)};
    g_script = &script;
    UINT_PTR timer = SetTimer(nullptr, 0, 20, AboutTick);
    HRESULT hr = c->AboutBox();
    KillTimer(nullptr, timer);
    g_script = nullptr;
    EXPECT_EQ(script.next, script.steps.size()) << "the box did not show every step";
    return hr;
}

// What a label shows: its font, its text colour and its cursor.
struct Look {
    LOGFONTW font{};
    COLORREF color = 0;
    HCURSOR cursor = nullptr;
};
Look LookOf(HWND box, int id) {
    Look l;
    HWND label = GetDlgItem(box, id);
    HFONT f = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
    GetObjectW(f, sizeof l.font, &l.font);
    HDC dc = CreateCompatibleDC(nullptr);
    SendMessageW(box, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label));
    l.color = GetTextColor(dc);
    DeleteDC(dc);
    SendMessageW(label, WM_SETCURSOR, reinterpret_cast<WPARAM>(label), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    l.cursor = GetCursor();
    return l;
}

void ClickLabel(HWND box, int id) {
    HWND label = GetDlgItem(box, id);
    SendMessageW(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(label, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

TEST_F(LinkorPages, AboutBoxShowsProductVersionAndLinksAndClosesWithOK) {
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    bool closed = false;
    HRESULT hr = RunAboutBox(c, {[&](HWND box) {
        EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
        RECT r;
        GetClientRect(box, &r);
        EXPECT_EQ(r.right, Scaled(306));
        EXPECT_EQ(r.bottom, Scaled(272));
        GetWindowRect(box, &r);
        EXPECT_NEAR((r.left + r.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
        EXPECT_NEAR((r.top + r.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
        struct Row {
            int id;
            const wchar_t* text;
        } rows[] = {
            {kIdProductName, L"Linkor"},
            {kIdVersion, L"Version 1.0"},
            {kIdCopyright, L"Copyright © Vestrix"},
            {kIdURLLabel1, L"http://www.vestrix.sk"},
            {kIdURLLabel2, L"linkor@vestrix.sk"},
            {IDOK, L"OK"},
            {kIdAboxHelp, L"Help"},
        };
        for (const auto& row : rows) EXPECT_EQ(TextOf(GetDlgItem(box, row.id)), row.text);
        EXPECT_FALSE(TextOf(GetDlgItem(box, kIdComments)).empty());
        EXPECT_NE(SendMessageW(GetDlgItem(box, kIdProgramIcon), STM_GETICON, 0, 0), 0);
        EXPECT_EQ(GetWindowLongPtrW(GetDlgItem(box, IDOK), GWL_STYLE) & 0xF, BS_DEFPUSHBUTTON);
        // The note is green.
        HDC dc = CreateCompatibleDC(nullptr);
        SendMessageW(box, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, kIdComments)));
        EXPECT_EQ(GetTextColor(dc), RGB(0, 128, 0));
        DeleteDC(dc);
        Click(GetDlgItem(box, IDOK));
        closed = !IsWindowVisible(box);
    }});
    EXPECT_EQ(hr, S_OK);
    EXPECT_TRUE(closed);
    EXPECT_EQ(FindAboutBox(), nullptr);
    c->Release();
}

TEST_F(LinkorPages, AboutBoxHelpAndEscapeLeaveItOpenAndTheCloseBoxEndsIt) {
    HelpRecorder help;
    ASSERT_TRUE(help.Ready());
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    bool closed = false;
    HRESULT hr = RunAboutBox(c, {
                                    [&](HWND box) {
                                        Click(GetDlgItem(box, kIdAboxHelp));
                                        ASSERT_EQ(HelpRecorder::Requests().size(), 1u);
                                        EXPECT_EQ(HelpRecorder::Requests()[0].command, static_cast<UINT>(HELP_CONTEXT));
                                        EXPECT_EQ(HelpRecorder::Requests()[0].data, 5);
                                        EXPECT_EQ(Upper(HelpRecorder::Requests()[0].file),
                                                  Upper(OcxDir() + L"linkor.hlp"));
                                        // Escape reaches the box through its message loop.
                                        HWND ok = GetDlgItem(box, IDOK);
                                        PostMessageW(ok, WM_KEYDOWN, VK_ESCAPE, 1);
                                        PostMessageW(ok, WM_KEYUP, VK_ESCAPE, 0xC0000001);
                                    },
                                    [&](HWND box) {
                                        EXPECT_TRUE(IsWindowVisible(box));
                                        SendMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);
                                        closed = !IsWindowVisible(box);
                                    },
                                });
    EXPECT_EQ(hr, S_OK);
    EXPECT_TRUE(closed);
    EXPECT_EQ(FindAboutBox(), nullptr);
    c->Release();
}

// ---------------------------------------------------------------- links

// A default value under HKEY_CLASSES_ROOT, put back as it was at the end.
class ClassesValue {
public:
    explicit ClassesValue(const std::wstring& key) : key_(key) {
        // The first part of the path that is not there yet goes again at the end.
        size_t pos = 0;
        for (;;) {
            size_t slash = key.find(L'\\', pos);
            std::wstring part = key.substr(0, slash);
            HKEY h;
            if (RegOpenKeyExW(HKEY_CLASSES_ROOT, part.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) {
                created_ = part;
                break;
            }
            RegCloseKey(h);
            if (slash == std::wstring::npos) break;
            pos = slash + 1;
        }
        if (created_.empty()) {
            HKEY h;
            RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &h);
            wchar_t buf[1024];
            DWORD size = sizeof buf - sizeof(wchar_t);
            DWORD type = 0;
            if (RegQueryValueExW(h, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) == ERROR_SUCCESS) {
                buf[size / sizeof(wchar_t)] = 0;
                had_ = true;
                old_ = buf;
            }
            RegCloseKey(h);
        }
    }
    ~ClassesValue() {
        if (!created_.empty()) {
            DeleteTree(HKEY_CLASSES_ROOT, created_);
            return;
        }
        HKEY h;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key_.c_str(), 0, KEY_SET_VALUE, &h) != ERROR_SUCCESS) return;
        if (had_)
            RegSetValueExW(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(old_.c_str()),
                           static_cast<DWORD>((old_.size() + 1) * sizeof(wchar_t)));
        else
            RegDeleteValueW(h, nullptr);
        RegCloseKey(h);
    }
    void Set(const std::wstring& v) {
        HKEY h;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()),
                       static_cast<DWORD>((v.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(h);
    }

private:
    static void DeleteTree(HKEY root, const std::wstring& key) {
        HKEY h;
        if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | KEY_WRITE, &h) != ERROR_SUCCESS) return;
        for (;;) {
            wchar_t sub[256];
            DWORD n = 256;
            if (RegEnumKeyExW(h, 0, sub, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            DeleteTree(h, sub);
        }
        RegCloseKey(h);
        RegDeleteKeyW(root, key.c_str());
    }
    std::wstring key_;
    std::wstring created_;
    bool had_ = false;
    std::wstring old_;
};

bool RecorderRunning() {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32W pe{};
    pe.dwSize = sizeof pe;
    bool found = false;
    for (BOOL ok = Process32FirstW(snap, &pe); ok && !found; ok = Process32NextW(snap, &pe))
        found = lstrcmpiW(pe.szExeFile, L"url_recorder.exe") == 0;
    CloseHandle(snap);
    return found;
}

std::vector<std::string> ReadLines(const std::wstring& file) {
    std::vector<std::string> lines;
    HANDLE f = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (f == INVALID_HANDLE_VALUE) return lines;
    std::string all;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got) all.append(buf, got);
    CloseHandle(f);
    size_t start = 0;
    for (size_t nl; (nl = all.find('\n', start)) != std::string::npos; start = nl + 1)
        lines.push_back(all.substr(start, nl - start));
    return lines;
}

// The addresses the shell opened, once `count` of them arrived and no
// recorder is running anymore.
std::vector<std::string> OpenedAddresses(const std::wstring& file, size_t count) {
    for (int i = 0; i < 1000 && ReadLines(file).size() < count; ++i) Sleep(20);
    for (int i = 0; i < 500 && RecorderRunning(); ++i) Sleep(20);
    std::vector<std::string> lines = ReadLines(file);
    std::sort(lines.begin(), lines.end());
    return lines;
}

// The browser and the mail program replaced by the recorder.
class LinkHandlers {
public:
    LinkHandlers() : http_(L"http\\shell\\open\\command"), mailto_(L"mailto\\shell\\open\\command") {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        File = std::wstring(temp) + L"vx_opened_links.txt";
        DeleteFileW(File.c_str());
        std::wstring cmd = L"\"" + test::WinPath(VX_RECORDER_PATH) + L"\" \"" + File + L"\" \"%1\"";
        http_.Set(cmd);
        mailto_.Set(cmd);
    }
    ~LinkHandlers() { DeleteFileW(File.c_str()); }
    std::wstring File;

private:
    ClassesValue http_;
    ClassesValue mailto_;
};

bool IsArrow(HCURSOR c) { return c == LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)); }

TEST_F(LinkorPages, WebLinkIsALinkOnlyWhereHtmlPagesHaveAnOpenCommand) {
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    HCURSOR hand = LoadCursorW(module_, MAKEINTRESOURCEW(8888));
    ASSERT_NE(hand, nullptr);
    const std::string web = "http://www.vestrix.sk";
    const std::string mail = "mailto:linkor@vestrix.sk";
    ClassesValue html(L".html"), htm(L".htm"), page(L"VxTestPage\\shell\\open\\command");
    LinkHandlers handlers;
    page.Set(L"\"C:\\browser.exe\" \"%1\"");

    // A program opens web pages: the web link looks and acts as a link.
    html.Set(L"VxTestPage");
    htm.Set(L"VxTestPage");
    EXPECT_EQ(RunAboutBox(c, {[&](HWND box) {
                  Look l = LookOf(box, kIdURLLabel1);
                  EXPECT_TRUE(l.font.lfUnderline);
                  EXPECT_STREQ(l.font.lfFaceName, L"MS Sans Serif");
                  EXPECT_EQ(l.font.lfHeight, Scaled(-13));
                  EXPECT_EQ(l.color, RGB(0, 0, 255));
                  EXPECT_EQ(l.cursor, hand);
                  ClickLabel(box, kIdURLLabel1);
                  ClickLabel(box, kIdURLLabel2);
              }}),
              S_OK);
    EXPECT_EQ(OpenedAddresses(handlers.File, 2), (std::vector<std::string>{web, mail}));
    DeleteFileW(handlers.File.c_str());

    // Nothing opens ".htm" files: the web link is plain text and its click
    // opens nothing; the mail link follows the mail library alone.
    htm.Set(L"VxTestNoPage");
    EXPECT_EQ(RunAboutBox(c, {[&](HWND box) {
                  Look l = LookOf(box, kIdURLLabel1);
                  EXPECT_FALSE(l.font.lfUnderline);
                  EXPECT_EQ(l.font.lfHeight, Scaled(-13));
                  EXPECT_EQ(l.color, GetSysColor(COLOR_WINDOWTEXT));
                  EXPECT_TRUE(IsArrow(l.cursor));
                  Look m = LookOf(box, kIdURLLabel2);
                  EXPECT_TRUE(m.font.lfUnderline);
                  EXPECT_EQ(m.color, RGB(0, 0, 255));
                  EXPECT_EQ(m.cursor, hand);
                  ClickLabel(box, kIdURLLabel1);
                  ClickLabel(box, kIdURLLabel2);
              }}),
              S_OK);
    EXPECT_EQ(OpenedAddresses(handlers.File, 1), std::vector<std::string>{mail});
    c->Release();
}

TEST_F(LinkorPages, MailLinkIsPlainTextWithoutMapi) {
    HMODULE mapi = LoadLibraryW(L"MAPI32.DLL");
    if (mapi) {
        FreeLibrary(mapi);
        GTEST_SKIP() << "the simple-MAPI library is there";
    }
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    ClassesValue html(L".html"), htm(L".htm"), page(L"VxTestPage\\shell\\open\\command");
    LinkHandlers handlers;
    page.Set(L"\"C:\\browser.exe\" \"%1\"");
    html.Set(L"VxTestPage");
    htm.Set(L"VxTestPage");
    EXPECT_EQ(RunAboutBox(c, {[&](HWND box) {
                  Look m = LookOf(box, kIdURLLabel2);
                  EXPECT_FALSE(m.font.lfUnderline);
                  EXPECT_EQ(m.color, GetSysColor(COLOR_WINDOWTEXT));
                  EXPECT_TRUE(IsArrow(m.cursor));
                  ClickLabel(box, kIdURLLabel2);
                  ClickLabel(box, kIdURLLabel1);
              }}),
              S_OK);
    EXPECT_EQ(OpenedAddresses(handlers.File, 1), std::vector<std::string>{"http://www.vestrix.sk"});
    c->Release();
}

}  // namespace

namespace {

// ---------------------------------------------------------------- property frame

struct FrameVisit {
    std::vector<std::wstring> tabs;
    bool done = false;
    // The caller number that the first page shows.
    std::wstring caller;
    bool readCaller = false;
};
FrameVisit* g_visit = nullptr;

BOOL CALLBACK FindTabs(HWND h, LPARAM lp) {
    wchar_t cls[64];
    GetClassNameW(h, cls, 64);
    if (lstrcmpiW(cls, L"SysTabControl32") == 0) {
        *reinterpret_cast<HWND*>(lp) = h;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindFrame(HWND h, LPARAM lp) {
    HWND tabs = nullptr;
    if (IsWindowVisible(h)) EnumChildWindows(h, FindTabs, reinterpret_cast<LPARAM>(&tabs));
    if (!tabs) return TRUE;
    *reinterpret_cast<HWND*>(lp) = h;
    return FALSE;
}

void CALLBACK FrameTick(HWND, UINT, UINT_PTR, DWORD) {
    if (!g_visit || g_visit->done) return;
    HWND frame = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindFrame, reinterpret_cast<LPARAM>(&frame));
    if (!frame) return;
    g_visit->done = true;
    HWND tabs = nullptr;
    EnumChildWindows(frame, FindTabs, reinterpret_cast<LPARAM>(&tabs));
    int n = static_cast<int>(SendMessageW(tabs, 0x1304 /* TCM_GETITEMCOUNT */, 0, 0));
    for (int i = 0; i < n; ++i) {
        wchar_t text[128] = {0};
        // TCITEMW: mask, state, stateMask, text, size, image, param.
        struct {
            UINT mask;
            DWORD state, stateMask;
            LPWSTR text;
            int size, image;
            LPARAM param;
        } item{0x0001 /* TCIF_TEXT */, 0, 0, text, 128, 0, 0};
        SendMessageW(tabs, 0x133C /* TCM_GETITEMW */, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        g_visit->tabs.push_back(text);
    }
    HWND edit = nullptr;
    struct Search {
        static BOOL CALLBACK Child(HWND h, LPARAM lp) {
            if (GetDlgCtrlID(h) == kIdCallerNumber && IsWindowVisible(h)) {
                *reinterpret_cast<HWND*>(lp) = h;
                return FALSE;
            }
            return TRUE;
        }
    };
    EnumChildWindows(frame, Search::Child, reinterpret_cast<LPARAM>(&edit));
    if (edit) {
        g_visit->caller = TextOf(edit);
        g_visit->readCaller = true;
    }
    // The frame's Cancel leaves the control as it was.
    PostMessageW(frame, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(LinkorPages, VerbZeroOpensThePropertyFrameWithTheThreePagesInOrder) {
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    IOleObject* ole = nullptr;
    ASSERT_EQ(c->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole)), S_OK);
    FrameVisit visit;
    g_visit = &visit;
    UINT_PTR timer = SetTimer(nullptr, 0, 20, FrameTick);
    RECT r{0, 0, 10, 10};
    EXPECT_EQ(ole->DoVerb(OLEIVERB_PRIMARY, nullptr, nullptr, 0, frame_, &r), S_OK);
    KillTimer(nullptr, timer);
    g_visit = nullptr;
    EXPECT_TRUE(visit.done);
    EXPECT_EQ(visit.tabs, (std::vector<std::wstring>{L"Operation", L"Formats", L"System"}));
    ole->Release();
    c->Release();
}

TEST_F(LinkorPages, PropertyFrameShowsTheControlsValuesOnItsFirstPage) {
    ILinkor* c = Create();
    ASSERT_NE(c, nullptr);
    BSTR caller = SysAllocString(L"0905778899");
    c->put_OriginatorNumber(caller);
    SysFreeString(caller);
    IOleObject* ole = nullptr;
    ASSERT_EQ(c->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole)), S_OK);
    FrameVisit visit;
    g_visit = &visit;
    UINT_PTR timer = SetTimer(nullptr, 0, 20, FrameTick);
    RECT r{0, 0, 10, 10};
    EXPECT_EQ(ole->DoVerb(OLEIVERB_PROPERTIES, nullptr, nullptr, 0, frame_, &r), S_OK);
    KillTimer(nullptr, timer);
    g_visit = nullptr;
    EXPECT_TRUE(visit.done);
    EXPECT_TRUE(visit.readCaller);
    EXPECT_EQ(visit.caller, L"0905778899");
    ole->Release();
    c->Release();
}

}  // namespace
