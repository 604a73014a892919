#include "monitor/win32/vestrixform.h"

#include "base/busy.h"
#include "base/guard.h"
#include "base/win32/text.h"
#include "contacts/win32/kontakty_okna.h"
#include "monitor/win32/formcid.h"
#include "monitor/win32/ids.h"
#include "monitor/win32/serialsource.h"
#include "widgets/gridpaint.h"
#include "widgets/modal.h"

namespace vx {

namespace {

const char kTitul[] = "Vestrix";
const COLORREF kNavy = RGB(0x1E, 0x36, 0x62);    // the top band and frame pictures
const COLORREF kHeader = RGB(0x3A, 0x5C, 0x94);  // the column-header picture
const COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);
const wchar_t kPismo[] = L"Tahoma";
const int kTlacidloW = 54;  // an image button's column in the top band
const int kPopisMax = 9;    // the labels' font, unless a caption needs a smaller one
// The date and time whole at 11 pixels, clear of the line; the last column
// ends at the grid's client edge, its line beyond it.
const int kSirkyStlpcov[4] = {109, 87, 94, 95};

// The window's navy background, kept for the life of the program.
HBRUSH FondOkna() {
    static HBRUSH b = CreateSolidBrush(kNavy);
    return b;
}

}  // namespace

// ------------------------------------------------------------ the window

TVestrixForm::TVestrixForm() = default;

TVestrixForm::~TVestrixForm() {
    for (HFONT f : {fLabel_, fHeader_, fGrid_, fVerzia_})
        if (f) DeleteObject(f);
}

bool TVestrixForm::Vytvor() {
    // Linkor1 comes first, with its stored settings: without the control
    // there is no main window, only the standard error box.
    if (!app_.VytvorLinkor1()) return false;

    TWindowClass trieda;
    trieda.name = ids::kMainClass;
    trieda.background = FondOkna();
    trieda.icon = L"MAINICON";
    // Single border with the system menu only, centred on the desktop.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    RECT r{0, 0, kSirka, kVyska};
    AdjustWindowRectEx(&r, style, FALSE, 0);
    int w = r.right - r.left, h = r.bottom - r.top;
    int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    if (!CreateWnd(trieda, 0, Wide(kTitul).c_str(), style, x, y, w, h, nullptr)) return false;

    VytvorKomponenty();
    app_.Pripoj();
    PripojKontakty();

    // A failed add of the icon (at log-on the shell may not be ready) is
    // tried again until it holds; a restarted shell announces itself.
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    ikonaZnova_ = app_.timers.CreateTimer();
    ikonaZnova_->OnTimer = [this] {
        if (!ikonaZelana_ || ikona_.Added() || ikona_.AddAgain()) ikonaZnova_->SetEnabled(false);
    };
    ikonaZnova_->SetInterval(2000);

    timer5_ = app_.timers.CreateTimer();
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
    case WM_COMMAND:
        if (HIWORD(wp) == 0 && lp == 0) {
            UINT id = LOWORD(wp);
            if (PopupMenu1.HandleCommand(id) || PUMcisla.HandleCommand(id)) return 0;
        }
        break;
    case ids::kChybyStartu:
        ZobrazChybyStartu();
        return 0;
    case ids::kIkonaSprava:
        KlikNaIkonu(wp, lp);
        if (static_cast<UINT>(lp) == WM_LBUTTONDOWN) return 0;
        return DefWindowProcW(hwnd_, msg, wp, lp);
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

// ------------------------------------------------------------ start-up

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
    // monitor without captions, icon or call source. The errors are shown
    // once the call source listens: a message waits for the user, and a PC
    // that starts the monitor with nobody at the desk would meanwhile lose
    // every call.
    {
        const TBusy start(startuje_);
        KrokyStartu();
    }
    if (!chybyStartu_.empty()) PostMessageW(hwnd_, ids::kChybyStartu, 0, 0);
}

void TVestrixForm::KrokyStartu() {
    TVestrixApp& a = app_;
    a.ZacniBeh();

    Chranene([this, &a] {
        // 6: captions from the language table.
        TStaticText* popisy[12] = {lSetup_.get(),  lNotify_.get(), lRing_.get(),  lCallerID_.get(),
                                   lHistory_.get(), lAdresar_.get(), lNumber_.get(), lView_.get(),
                                   stcas_.get(),    stCalling_.get(), stName_.get(), stFirm_.get()};
        for (int i = 0; i < 12; ++i) popisy[i]->SetText(a.Texty[i + 1]);
        PismoPopisov(popisy);
        const UINT polozky[8] = {ids::pumDeaktivuj, ids::pumAktivuj,  ids::pumZobrazit,  ids::pumKonfiguracia,
                                 ids::pumHistoria,  ids::pumAdresar,  ids::pumOprograme, ids::pumUkoncit};
        for (int i = 0; i < 8; ++i) PopupMenu1.Find(polozky[i])->Caption = a.Texty[136 + i];
        PUMcisla.Find(ids::pridat)->Caption = a.Texty[98];
        PUMcisla.Find(ids::Zavolat)->Caption = a.Texty[155];
    });

    // 7: one past the last row, so no cell shows as selected.
    StringGrid1_->SetSelection(0, TMriezka::kRiadky);
    // 13
    SetShowHints(a.P.Config.showhint);
    // 14
    display_->ShowIndicator(TIndikator::swAkcia, a.P.Config.action);
    display_->ShowIndicator(TIndikator::swDisplay, a.P.Config.cid);
    display_->ShowIndicator(TIndikator::swZvonec, a.P.Config.ring);
    display_->ShowIndicator(TIndikator::swNotif, a.P.Config.notify);
    // 15
    display_->SetCislo("");
    display_->SetMeno("");
    display_->SetFirma("");
    // 16
    StringGrid1_->SetDoubleBuffered(true);
    // 17
    PridajIkonu(L"MAINICON");
    // 18-19
    Chranene([&a] { a.NacitajPosledneVolania(); });
    // 20
    Chranene([&a] { a.NastavCOMTeraz(); });
}

