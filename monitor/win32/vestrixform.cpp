#include "monitor/win32/vestrixform.h"

#include <mmsystem.h>

#include "base/errors.h"
#include "base/guard.h"
#include "base/pascal.h"
#include "base/win32/text.h"
#include "contacts/core/adresar.h"
#include "monitor/core/config.h"
#include "monitor/core/udpinfo.h"
#include "monitor/win32/formcid.h"
#include "monitor/win32/ids.h"
#include "monitor/win32/linkorhost.h"
#include "monitor/win32/vestrixform_serial.h"
#include "widgets/gridpaint.h"

namespace vx {

TVestrixForm* VestrixForm = nullptr;

namespace {

const char kTitul[] = "Vestrix";
const COLORREF kNavy = RGB(0x1E, 0x36, 0x62);    // the top band and frame pictures
const COLORREF kHeader = RGB(0x3A, 0x5C, 0x94);  // the column-header picture
const COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);
const int kRingId = 101;
const wchar_t kPismo[] = L"Tahoma";
const int kTlacidloW = 54;  // an image button's column in the top band
const int kPopisMax = 9;    // the labels' font, unless a caption needs a smaller one
// The date and time whole at 11 pixels, clear of the line; the last column
// ends at the grid's client edge, its line beyond it.
const int kSirkyStlpcov[4] = {109, 87, 94, 95};

class TUdpServerControl : public IUdpServerControl {
public:
    explicit TUdpServerControl(TUDPServer& s) : s_(s) {}
    bool Active() const override { return s_.Active(); }
    void SetActive(bool on) override { s_.SetActive(on); }
    void SetPort(int port) override {
        if (port < 0 || port > 65535) throw ERangeError();
        s_.SetDefaultPort(static_cast<uint16_t>(port));
    }

private:
    TUDPServer& s_;
};

}  // namespace

// ------------------------------------------------------------ small parts

DateTime TSystemClock::Now() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return DateTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

void TRingPlayer::Nacitaj(HINSTANCE module) {
    HRSRC r = FindResourceW(module, MAKEINTRESOURCEW(kRingId), L"DATA");
    if (!r) return;
    HGLOBAL g = LoadResource(module, r);
    if (!g) return;
    data_ = LockResource(g);
    size_ = data_ ? SizeofResource(module, r) : 0;
}

void TRingPlayer::Play() {
    if (data_) PlaySoundW(static_cast<LPCWSTR>(data_), nullptr, SND_MEMORY | SND_ASYNC | SND_NODEFAULT);
}

// ------------------------------------------------------------ the window

TVestrixForm::TVestrixForm() { VestrixForm = this; }

TVestrixForm::~TVestrixForm() {
    serial_.reset();
    routine_.reset();
    if (hwnd_) DestroyWindow(hwnd_);
    if (ikonaOkna_) DestroyIcon(ikonaOkna_);
    for (HFONT f : {fLabel_, fHeader_, fGrid_, fVerzia_})
        if (f) DeleteObject(f);
    if (VestrixForm == this) VestrixForm = nullptr;
}

