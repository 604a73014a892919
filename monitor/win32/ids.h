// Window classes, control ids and menu ids of the monitor's two call
// windows. The tests' inspector reads the windows by these ids.
#pragma once

namespace vx::ids {

constexpr const wchar_t* kMainClass = L"TVestrixForm";
constexpr const wchar_t* kCidClass = L"TFormCID";
constexpr const wchar_t* kVytocenieClass = L"TFormVytocenie";

// Message of the notification-area icon (WM_USER + 1).
constexpr unsigned kIkonaSprava = 1025;
// The main window's own message: show the errors its start put aside (WM_APP + 1).
constexpr unsigned kChybyStartu = 0x8001;

// The call panel (Display) of both windows.
constexpr int kDisplay = 1000;
constexpr int kCislo = 1001;
constexpr int kMeno = 1002;
constexpr int kFirma = 1003;
// Indicator images: kIndikator + the TIndikator value (swNotif = 0 ... swLAN = 10).
constexpr int kIndikator = 1010;

// Main window.
constexpr int kGrid = 1100;                      // StringGrid1
constexpr int kLSetup = 1201;                    // lSetup .. lView: 1201 .. 1208
constexpr int kStCas = 1211;                     // stcas, stCalling, stName, stFirm: 1211 .. 1214
constexpr int kTxVerzia = 1220;
constexpr int kImPozadie = 1300;
constexpr int kImConfigure = 1301;
constexpr int kImNotifikacia = 1302;
constexpr int kImAkcia = 1303;
constexpr int kImDisplay = 1304;
constexpr int kImHistoria = 1305;
constexpr int kImAdresar = 1306;
constexpr int kImPridaj = 1307;
constexpr int kImZobrazenie = 1308;
constexpr int kImMenu = 1309;
constexpr int kImTop = 1310;
constexpr int kImLeft = 1311;
constexpr int kImRight = 1312;
constexpr int kImBotom = 1313;
// Caller-ID window.
constexpr int kImage1 = 1400;
// Dialling window.
constexpr int kStOznam = 1500;
constexpr int kBtVytocit = 1501;
constexpr int kBtZrusit = 1502;

// PopupMenu1, in menu order.
constexpr unsigned pumDeaktivuj = 101;
constexpr unsigned pumAktivuj = 102;
constexpr unsigned N3 = 103;
constexpr unsigned pumZobrazit = 104;
constexpr unsigned pumKonfiguracia = 105;
constexpr unsigned pumHistoria = 106;
constexpr unsigned pumAdresar = 107;
constexpr unsigned N1 = 108;
constexpr unsigned pumOprograme = 109;
constexpr unsigned N2 = 110;
constexpr unsigned pumUkoncit = 111;
// PUMcisla.
constexpr unsigned pridat = 121;
constexpr unsigned Zavolat = 122;
// PUMADRzavolaj.
constexpr unsigned Zavolajslo1 = 131;

}  // namespace vx::ids