void TVestrixForm::ZobrazChybu(const std::string& message) {
    if (startuje_) {
        chybyStartu_.push_back(message);
        return;
    }
    // Owned by the window the user works in: a box owned by a window that
    // a modal one has disabled would enable it again when it closes.
    HWND vlastnik = ModalneOkno();
    if (!vlastnik && hwnd_ && IsWindowVisible(hwnd_)) vlastnik = hwnd_;
    MessageBoxW(vlastnik, Wide(message).c_str(), Wide(kTitul).c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

void TVestrixForm::ZobrazChybyStartu() {
    std::vector<std::string> chyby;
    chyby.swap(chybyStartu_);
    for (const std::string& c : chyby) ZobrazChybu(c);
}

// ------------------------------------------------------------ tray icon

void TVestrixForm::PridajIkonu(const wchar_t* resource) {
    HICON nova = LoadIconW(ResourceModule(), resource);
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(nova));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(nova));
    // Icons from LoadIcon are shared: nothing to free.
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
    if (app_.P.Config.startminimized && ikona_.Added()) SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

bool TVestrixForm::FormClose() {
    // Without an icon (a start-up that failed before adding it) a hidden
    // window could never come back, so closing it ends the program.
    if (!ikona_.Added() && !(ikonaZelana_ && ikona_.AddAgain())) return true;
    ShowWindow(hwnd_, SW_HIDE);
    return false;
}

void TVestrixForm::pumUkoncitClick() {
    OdoberIkonu();
    app_.pump.ProcessMessages();
    UkonciSlucku();
}

void TVestrixForm::OdoberIkonu() {
    ikonaZelana_ = false;
    ikona_.Delete();
}

void TVestrixForm::UkonciSlucku() {
    // Only the message loop is told to end. The end may come inside a wait
    // (a call's mail, dial-up, history or name resolution, a save's switch
    // of the call source), which runs to its end first; the window and what
    // it owns go once the loop is over (Znic).
    PostQuitMessage(0);
}

void TVestrixForm::Znic() { DestroyWnd(); }

void TVestrixForm::KoniecRelacie() {
    // Windows may end the process once this message returns, and it may
    // come inside any wait of a frame below: what must be done by then is
    // done now (the closing lines, the end of the CAPI registration), and
    // nothing is freed; the window goes when the main loop ends, as at every
    // end. No messages are let through here: the session is ending.
    OdoberIkonu();
    UkonciSlucku();
    app_.KoniecRelacie();
}

void TVestrixForm::FormDestroy() {
    app_.NeprijimajVolania();
    if (ikonaZnova_) ikonaZnova_->SetEnabled(false);
    OdoberIkonu();
    app_.Skonci();
}

// ------------------------------------------------------------ call view

bool TVestrixForm::IsActive() { return hwnd_ && IsWindowVisible(hwnd_) && GetForegroundWindow() == hwnd_; }

void TVestrixForm::GridChanged() {
    // All cells in one go: a new call moves every row, and one redraw of
    // the grid costs less than one for each cell.
    std::vector<std::string> bunky;
    bunky.reserve(TMriezka::kRiadky * TMriezka::kStlpce);
    for (int r = 0; r < TMriezka::kRiadky; ++r)
        for (int c = 0; c < TMriezka::kStlpce; ++c) bunky.push_back(app_.Mriezka.Cell(c, r));
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
    TPrepinace& s = app_.P.Prepinace;
    s.notify = !s.notify;
    display_->ShowIndicator(TIndikator::swNotif, s.notify);
    if (!s.notify) {
        display_->ShowIndicator(TIndikator::swNotifErr, false);
        IPanelView* cid = app_.Volania().FormCID();
        if (!IsActive() && s.cid && cid) cid->ShowIndicator(TIndikator::swNotifErr, false);
    }
}

void TVestrixForm::imAkciaClick() {
    TPrepinace& s = app_.P.Prepinace;
    s.ring = !s.ring;
    display_->ShowIndicator(TIndikator::swZvonec, s.ring);
}

void TVestrixForm::imDisplayClick() {
    TPrepinace& s = app_.P.Prepinace;
    s.cid = !s.cid;
    display_->ShowIndicator(TIndikator::swDisplay, s.cid);
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

void TVestrixForm::ZavolatClick() {
    TSerialSource* serial = app_.Serial();
    if (PopupStlpec < 0 || PopupRiadok < 0 || !serial) return;
    // The number and name of the row under the mouse: of the history grid
    // while the history window is open, else of the main grid.
    auto bunka = [this](int col) {
        if (app_.P.HistoriaOtvorena && kontakty_) return kontakty_->BunkaHistorie(col, PopupRiadok);
        return app_.Mriezka.Cell(col, PopupRiadok);
    };
    const std::string cislo = bunka(1);
    const std::string popis = cislo + "  " + bunka(2);
    if (cislo.empty() || cislo == "anonymous") return;
    serial->Vytoc(cislo, popis);
}

void TVestrixForm::pumAktivujClick() {
    if (TSerialSource* serial = app_.Serial()) serial->Link.pumAktivujClick();
}

void TVestrixForm::pumDeaktivujClick() {
    if (TSerialSource* serial = app_.Serial()) serial->Link.pumDeaktivujClick();
}

}  // namespace vx