bool TVestrixForm::Vytvor() {
    // Linkor1 comes first, with its stored settings: without the control
    // there is no main window, only the standard error box.
    try {
        Linkor1_ = VytvorLinkor1([this](const std::string& called, const std::string& calling, const std::string& typ) {
            // A call that the control reports while the window goes (its
            // stop lets messages through) is not taken: the routine would
            // pump timers of a window being destroyed.
            if (routine_ && !konci_) routine_->Linkor1InComingCall(called, calling, typ);
        });
    } catch (...) {
        HandleCurrentException();
        return false;
    }

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = Proc;
    wc.hInstance = ResourceModule();
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = CreateSolidBrush(kNavy);
    wc.hIcon = LoadIconW(ResourceModule(), L"MAINICON");
    wc.lpszClassName = ids::kMainClass;
    RegisterClassExW(&wc);

    // Single border with the system menu only, centred on the desktop.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    RECT r{0, 0, kSirka, kVyska};
    AdjustWindowRectEx(&r, style, FALSE, 0);
    int w = r.right - r.left, h = r.bottom - r.top;
    int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    hwnd_ = CreateWindowExW(0, ids::kMainClass, Wide(kTitul).c_str(), style, x, y, w, h, nullptr, nullptr,
                            ResourceModule(), this);
    if (!hwnd_) return false;

    VytvorKomponenty();
    UDPServer_ = std::make_unique<TUDPServer>();
    UDPServer_->OnUDPRead = [this](const std::string& data, const std::string& ip, uint16_t) {
        if (!Log) return;
        UDPServerUDPRead(data, ip, P, *Log, [this](const std::string& called, const std::string& calling) {
            routine_->HALOHALO(called, calling);
        });
    };
    UDPServer_->OnOverflow = [this](size_t zahodene) {
        if (Log) Log->Add(RiadokPreteceniaUDP(zahodene));
    };
    UDPClient_ = std::make_unique<TUDPClient>();

    serial_ = std::make_unique<TSerialSource>(*this);
    routine_ = std::make_unique<TCallRoutine>(P, Mriezka, *this, zvukZvonenia_, timers_, clock_);
    TCallHooks& k = routine_->Hooks;
    k.HladajVolajuceho = [this](const std::string& cislo, std::string& meno, std::string& firma) {
        TMenoFirma mf = adresar_.HladajVolajuceho(P.CestaProgramu, P.Config.countryprefix, cislo);
        meno = mf.Meno;
        firma = mf.Firma;
    };
    k.ZapisLog = [this](const std::string& s) {
        if (Log) Log->Add(s);
    };
    k.PosliPoSieti = [this](const std::string& text) {
        if (Log) PosliPoSieti(text, P.Config, *UDPClient_, *Log);
    };
    k.ZapisHistoriu = [this](const std::string& riadok) {
        if (historia_)
            historia_->ZapisHistoriu(riadok, P.Volanie.Cislo, P.Volanie.Datum, P.Volanie.Cas, P.Config.history);
    };
    auto zapis = [this](const std::string& s) {
        if (Log) Log->Add(s);
    };
    programy_ = std::make_unique<TNotifikacieProgramov>(P, winExec_, fs_, zapis);
    k.PosliKurierom = [this](const std::string& cislo) { programy_->PosliKurierom(cislo); };
    k.SpustiProgram = [this](const std::string& cislo, const std::string& volane) {
        return programy_->SpustiProgram(cislo, volane);
    };
    DialUp1_ = std::make_unique<TDialUp>();
    smtpSocket_ = std::make_unique<TWinsockSocket>(pump_);
    mail_ = std::make_unique<TMailNotifikacia>(P, *DialUp1_, *smtpSocket_, timers_, pump_, clock_, zapis);
    mail_->ZatvorComm = [this] { serial_->ZatvorComm(); };
    mail_->ObnovPolling = [this] { serial_->ObnovPolling(); };
    mail_->ZobrazVysledok = [this](bool ok) {
        display_->ShowIndicator(TIndikator::swNotifErr, !ok);
        display_->ShowIndicator(TIndikator::swNotif, ok);
    };
    mail_->DatumMailu = [] { return SmtpDatumTeraz(); };
    DialUp1_->OnConnect = [this] { mail_->DialUp1Connect(); };
    DialUp1_->OnError = [this](int code, const std::string& msg) { mail_->DialUp1Error(code, msg); };
    DialUp1_->OnAsyncEvent = [this](int state, int error, const std::string& text) {
        mail_->DialUp1AsyncEvent(state, error, text);
    };
    DialUp1_->OnActiveConnection = [this](uintptr_t, const TRasConnStav&, const std::string&,
                                          const std::string& entry, const std::string&, const std::string&) {
        mail_->DialUp1ActiveConnection(entry);
    };
    k.OdosliNotifikaciu = [this](const std::string& predmet) { return mail_->OdosliNotifikaciu(predmet); };
    k.TrimLog = [this] {
        if (Log) Log->Trim();
    };
    k.Text = [this](int n) { return Texty[n]; };
    PripojKontakty();

    // A failed add of the icon (at log-on the shell may not be ready) is
    // tried again until it holds; a restarted shell announces itself.
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    ikonaZnova_ = timers_.CreateTimer();
    ikonaZnova_->OnTimer = [this] {
        if (!ikonaZelana_ || ikona_.Added() || ikona_.AddAgain()) ikonaZnova_->SetEnabled(false);
    };
    ikonaZnova_->SetInterval(2000);

    timer5_ = timers_.CreateTimer();
    timer5_->OnTimer = [this] { Timer5Timer(); };
    timer5_->SetInterval(5000);
    timer5_->SetEnabled(true);
    return true;
}

