#include "contacts/win32/historia_win32.h"

#include <commctrl.h>

#include "contacts/core/adresar.h"
#include "contacts/win32/kontakty_ids.h"
#include "contacts/win32/kontakty_okna.h"
#include "widgets/control.h"

namespace vx {

namespace {

const int kSirka = 640, kVyska = 420;
// Calling number, name and firm; the date column is as wide as its text and
// the called number takes what is left.
const int kSirkyStlpcov[3] = {100, 150, 150};
const int kPanely[4] = {110, 330, 110, 90};

}  // namespace

TFormHistoria::TFormHistoria(TKontaktyOkna& okna) : okna_(okna) {
    const TKontaktyMonitora& m = okna_.Monitor();
    THistoriaOkno::THladajFn hladaj = [m](const std::string& cislo) {
        const TNastaveniaKontaktov n = m.Nastavenia ? m.Nastavenia() : TNastaveniaKontaktov{};
        return m.Adresar ? m.Adresar->HladajVolajuceho(m.CestaProgramu(), n.countryprefix, cislo)
                         : HladajVolajuceho(*m.fs, m.CestaProgramu(), n.countryprefix, cislo);
    };
    logika_ = std::make_unique<THistoriaOkno>(*m.fs, *m.pump, *m.clock, okna_.Historia(), m.Texty,
                                              okna_.StavHistorie, *m.HistoriaOtvorena, std::move(hladaj),
                                              static_cast<IHistoriaView&>(*this));
    // The fill-in takes the book as it is between two passes of the messages.
    if (m.Adresar) logika_->PripojAdresar(*m.Adresar);
    if (!VytvorOkno(kids::kHistoriaClass, "História hovorov", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
                    kSirka, kVyska))
        return;
    sgHistoria_ = std::make_unique<TGrid>(hwnd_, kids::sgHistoria, 0, 0, kSirka, 346, kStlpceHistorie, font_);
    // A call's date and time show whole: "dd.mm.yyyy  hh:mm:ss" and the
    // cell's margins.
    const int datum = TextWidth(font_, L"00.00.0000  00:00:00") + 6;
    sgHistoria_->SetColWidth(0, datum);
    int zvysok = 0;
    {
        RECT c{};
        GetClientRect(sgHistoria_->Handle(), &c);
        zvysok = c.right - datum - kStlpceHistorie;
    }
    for (int c = 1; c <= 3; ++c) {
        sgHistoria_->SetColWidth(c, kSirkyStlpcov[c - 1]);
        zvysok -= kSirkyStlpcov[c - 1];
    }
    sgHistoria_->SetColWidth(4, zvysok);
    sgHistoria_->SetRowHeight(16);
    sgHistoria_->SetFixed(1, 0);
    sgHistoria_->SetDoubleBuffered(true);
    TMriezkaHistorie& g = logika_->Mriezka();
    sgHistoria_->Rows = [&g] { return g.RowCount(); };
    sgHistoria_->Text = [&g](int c, int r) { return g.Cell(c, r); };
    sgHistoria_->OnMouseUp = [this](int, int x, int y) {
        int col, row;
        const bool naBunke = sgHistoria_->MouseToCell(x, y, col, row);
        const TKontaktyMonitora& mon = okna_.Monitor();
        THistoriaOkno::sgHistoriaMouseUp(naBunke, col, row, *mon.PopupStlpec, *mon.PopupRiadok);
        if (mon.OtvorPUMcisla) mon.OtvorPUMcisla(hwnd_);
    };
    sgHistoria_->Refresh();

    NastavText(Zaskrtavacie(kids::cbFilter, 8, 354, 100, 22), "Filter");
    NastavText(Tlacidlo(kids::btDopl, 116, 352, 120, 26), "Doplniť mená");
    HWND gauge = Ovladac(PROGRESS_CLASSW, 0, kids::HistoriaGauge, 248, 357, 280, 16);
    SendMessageW(gauge, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    ShowWindow(gauge, SW_HIDE);
    // Both the default and the cancel button: Enter and Escape close too.
    NastavText(Tlacidlo(kids::bbtZavriet, kSirka - 92, 352, 84, 26, true), "Zavrieť");
    VytvorStav(kids::HistoriaStatus, {kPanely[0], kPanely[1], kPanely[2], kPanely[3]});
}

TFormHistoria::~TFormHistoria() { sgHistoria_.reset(); }

void TFormHistoria::Zobraz() {
    okna_.Zobraz(*this, [this] {
        SetFocus(sgHistoria_->Handle());
        logika_->FormCreate();
    });
    // Closing: the window no longer counts as open, then the trim.
    const TKontaktyMonitora& m = okna_.Monitor();
    const TNastaveniaKontaktov n = m.Nastavenia ? m.Nastavenia() : TNastaveniaKontaktov{};
    try {
        logika_->FormClose(n.cuthistory, n.maxrowshistory, n.cutrowshistory);
    } catch (...) {
        *m.HistoriaOtvorena = false;
        HandleCurrentException();
    }
}

void TFormHistoria::Zatvor() {
    // Not in the middle of a load or fill-in: they go on after their
    // message pumping and need the window. The window closes after them.
    if (Zaneprazdnene()) {
        OdlozZatvorenie();
        return;
    }
    Close();
}

bool TFormHistoria::Zaneprazdnene() const { return logika_->Zaneprazdnene(); }

void TFormHistoria::Prikaz(int id, int kod, HWND) {
    if (kod != BN_CLICKED) return;
    switch (id) {
    case kids::cbFilter: logika_->cbFilterClick(); break;
    case kids::btDopl: logika_->btDoplClick(); break;
    case IDOK:
    case kids::bbtZavriet: Zatvor(); break;
    }
}

void TFormHistoria::PrikazMenu(UINT id) { okna_.PrikazMenu(id); }

void TFormHistoria::TitulkoveZatvorenie() { Zatvor(); }

void TFormHistoria::SetText(TPrvokHistorie prvok, const std::string& text) {
    switch (prvok) {
    case TPrvokHistorie::Okno: NastavText(hwnd_, text); break;
    case TPrvokHistorie::cbFilter: NastavText(Prvok(kids::cbFilter), text); break;
    case TPrvokHistorie::btDopl: NastavText(Prvok(kids::btDopl), text); break;
    case TPrvokHistorie::bbtZavriet: NastavText(Prvok(kids::bbtZavriet), text); break;
    }
}

void TFormHistoria::SetStatus(int panel, const std::string& text) {
    NastavStav(panel, text);
}

void TFormHistoria::SetStatusPath(int panel, const std::string& path) {
    if (panel >= 0 && panel < 4) NastavCestu(Prvok(kids::HistoriaStatus + panel), path);
}

void TFormHistoria::SetHourglass(bool on) { NastavPresypacieHodiny(on); }

bool TFormHistoria::FilterChecked() {
    return SendMessageW(Prvok(kids::cbFilter), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TFormHistoria::SetFilterChecked(bool on) {
    // BM_SETCHECK changes the box without a click notification.
    SendMessageW(Prvok(kids::cbFilter), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TFormHistoria::SetTopRow(int row) {
    sgHistoria_->Refresh();
    sgHistoria_->SetTopRow(row);
}

void TFormHistoria::GridChanged() { sgHistoria_->Refresh(); }

void TFormHistoria::ShowGauge(bool visible) {
    gauge_ = -1;
    ShowWindow(Prvok(kids::HistoriaGauge), visible ? SW_SHOWNA : SW_HIDE);
}

// The fill-in sets the gauge at every line; only a move reaches the control,
// since a window call per line would cost far more than the line.
void TFormHistoria::SetGauge(int percent) {
    if (percent == gauge_) return;
    gauge_ = percent;
    SendMessageW(Prvok(kids::HistoriaGauge), PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

void TFormHistoria::ShowFilterDialog() {
    TFormHistoriaFilter d(okna_.Monitor().Texty, okna_.StavHistorie.FilterHistorie);
    okna_.Zobraz(d, nullptr);
}

// ------------------------------------------------------------ filter dialog

namespace {

SYSTEMTIME Systemovy(int rok, int mesiac, int den) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(rok);
    st.wMonth = static_cast<WORD>(mesiac);
    st.wDay = static_cast<WORD>(den);
    return st;
}

}  // namespace

TFormHistoriaFilter::TFormHistoriaFilter(const TTextFn& texty, TNastavenieFiltra& filter) : f_(filter) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_DATE_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    // No close box: the dialog is left by its two buttons.
    if (!VytvorOkno(kids::kFilterClass, "Filter", WS_POPUP | WS_CAPTION, 330, 296)) return;
    Popis(kids::FilterStaticText1, 10, 8, 310, 30);
    const int kriteria[3][3] = {{kids::cbCislo, kids::ledCalling, kids::ledCallingLabel},
                                {kids::cbMeno, kids::ledMeno, kids::ledMenoLabel},
                                {kids::cbFirma, kids::ledFirma, kids::ledFirmaLabel}};
    for (int i = 0; i < 3; ++i) {
        const int y = 44 + i * 46;
        Zaskrtavacie(kriteria[i][0], 10, y + 16, 18, 20);
        Popis(kriteria[i][2], 34, y, 250, 15);
        Edit(kriteria[i][1], 34, y + 16, 250, 21);
    }
    Zaskrtavacie(kids::cbOdDatumu, 10, 200, 18, 20);
    Popis(kids::FilterStaticText2, 34, 184, 120, 15);
    Ovladac(DATETIMEPICK_CLASSW, WS_TABSTOP | DTS_SHORTDATEFORMAT, kids::dtOd, 34, 200, 120, 22);
    Zaskrtavacie(kids::cbPodatum, 170, 200, 18, 20);
    Popis(kids::FilterStaticText3, 194, 184, 120, 15);
    Ovladac(DATETIMEPICK_CLASSW, WS_TABSTOP | DTS_SHORTDATEFORMAT, kids::dtPo, 194, 200, 120, 22);
    Tlacidlo(IDOK, 60, 252, 95, 28, true);
    Tlacidlo(IDCANCEL, 175, 252, 95, 28);
    FilterFormCreate(*this, texty, f_);
}

void TFormHistoriaFilter::Prikaz(int id, int kod, HWND) {
    if (kod != BN_CLICKED) return;
    if (id == IDOK) {
        FilterZobrazit(*this, f_);
        Close();
    } else if (id == IDCANCEL) {
        FilterSpat(f_);
        Close();
    }
}

void TFormHistoriaFilter::TitulkoveZatvorenie() {
    FilterSpat(f_);
    Close();
}

void TFormHistoriaFilter::SetText(TPrvokFiltra prvok, const std::string& text) {
    int id = 0;
    switch (prvok) {
    case TPrvokFiltra::Okno: NastavText(hwnd_, text); return;
    case TPrvokFiltra::StaticText1: id = kids::FilterStaticText1; break;
    case TPrvokFiltra::ledCalling: id = kids::ledCallingLabel; break;
    case TPrvokFiltra::ledMeno: id = kids::ledMenoLabel; break;
    case TPrvokFiltra::ledFirma: id = kids::ledFirmaLabel; break;
    case TPrvokFiltra::StaticText2: id = kids::FilterStaticText2; break;
    case TPrvokFiltra::StaticText3: id = kids::FilterStaticText3; break;
    case TPrvokFiltra::btZobrazit: id = IDOK; break;
    case TPrvokFiltra::BitBtn1: id = IDCANCEL; break;
    }
    NastavText(Prvok(id), text);
}

void TFormHistoriaFilter::SetPolia(const TPoliaFiltra& p) {
    NastavText(Prvok(kids::ledCalling), p.ledCalling);
    NastavText(Prvok(kids::ledMeno), p.ledMeno);
    NastavText(Prvok(kids::ledFirma), p.ledFirma);
    auto zaskrtni = [&](int id, bool on) {
        SendMessageW(Prvok(id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    };
    zaskrtni(kids::cbCislo, p.cbCislo);
    zaskrtni(kids::cbMeno, p.cbMeno);
    zaskrtni(kids::cbFirma, p.cbFirma);
    zaskrtni(kids::cbOdDatumu, p.cbOdDatumu);
    zaskrtni(kids::cbPodatum, p.cbPodatum);
    SYSTEMTIME od = Systemovy(p.OdRok, p.OdMesiac, p.OdDen), po = Systemovy(p.PoRok, p.PoMesiac, p.PoDen);
    SendMessageW(Prvok(kids::dtOd), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&od));
    SendMessageW(Prvok(kids::dtPo), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&po));
    // What the pickers cannot show stays as it was given.
    polia_ = p;
}

TPoliaFiltra TFormHistoriaFilter::Polia() {
    TPoliaFiltra p = polia_;
    p.ledCalling = WindowText(Prvok(kids::ledCalling));
    p.ledMeno = WindowText(Prvok(kids::ledMeno));
    p.ledFirma = WindowText(Prvok(kids::ledFirma));
    auto zaskrtnute = [&](int id) { return SendMessageW(Prvok(id), BM_GETCHECK, 0, 0) == BST_CHECKED; };
    p.cbCislo = zaskrtnute(kids::cbCislo);
    p.cbMeno = zaskrtnute(kids::cbMeno);
    p.cbFirma = zaskrtnute(kids::cbFirma);
    p.cbOdDatumu = zaskrtnute(kids::cbOdDatumu);
    p.cbPodatum = zaskrtnute(kids::cbPodatum);
    SYSTEMTIME st{};
    if (SendMessageW(Prvok(kids::dtOd), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) == GDT_VALID)
        p.OdRok = st.wYear, p.OdMesiac = st.wMonth, p.OdDen = st.wDay;
    if (SendMessageW(Prvok(kids::dtPo), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) == GDT_VALID)
        p.PoRok = st.wYear, p.PoMesiac = st.wMonth, p.PoDen = st.wDay;
    return p;
}

}  // namespace vx
