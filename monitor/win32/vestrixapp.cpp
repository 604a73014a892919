#include "monitor/win32/vestrixapp.h"

#include <mmsystem.h>

#include "base/errors.h"
#include "base/guard.h"
#include "base/win32/text.h"
#include "monitor/core/config.h"
#include "monitor/core/koniec.h"
#include "monitor/core/udpinfo.h"
#include "monitor/win32/linkorhost.h"
#include "monitor/win32/serialsource.h"
#include "widgets/control.h"

namespace vx {

namespace {

const int kRingId = 101;

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
}

void TRingPlayer::Play() {
    if (data_) PlaySoundW(static_cast<LPCWSTR>(data_), nullptr, SND_MEMORY | SND_ASYNC | SND_NODEFAULT);
}

// ------------------------------------------------------------ the wiring

TVestrixApp::TVestrixApp(IMonitorWindow& okno) : okno_(okno) {}

TVestrixApp::~TVestrixApp() {
    // The serial source stops its timers and closes the port before the
    // routine it reports to goes.
    serial_.reset();
    routine_.reset();
}

void TVestrixApp::Zapis(const std::string& riadok) {
    if (Log) Log->Add(riadok);
}

bool TVestrixApp::VytvorLinkor1() {
    try {
        Linkor1_ = vx::VytvorLinkor1([this](const std::string& called, const std::string& calling, const std::string& typ) {
            // A call that the control reports while the window goes (its
            // stop lets messages through) is not taken: the routine would
            // pump timers of a window being destroyed.
            if (routine_ && !konci_) routine_->Linkor1InComingCall(called, calling, typ);
        });
    } catch (...) {
        HandleCurrentException();
        return false;
    }
    return true;
}

void TVestrixApp::Pripoj() {
    PripojLAN();
    serial_ = std::make_unique<TSerialSource>(*this, okno_);
    routine_ = std::make_unique<TCallRoutine>(P, Mriezka, okno_, zvukZvonenia_, timers, clock);
    PripojRutinu();
    PripojNotifikacie();
}

void TVestrixApp::PripojLAN() {
    UDPServer_ = std::make_unique<TUDPServer>();
    UDPServer_->OnUDPRead = [this](const std::string& data, const std::string& ip, uint16_t) {
        if (!Log) return;
        UDPServerUDPRead(data, ip, P, *Log, [this](const std::string& called, const std::string& calling) {
            routine_->HALOHALO(called, calling);
        });
    };
    UDPServer_->OnOverflow = [this](size_t zahodene) { Zapis(RiadokPreteceniaUDP(zahodene)); };
    UDPClient_ = std::make_unique<TUDPClient>();
}

void TVestrixApp::PripojRutinu() {
    TCallHooks& k = routine_->Hooks;
    k.HladajVolajuceho = [this](const std::string& cislo, std::string& meno, std::string& firma) {
        TMenoFirma mf = adresar.HladajVolajuceho(P.CestaProgramu, P.Config.countryprefix, cislo);
        meno = mf.Meno;
        firma = mf.Firma;
    };
    k.ZapisLog = [this](const std::string& s) { Zapis(s); };
    k.PosliPoSieti = [this](const std::string& text) {
        if (Log) PosliPoSieti(text, P.Config, *UDPClient_, *Log);
    };
    k.ZapisHistoriu = [this](const std::string& riadok) {
        if (historia_)
            historia_->ZapisHistoriu(riadok, P.Volanie.Cislo, P.Volanie.Datum, P.Volanie.Cas, P.Config.history);
    };
    k.TrimLog = [this] {
        if (Log) Log->Trim();
    };
    k.Text = [this](int n) { return Texty[n]; };
}

void TVestrixApp::PripojNotifikacie() {
    auto zapis = [this](const std::string& s) { Zapis(s); };
    TCallHooks& k = routine_->Hooks;
    programy_ = std::make_unique<TNotifikacieProgramov>(P, winExec_, fs, zapis);
    k.PosliKurierom = [this](const std::string& cislo) { programy_->PosliKurierom(cislo); };
    k.SpustiProgram = [this](const std::string& cislo, const std::string& volane) {
        return programy_->SpustiProgram(cislo, volane);
    };
    DialUp1_ = std::make_unique<TDialUp>();
    smtpSocket_ = std::make_unique<TWinsockSocket>(pump);
    mail_ = std::make_unique<TMailNotifikacia>(P, *DialUp1_, *smtpSocket_, timers, pump, clock, zapis);
    mail_->ZatvorComm = [this] { serial_->ZatvorComm(); };
    mail_->ObnovPolling = [this] { serial_->ObnovPolling(); };
    mail_->ZobrazVysledok = [this](bool ok) {
        okno_.Panel().ShowIndicator(TIndikator::swNotifErr, !ok);
        okno_.Panel().ShowIndicator(TIndikator::swNotif, ok);
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
}

// ------------------------------------------------------------ start-up

void TVestrixApp::ZistiCestu() {
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

void TVestrixApp::ZacniBeh() {
    // 1-4
    ZistiCestu();
    historia_ = std::make_unique<THistoria>(fs, pump, timers, clock, P.CestaProgramu, P.HistoriaObsadena,
                                            [this](const std::string& s) { Zapis(s); });
    Chranene([this] { NacitajConfig(P.Config, fs, P.CestaProgramu + "vestrix.ini"); });
    Chranene([this] { NacitajTexty(Texty, fs, P.CestaProgramu + "vestrix.lng"); });
    P.HistoriaOtvorena = false;

    // 5
    Log = std::make_unique<TLog>(fs, clock, P.CestaProgramu + "vestrix.log", 1000000, 2000);
    Chranene([this] {
        Log->Trim();
        // Later lines that cannot be written are lost quietly; at the start
        // a log that cannot take a line is worth the user's knowing.
        if (int r = Log->Add("Štart programu VESTRIX 2.70.134")) throw EInOutError(r);
    });

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
    // 14: the switches start as the settings say.
    P.Prepinace.notify = P.Config.notify;
    P.Prepinace.action = P.Config.action;
    P.Prepinace.ring = P.Config.ring;
    P.Prepinace.cid = P.Config.cid;
}

void TVestrixApp::NacitajPosledneVolania() {
    historia_->NacitajPosledneVolania(
        [this](const TZaznamHistorie& z) { Mriezka.PridajNaVrch(z.DatumCas, z.Cislo, z.Meno, z.Firma); });
    okno_.GridChanged();
    // 19: the newest call counts as seen by the 3Com reader.
    if (!Mriezka.Cell(1, 0).empty()) P.Posledny3COM = Posledny3COMZMriezky(Mriezka);
}

void TVestrixApp::NastavCOMTeraz() {
    TUdpServerControl udp(*UDPServer_);
    NastavComContext c{P, okno_, Linkor1_.get(), udp, serial_->Control(), serial_->Link.Timer100(), pump};
    NastavCOM(c);
}

// ------------------------------------------------------------ the end

void TVestrixApp::KoniecRelacie() {
    konci_ = true;
    vx::KoniecRelacie(Log.get(), Linkor1_.get());
}

void TVestrixApp::Skonci() {
    konci_ = true;
    routine_->Timer2Timer();  // the caller-ID window goes with the program
    if (UDPServer_) {
        try {
            UDPServer_->SetActive(false);
        } catch (...) {
        }
    }
    ZavriLog(Log.get());
    Log.reset();
    Linkor1_.reset();  // the control ends its CAPI registration with the window
}

}  // namespace vx