void TVestrixForm::VytvorKomponenty() {
    fLabel_ = MakeFont(kPismo, kPopisMax, false, true);
    fHeader_ = MakeFont(kPismo, 11, true);
    // One font for every cell: the largest in which a call's date and time
    // show whole in their column (the other columns cut with "…").
    const std::wstring datumCas = L"00.00.0000  00:00:00";
    fGrid_ = MakeFont(kPismo, LargestFittingHeight(kPismo, false, false, 11, 7, &datumCas, 1, GridCellRoom(kSirkyStlpcov[0])), false);
    fVerzia_ = MakeFont(kPismo, 10, false);
    HWND h = hwnd_;

    // Top band: eight image buttons with labels in two rows, the call panel,
    // the menu button.
    imPozadie_ = std::make_unique<TImage>(h, ids::kImPozadie, 0, 0, 400, 84, L"POZADIE");
    struct Tlacidlo {
        std::unique_ptr<TImage>* im;
        std::unique_ptr<TStaticText>* label;
        const wchar_t* obrazok;
        int id;
    } tl[8] = {
        {&imConfigure_, &lSetup_, L"BT_CONFIG", ids::kImConfigure},
        {&imNotifikacia_, &lNotify_, L"BT_NOTIFY", ids::kImNotifikacia},
        {&imAkcia_, &lRing_, L"BT_RING", ids::kImAkcia},
        {&imDisplay_, &lCallerID_, L"BT_DISPLAY", ids::kImDisplay},
        {&imHistoria_, &lHistory_, L"BT_HISTORY", ids::kImHistoria},
        {&imAdresar_, &lAdresar_, L"BT_BOOK", ids::kImAdresar},
        {&imPridaj_, &lNumber_, L"BT_ADD", ids::kImPridaj},
        {&imZobrazenie_, &lView_, L"BT_VIEW", ids::kImZobrazenie},
    };
    for (int i = 0; i < 8; ++i) {
        int cx = (i % 4) * kTlacidloW, cy = (i / 4) * 42;
        *tl[i].im = std::make_unique<TImage>(h, tl[i].id, cx + 14, cy + 3, 26, 26, tl[i].obrazok);
        *tl[i].label = std::make_unique<TStaticText>(h, ids::kLSetup + i, cx, cy + 29, kTlacidloW, 12, fLabel_,
                                                     kWhite, kNavy, TStaticText::Center);
    }
    imMenu_ = std::make_unique<TImage>(h, ids::kImMenu, 356, 67, 40, 14, L"IM_MENU");
    display_ = std::make_unique<TCallPanel>(h, 218, 4, 178, 59, true);

    imNotifikacia_->OnClick = [this] { btPovolitClick(); };
    imAkcia_->OnClick = [this] { imAkciaClick(); };
    imDisplay_->OnClick = [this] { imDisplayClick(); };
    imZobrazenie_->OnClick = [this] { imZobrazenieClick(); };
    imMenu_->OnClick = [this] { imMenuClick(); };
    imConfigure_->OnClick = [this] { imConfigureClick(); };
    // imHistoria, imAdresar and imPridaj, like pumHistoria, pumAdresar and
    // pridat, get their handlers from PripojKontakty.
    imHistoria_->OnClick = [] {};
    imAdresar_->OnClick = [] {};
    imPridaj_->OnClick = [] {};

    // Below: the column headers, the grid and its frame, the version line.
    imTop_ = std::make_unique<TImage>(h, ids::kImTop, 0, 84, 400, 20, L"IM_TOP");
    const int* sirky = kSirkyStlpcov;
    std::unique_ptr<TStaticText>* hlavicky[4] = {&stcas_, &stCalling_, &stName_, &stFirm_};
    int x = 6;
    for (int i = 0; i < 4; ++i) {
        *hlavicky[i] = std::make_unique<TStaticText>(h, ids::kStCas + i, x + 2, 86, sirky[i] - 2, 16, fHeader_,
                                                     kWhite, kHeader);
        x += sirky[i] + 1;
    }
    imLeft_ = std::make_unique<TImage>(h, ids::kImLeft, 0, 104, 4, 194, L"IM_LEFT");
    imRight_ = std::make_unique<TImage>(h, ids::kImRight, 396, 104, 4, 194, L"IM_RIGHT");
    StringGrid1_ = std::make_unique<TStringGrid>(h, ids::kGrid, 4, 104, 392, 194, TMriezka::kStlpce,
                                                 TMriezka::kRiadky, fGrid_);
    for (int i = 0; i < 4; ++i) StringGrid1_->SetColWidth(i, sirky[i]);
    StringGrid1_->SetRowHeight(18);
    StringGrid1_->OnMouseUp = [this](int b, int mx, int my) { StringGrid1MouseUp(b, mx, my); };
    imBotom_ = std::make_unique<TImage>(h, ids::kImBotom, 0, 298, 400, 26, L"IM_BOTOM");
    txVerzia_ = std::make_unique<TStaticText>(h, ids::kTxVerzia, 6, 303, 388, 16, fVerzia_,
                                              RGB(0xC8, 0xD8, 0xF0), kNavy, TStaticText::Right);
    txVerzia_->SetText("Vestrix 2.70.134");
    // The pictures lie below everything that stands on them.
    for (TImage* im : {imPozadie_.get(), imTop_.get(), imLeft_.get(), imRight_.get(), imBotom_.get()})
        SetWindowPos(im->Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    // The tray menu, in its order.
    PopupMenu1.Add(ids::pumDeaktivuj, "", [this] { pumDeaktivujClick(); });  // the serial source's
    PopupMenu1.Add(ids::pumAktivuj, "", [this] { pumAktivujClick(); });      // pause and resume
    PopupMenu1.AddSeparator(ids::N3);
    PopupMenu1.Add(ids::pumZobrazit, "", [this] { pumZobrazitClick(); });
    PopupMenu1.Add(ids::pumKonfiguracia, "", [this] { imConfigureClick(); });
    PopupMenu1.Add(ids::pumHistoria, "");
    PopupMenu1.Add(ids::pumAdresar, "");
    PopupMenu1.AddSeparator(ids::N1);
    PopupMenu1.Add(ids::pumOprograme, "", [this] { pumOprogrameClick(); });
    PopupMenu1.AddSeparator(ids::N2);
    PopupMenu1.Add(ids::pumUkoncit, "", [this] { pumUkoncitClick(); });
    PUMcisla.Add(ids::pridat, "");
    PUMcisla.Add(ids::Zavolat, "", [this] { ZavolatClick(); });
}

LRESULT CALLBACK TVestrixForm::Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<TVestrixForm*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = h;
    }
    auto* self = reinterpret_cast<TVestrixForm*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (!self) return DefWindowProcW(h, msg, wp, lp);
    try {
        return self->WndProc(msg, wp, lp);
    } catch (...) {
        HandleCurrentException();
        return 0;
    }
}

