// The main window's commands that open the contacts windows: the image
// buttons imHistoria, imAdresar and imPridaj, the tray entries pumHistoria
// and pumAdresar, pridat of the grid popup PUMcisla, and Zavolajslo1 of the
// address book's dial popup. The windows live in
// contacts/win32; the main window owns their state for the whole run.
#include "contacts/win32/formular_win32.h"
#include "contacts/win32/kontakty_okna.h"
#include "monitor/win32/ids.h"
#include "monitor/win32/vestrixform.h"
#include "monitor/win32/serialsource.h"

namespace vx {

namespace {

// What the add-number window changes in the main window: the last-ten grid
// and the number display.
class THlavneOknoMena : public IHlavneOknoMena {
public:
    std::function<std::string(int)> Cislo;
    std::function<void(int, const std::string&, const std::string&)> MenoVRiadku;
    std::function<std::string()> Zobrazene;
    std::function<void(const std::string&, const std::string&)> NastavZobrazene;

    std::string CisloVRiadku(int row) override { return Cislo(row); }
    void SetMenoVRiadku(int row, const std::string& meno, const std::string& firma) override {
        MenoVRiadku(row, meno, firma);
    }
    std::string ZobrazeneCislo() override { return Zobrazene(); }
    void SetZobrazene(const std::string& meno, const std::string& firma) override { NastavZobrazene(meno, firma); }
};

struct TKontaktyHlavneho {
    THlavneOknoMena hlavne;
    std::unique_ptr<TKontaktyOkna> okna;
};

struct THladanie {
    int id;
    HWND w;
};

BOOL CALLBACK NajdiPotomka(HWND w, LPARAM lp) {
    auto* h = reinterpret_cast<THladanie*>(lp);
    if (GetDlgCtrlID(w) != h->id) return TRUE;
    h->w = w;
    return FALSE;
}

HWND Potomok(HWND root, int id) {
    THladanie h{id, nullptr};
    EnumChildWindows(root, NajdiPotomka, reinterpret_cast<LPARAM>(&h));
    return h.w;
}

}  // namespace

void TVestrixForm::PripojKontakty() {
    TVestrixApp& a = app_;
    auto k = std::make_shared<TKontaktyHlavneho>();
    THlavneOknoMena& h = k->hlavne;
    h.Cislo = [&a](int row) { return a.Mriezka.Cell(1, row); };
    h.MenoVRiadku = [this](int row, const std::string& meno, const std::string& firma) {
        app_.Mriezka.SetCell(2, row, meno);
        app_.Mriezka.SetCell(3, row, firma);
        GridChanged();
    };
    h.Zobrazene = [this] { return WindowText(Potomok(hwnd_, ids::kCislo)); };
    h.NastavZobrazene = [this](const std::string& meno, const std::string& firma) {
        display_->SetMeno(meno);
        display_->SetFirma(firma);
    };

    TKontaktyMonitora m;
    m.fs = &a.fs;
    m.Adresar = &a.adresar;
    m.pump = &a.pump;
    m.clock = &a.clock;
    m.Historia = [&a] { return a.Historia(); };
    m.CestaProgramu = [&a] { return a.P.CestaProgramu; };
    m.Texty = [&a](int n) { return a.Texty[n]; };
    m.Nastavenia = [&a] {
        const TPremenne& P = a.P;
        TNastaveniaKontaktov n;
        n.isCAPI = P.Config.isCAPI;
        n.isnet = P.Config.isnet;
        n.COMdevice = P.Config.COMdevice;
        n.countryprefix = P.Config.countryprefix;
        n.cuthistory = P.Config.cuthistory;
        n.maxrowshistory = P.Config.maxrowshistory;
        n.cutrowshistory = P.Config.cutrowshistory;
        return n;
    };
    m.HistoriaOtvorena = &a.P.HistoriaOtvorena;
    m.PopupStlpec = &PopupStlpec;
    m.PopupRiadok = &PopupRiadok;
    m.Hlavne = &h;
    m.OtvorPUMcisla = [this](HWND owner) {
        POINT p;
        GetCursorPos(&p);
        PUMcisla.Popup(owner, p.x, p.y);
    };
    m.PrikazMenu = [this](UINT id) { return PopupMenu1.HandleCommand(id) || PUMcisla.HandleCommand(id); };
    m.Vytoc = [&a](const std::string& cislo, const std::string& popis) {
        if (TSerialSource* serial = a.Serial()) serial->Vytoc(cislo, popis);
    };
    m.HlavneOkno = [this] { return hwnd_; };
    k->okna = std::make_unique<TKontaktyOkna>(std::move(m));
    kontakty_ = std::shared_ptr<TKontaktyOkna>(k, k->okna.get());

    TKontaktyOkna& o = *kontakty_;
    imHistoria_->OnClick = [&o] { o.OtvorHistoriu(); };
    imAdresar_->OnClick = [&o] { o.OtvorAdresar(); };
    imPridaj_->OnClick = [&a, &o] { o.OtvorPridanie(a.P.Volanie.Cislo); };
    PopupMenu1.Find(ids::pumHistoria)->OnClick = [&o] { o.OtvorHistoriu(); };
    PopupMenu1.Find(ids::pumAdresar)->OnClick = [&o] { o.OtvorAdresar(); };
    PUMcisla.Find(ids::pridat)->OnClick = [&a, &o] {
        o.pridatClick([&a](int c, int r) { return a.Mriezka.Cell(c, r); });
    };
}

}  // namespace vx
