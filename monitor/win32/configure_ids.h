// Window classes and control ids of the configuration window and the about
// box. The tests' inspector finds the controls by these ids.
#pragma once
#include <cstring>

#include "monitor/core/configure_logic.h"

namespace vx::ids {

constexpr const wchar_t* kConfigClass = L"TConfigForm";
constexpr const wchar_t* kAboutClass = L"TAboutBox";

namespace config {

// The control of a key: kOvladac + its TOvladac value; the label of a
// labelled edit kPopis + the same; a spin edit's arrows kSipky + the same.
constexpr int kOvladac = 2000;
constexpr int kPopis = 2100;
constexpr int kSipky = 2200;
inline int Id(TOvladac o) { return kOvladac + static_cast<int>(o); }
inline int IdPopisu(TOvladac o) { return kPopis + static_cast<int>(o); }

constexpr int kNastavenie = 2300;  // the page control
constexpr int bbtZapis = 1;        // IDOK: Enter saves
constexpr int bbtZrus = 2;         // IDCANCEL: Esc cancels

// The other named elements of the window.
struct TPrvok {
    const char* meno;
    int id;
};
inline constexpr TPrvok kPrvky[] = {
    {"stCIDtime", 2301},   {"StaticText3", 2302}, {"StaticText4", 2303},  {"StaticText5", 2304},
    {"StaticText6", 2305}, {"Memo2", 2306},       {"stSMTPaddress", 2307}, {"stSMTPport", 2308},
    {"stAdresy", 2309},    {"Memo1", 2310},       {"stAction1", 2311},    {"stAction2", 2312},
    {"stAction3", 2313},   {"stMaxL1", 2314},     {"stCut1", 2315},       {"stMaxL2", 2316},
    {"stCut2", 2317},      {"Label1", 2318},      {"Label2", 2319},       {"Label3", 2320},
    {"btAction1", 2321},   {"btAction2", 2322},   {"btAction3", 2323},    {"bbtZapis", bbtZapis},
    {"bbtZrus", bbtZrus},
};

// The id of a named element, of a key's control or of the page control; 0
// when the name is unknown.
inline int IdPrvku(const char* meno) {
    for (const TPrvok& p : kPrvky)
        if (std::strcmp(p.meno, meno) == 0) return p.id;
    for (const TVazba& v : Vazby())
        if (std::strcmp(v.meno, meno) == 0) return Id(v.ovladac);
    if (std::strcmp(meno, "Nastavenie") == 0) return kNastavenie;
    return 0;
}

}  // namespace config

namespace about {
constexpr int ProductName = 2401;
constexpr int Version = 2402;
constexpr int ProgramIcon = 2403;
constexpr int OKButton = 1;  // IDOK
}  // namespace about

}  // namespace vx::ids