LRESULT TVestrixForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (taskbarCreated_ && msg == taskbarCreated_) {
        // The shell lost every icon when it restarted.
        if (ikonaZelana_ && !ikona_.AddAgain()) ikonaZnova_->SetEnabled(true);
        return 0;
    }
    switch (msg) {
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        if (wp) KoniecRelacie();
        return 0;
    case WM_CLOSE:
        // A close that ends the program ends only the message loop; the
        // window goes after it, as at every end.
        if (FormClose()) PostQuitMessage(0);
        return 0;
    case WM_DESTROY:
        FormDestroy();
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        hwnd_ = nullptr;
        return 0;
    case WM_COMMAND:
        if (HIWORD(wp) == 0 && lp == 0) {
            UINT id = LOWORD(wp);
            if (PopupMenu1.HandleCommand(id) || PUMcisla.HandleCommand(id)) return 0;
        }
        break;
    case ids::kIkonaSprava:
        KlikNaIkonu(wp, lp);
        if (static_cast<UINT>(lp) == WM_LBUTTONDOWN) return 0;
        return DefWindowProcW(hwnd_, msg, wp, lp);
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

// ------------------------------------------------------------ start-up

void TVestrixForm::ZistiCestu() {
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, &buf[0], static_cast<DWORD>(buf.size()));
        if (n < buf.size()) {
            buf.resize(n);
            break;
        }
        buf.resize(buf.size() * 2);
    }
    // A path, not a text: any character of the folder's name survives.
    std::string path = PathFromWide(buf);
    size_t cut = path.find_last_of('\\');
    P.CestaProgramu = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

