// Window classes and control ids of the contacts windows (the end-to-end
// tests find the windows and their controls by these).
#pragma once
#include <windows.h>

namespace vx::kids {

constexpr const wchar_t* kAdresarClass = L"TFormAdresar";
constexpr const wchar_t* kAdresarUspClass = L"TFormAdresarUsp";
constexpr const wchar_t* kInputBoxClass = L"TInputBoxForm";
constexpr const wchar_t* kCisloClass = L"TFormCislo";
constexpr const wchar_t* kHistoriaClass = L"TFormHistoria";
constexpr const wchar_t* kFilterClass = L"TFormHistoriaFilter";
constexpr const wchar_t* kImportClass = L"TFormImportOutlook";

// Address-book window; bbtZapis is IDOK, bbtZrus IDCANCEL.
constexpr int sgAdresar = 2001;
constexpr int btPridaj = 2002;
constexpr int btVymazat = 2003;
constexpr int btHladaj = 2004;
constexpr int btHDalsi = 2005;
constexpr int btUsporiadaj = 2006;
constexpr int btOutlook = 2007;
constexpr int bbtZapis = IDOK;
constexpr int bbtZrus = IDCANCEL;
constexpr int ProgressBar1 = 2010;
constexpr int StatusBar1 = 2011;  // panels 0..2: StatusBar1 + panel

// Sort dialog; Button1 is IDOK.
constexpr int rbPriezvisko = 2101;
constexpr int rbFirma = 2102;

// Input box; OK and Cancel are IDOK and IDCANCEL.
constexpr int InputPrompt = 2151;
constexpr int InputEdit = 2152;

// Add-number window; btZapis is IDOK, bbtZrus IDCANCEL.
constexpr int elCislo = 2201;  // the five edits: elCislo + TPolePridania
constexpr int elCisloLabel = 2211;  // their labels, in the same order

// History window; bbtZavriet is IDCANCEL.
constexpr int sgHistoria = 2301;
constexpr int cbFilter = 2302;
constexpr int btDopl = 2303;
constexpr int bbtZavriet = IDCANCEL;
constexpr int HistoriaGauge = 2305;
constexpr int HistoriaStatus = 2311;  // panels 0..3: HistoriaStatus + panel

// Filter dialog; btZobrazit is IDOK, BitBtn1 IDCANCEL.
constexpr int cbCislo = 2401;
constexpr int ledCalling = 2402;
constexpr int cbMeno = 2403;
constexpr int ledMeno = 2404;
constexpr int cbFirma = 2405;
constexpr int ledFirma = 2406;
constexpr int cbOdDatumu = 2407;
constexpr int dtOd = 2408;
constexpr int cbPodatum = 2409;
constexpr int dtPo = 2410;
constexpr int FilterStaticText1 = 2411;
constexpr int ledCallingLabel = 2412;
constexpr int ledMenoLabel = 2413;
constexpr int ledFirmaLabel = 2414;
constexpr int FilterStaticText2 = 2415;
constexpr int FilterStaticText3 = 2416;

// Outlook import window.
constexpr int ledPredvolba = 2501;
constexpr int ledPredvolbaLabel = 2502;
constexpr int ImportStaticText1 = 2503;
constexpr int Memo1 = 2504;
constexpr int ImportGauge = 2505;
constexpr int btImportuj = 2506;

}  // namespace vx::kids