void TVestrixForm::PismoPopisov(TStaticText* const* popisy) {
    // The button labels share one font, the largest in which every caption
    // fits its column with a clear pixel pair on each side, so no label
    // touches the window's edge or its neighbour.
    std::wstring texty[8];
    for (int i = 0; i < 8; ++i) texty[i] = Wide(popisy[i]->Text());
    // White on the band's navy they are drawn smooth.
    HFONT f = MakeFont(kPismo, LargestFittingHeight(kPismo, false, true, kPopisMax, 7, texty, 8, kTlacidloW - 4), false,
                       true);
    for (int i = 0; i < 8; ++i) popisy[i]->SetFont(f);
    if (fLabel_) DeleteObject(fLabel_);
    fLabel_ = f;
}

void TVestrixForm::FormCreate() {
    // Each step that can fail shows its error and the start goes on: one
    // bad value, an unreadable file or a full disk must not leave the
    // monitor without captions, icon or call source.
    // 1-4
    ZistiCestu();
    historia_ = std::make_unique<THistoria>(fs_, pump_, timers_, clock_, P.CestaProgramu, P.HistoriaObsadena,
                                            [this](const std::string& s) {
                                                if (Log) Log->Add(s);
                                            });
    Chranene([this] { NacitajConfig(P.Config, fs_, P.CestaProgramu + "vestrix.ini"); });
    Chranene([this] { NacitajTexty(Texty, fs_, P.CestaProgramu + "vestrix.lng"); });
    P.HistoriaOtvorena = false;

    // 5
    Log = std::make_unique<TLog>(fs_, clock_, P.CestaProgramu + "vestrix.log", 1000000, 2000);
    Chranene([this] {
        Log->Trim();
        Log->Add("Štart programu VESTRIX 2.70.134");
    });

    Chranene([this] {
        // 6: captions from the language table.
        TStaticText* popisy[12] = {lSetup_.get(),  lNotify_.get(), lRing_.get(),  lCallerID_.get(),
                                   lHistory_.get(), lAdresar_.get(), lNumber_.get(), lView_.get(),
                                   stcas_.get(),    stCalling_.get(), stName_.get(), stFirm_.get()};
        for (int i = 0; i < 12; ++i) popisy[i]->SetText(Texty[i + 1]);
        PismoPopisov(popisy);
        const UINT polozky[8] = {ids::pumDeaktivuj, ids::pumAktivuj,  ids::pumZobrazit,  ids::pumKonfiguracia,
                                 ids::pumHistoria,  ids::pumAdresar,  ids::pumOprograme, ids::pumUkoncit};
        for (int i = 0; i < 8; ++i) PopupMenu1.Find(polozky[i])->Caption = Texty[136 + i];
        PUMcisla.Find(ids::pridat)->Caption = Texty[98];
        PUMcisla.Find(ids::Zavolat)->Caption = Texty[155];
    });

    // 7: one past the last row, so no cell shows as selected.
    StringGrid1_->SetSelection(0, TMriezka::kRiadky);
    // 8
    for (TPolozkaFronty& f : P.Fronta) f = TPolozkaFronty{};
    // 9: rows 1-4 of the device table (row k at index k - 1).
    const char* const zariadenia[4][2] = {{"TODOS SurfLITE -(INTERVAL)", "TODOS"},
                                          {"TODOS ISDN TA -(INTERVAL)", "TODOSTA"},
                                          {"ZyXEL Omni.net LCD Plus -(INTERVAL)", "ZYXELISDN"},
                                          {"3Com USR ISDN Pro TA -(INTERVAL)", "3COM"}};
    for (int i = 0; i < 10; ++i) P.Zariadenia[i] = TZariadenie{};
    for (int i = 0; i < 4; ++i) P.Zariadenia[i] = TZariadenie{zariadenia[i][0], zariadenia[i][1]};
    // 10
    P.PrveCitanie = true;
    // 11: the date and time formats are fixed ("dd.mm.yyyy", "hh:mm:ss").
    // 12
    zvukZvonenia_.Nacitaj(ResourceModule());
    // 13
    SetShowHints(P.Config.showhint);
    // 14
    P.Prepinace.notify = P.Config.notify;
    P.Prepinace.action = P.Config.action;
    P.Prepinace.ring = P.Config.ring;
    P.Prepinace.cid = P.Config.cid;
    display_->ShowIndicator(TIndikator::swAkcia, P.Config.action);
    display_->ShowIndicator(TIndikator::swDisplay, P.Config.cid);
    display_->ShowIndicator(TIndikator::swZvonec, P.Config.ring);
    display_->ShowIndicator(TIndikator::swNotif, P.Config.notify);
    // 15
    display_->SetCislo("");
    display_->SetMeno("");
    display_->SetFirma("");
    // 16
    StringGrid1_->SetDoubleBuffered(true);
    // 17
    PridajIkonu(L"MAINICON");
    Chranene([this] {
        // 18
        historia_->NacitajPosledneVolania([this](const TZaznamHistorie& z) {
            Mriezka.PridajNaVrch(z.DatumCas, z.Cislo, z.Meno, z.Firma);
        });
        GridChanged();
        // 19: the newest call counts as seen by the 3Com reader.
        if (!Mriezka.Cell(1, 0).empty()) P.Posledny3COM = Posledny3COMZMriezky(Mriezka);
    });
    // 20
    Chranene([this] { NastavCOMTeraz(); });
}

void TVestrixForm::NastavCOMTeraz() {
    TUdpServerControl udp(*UDPServer_);
    NastavComContext c{P, *this, Linkor1_.get(), udp, serial_->Control(), serial_->Link.Timer100(), pump_};
    NastavCOM(c);
}

void TVestrixForm::ZobrazChybu(const std::string& message) {
    MessageBoxW(hwnd_ && IsWindowVisible(hwnd_) ? hwnd_ : nullptr, Wide(message).c_str(), Wide(kTitul).c_str(),
                MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

// ------------------------------------------------------------ tray icon

void TVestrixForm::PridajIkonu(const wchar_t* resource) {
    HICON nova = LoadIconW(ResourceModule(), resource);
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(nova));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(nova));
    ikonaOkna_ = nullptr;  // icons from LoadIcon are shared; nothing to free
    ikonaZelana_ = true;
    if (!ikona_.Add(hwnd_, 1, ids::kIkonaSprava, nova, kTitul)) ikonaZnova_->SetEnabled(true);
}

void TVestrixForm::ZmenIkonu(const std::string& state) {
    ikona_.Delete();
    PridajIkonu(state == "ON" ? L"ICONON" : L"ICONOFF");
}

void TVestrixForm::KlikNaIkonu(WPARAM, LPARAM lp) {
    switch (static_cast<UINT>(lp)) {
    case WM_RBUTTONDOWN: {
        PopupMenu1.Find(ids::pumZobrazit)->Visible = true;
        POINT p;
        GetCursorPos(&p);
        PopupMenu1.Popup(hwnd_, p.x, p.y);
        break;
    }
    case WM_LBUTTONDOWN:
        pumZobrazitClick();
        break;
    }
}

void TVestrixForm::pumZobrazitClick() {
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
}

void TVestrixForm::imMenuClick() {
    PopupMenu1.Find(ids::pumZobrazit)->Visible = false;
    POINT p;
    GetCursorPos(&p);
    PopupMenu1.Popup(hwnd_, p.x, p.y);
}

// ------------------------------------------------------------ hiding, ending

void TVestrixForm::Timer5Timer() {
    timer5_->SetEnabled(false);
    // Hidden only with an icon to come back from.
    if (P.Config.startminimized && ikona_.Added()) SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

bool TVestrixForm::FormClose() {
    // Without an icon (a start-up that failed before adding it) a hidden
    // window could never come back, so closing it ends the program.
    if (!ikona_.Added() && !(ikonaZelana_ && ikona_.AddAgain())) return true;
    ShowWindow(hwnd_, SW_HIDE);
    return false;
}

void TVestrixForm::pumUkoncitClick() {
    ikonaZelana_ = false;
    ikona_.Delete();
    pump_.ProcessMessages();
    // Only the message loop is told to end. The click may come from a wait
    // of a call (mail, dial-up, history, name resolution), which runs to its
    // end first; the window goes once the loop is over (Znic).
    PostQuitMessage(0);
}

void TVestrixForm::Znic() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void TVestrixForm::KoniecRelacie() {
    // Windows may end the process once this message returns: the window
    // goes now, with the closing lines and the control's end of its CAPI
    // registration. Inside a call (its routine lets messages through) the
    // window stays for the call to end; only the log is closed.
    pumUkoncitClick();
    if (!routine_ || !routine_->VBehu()) {
        Znic();
    } else {
        ZavriLog();
    }
}

void TVestrixForm::ZavriLog() {
    if (!Log) return;
    try {
        Log->Add("Ukončenie programu Vestrix");
        Log->Add(std::string(42, '-'));
    } catch (...) {
        // The program ends all the same.
    }
    Log.reset();
}

void TVestrixForm::FormDestroy() {
    konci_ = true;
    ikonaZelana_ = false;
    if (ikonaZnova_) ikonaZnova_->SetEnabled(false);
    ikona_.Delete();
    routine_->Timer2Timer();  // the caller-ID window goes with the program
    if (UDPServer_) {
        try {
            UDPServer_->SetActive(false);
        } catch (...) {
        }
    }
    ZavriLog();
    Linkor1_.reset();  // the control ends its CAPI registration with the window
}

// ------------------------------------------------------------ call view

bool TVestrixForm::IsActive() { return hwnd_ && IsWindowVisible(hwnd_) && GetForegroundWindow() == hwnd_; }

void TVestrixForm::GridChanged() {
    // All cells in one go: a new call moves every row, and one redraw of
    // the grid costs less than one for each cell.
    std::vector<std::string> bunky;
    bunky.reserve(TMriezka::kRiadky * TMriezka::kStlpce);
    for (int r = 0; r < TMriezka::kRiadky; ++r)
        for (int c = 0; c < TMriezka::kStlpce; ++c) bunky.push_back(Mriezka.Cell(c, r));
    StringGrid1_->SetCells(bunky);
}

std::unique_ptr<IPanelView> TVestrixForm::CreateCallerIdWindow() { return std::make_unique<TFormCID>(); }

void TVestrixForm::Show(SourceItem item, bool visible) {
    switch (item) {
    case SourceItem::Zavolat:
        PUMcisla.Find(ids::Zavolat)->Visible = visible;
        break;
    case SourceItem::pumAktivuj:
        PopupMenu1.Find(ids::pumAktivuj)->Visible = visible;
        break;
    case SourceItem::pumDeaktivuj:
        PopupMenu1.Find(ids::pumDeaktivuj)->Visible = visible;
        break;
    case SourceItem::N3:
        PopupMenu1.Find(ids::N3)->Visible = visible;
        break;
    case SourceItem::swLAN:
        display_->ShowIndicator(TIndikator::swLAN, visible);
        break;
    case SourceItem::swCOMON:
        display_->ShowIndicator(TIndikator::swCOMON, visible);
        break;
    case SourceItem::swCOMOFF:
        display_->ShowIndicator(TIndikator::swCOMOFF, visible);
        break;
    case SourceItem::swCAPION:
        display_->ShowIndicator(TIndikator::swCAPION, visible);
        break;
    case SourceItem::swCAPIOFF:
        display_->ShowIndicator(TIndikator::swCAPIOFF, visible);
        break;
    }
}

// ------------------------------------------------------------ commands

void TVestrixForm::btPovolitClick() {
    P.Prepinace.notify = !P.Prepinace.notify;
    display_->ShowIndicator(TIndikator::swNotif, P.Prepinace.notify);
    if (!P.Prepinace.notify) {
        display_->ShowIndicator(TIndikator::swNotifErr, false);
        if (!IsActive() && P.Prepinace.cid && routine_->FormCID())
            routine_->FormCID()->ShowIndicator(TIndikator::swNotifErr, false);
    }
}

void TVestrixForm::imAkciaClick() {
    P.Prepinace.ring = !P.Prepinace.ring;
    display_->ShowIndicator(TIndikator::swZvonec, P.Prepinace.ring);
}

void TVestrixForm::imDisplayClick() {
    P.Prepinace.cid = !P.Prepinace.cid;
    display_->ShowIndicator(TIndikator::swDisplay, P.Prepinace.cid);
}

void TVestrixForm::NastavVysku(int clientHeight) {
    RECT r{0, 0, kSirka, clientHeight};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_STYLE)), FALSE, 0);
    SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TVestrixForm::imZobrazenieClick() {
    RECT c;
    GetClientRect(hwnd_, &c);
    NastavVysku(c.bottom == 84 ? 323 : 84);
}

void TVestrixForm::StringGrid1MouseUp(int, int x, int y) {
    int col, row;
    if (StringGrid1_->MouseToCell(x, y, col, row)) {
        PopupStlpec = col;
        PopupRiadok = row;
    } else {
        PopupStlpec = PopupRiadok = -1;
    }
    POINT p;
    GetCursorPos(&p);
    PUMcisla.Popup(hwnd_, p.x, p.y);
}

}  // namespace vx
