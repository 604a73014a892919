#include "monitor/core/config.h"

#include <vector>

#include "base/pascal.h"

namespace vx {

namespace {

enum class Druh { Bool, Int, Text };

struct Kluc {
    const char* meno;  // as the writer spells it
    Druh druh;
    bool TConfig::*b;
    int32_t TConfig::*i;
    std::string TConfig::*t;
};

#define VX_B(k) {#k, Druh::Bool, &TConfig::k, nullptr, nullptr}
#define VX_I(k) {#k, Druh::Int, nullptr, &TConfig::k, nullptr}
#define VX_T(k) {#k, Druh::Text, nullptr, nullptr, &TConfig::k}

// The keys in the order of the file.
const Kluc kKluce[] = {
    VX_B(showhint),       VX_B(ring),           VX_B(cid),            VX_I(cidinterval),
    VX_B(startminimized), VX_T(countryprefix),  VX_B(notify),         VX_T(SMTPaddress),
    VX_T(SMTPport),       VX_T(email1),         VX_T(email2),         VX_T(email3),
    VX_B(DUPconnection),  VX_T(DUPname),        VX_I(maxtries),       VX_I(repeatafter),
    VX_B(messanger),      VX_T(namemess1),      VX_T(namemess2),      VX_T(namemess3),
    VX_T(PCIP1),          VX_T(PCport1),        VX_T(PCIP2),          VX_T(PCport2),
    VX_T(PCIP3),          VX_T(PCport3),        VX_T(UDPserverport),  VX_B(acceptname),
    VX_B(sendUDP),        VX_B(action),         VX_T(actionprogram1), VX_T(actioncalling1),
    VX_T(actioncalled1),  VX_T(actionprogram2), VX_T(actioncalling2), VX_T(actioncalled2),
    VX_T(actionprogram3), VX_T(actioncalling3), VX_T(actioncalled3),  VX_B(history),
    VX_B(cuthistory),     VX_I(maxrowshistory), VX_I(cutrowshistory), VX_B(isnet),
    VX_B(isCAPI),         VX_B(isCOM),          VX_T(COMdevice),      VX_T(COMport),
    VX_T(COMbaudrate),    VX_I(COMinterval),    VX_B(startup),
};

#undef VX_B
#undef VX_I
#undef VX_T

static_assert(sizeof kKluce / sizeof kKluce[0] == 51, "vestrix.ini has 51 keys");

// Codes the configuration window can choose; anything else (a hand-edited
// "ZYXELISDN2", an unknown speed) is left out of the file.
const char* const kZariadenia[] = {"TODOS", "TODOSTA", "ZYXELISDN", "3COM"};
const char* const kRychlosti[] = {"br115200", "br57600", "br38400"};

template <size_t N>
bool Medzi(const std::string& s, const char* const (&zoznam)[N]) {
    for (const char* z : zoznam)
        if (s == z) return true;
    return false;
}

}  // namespace

bool RozdelRiadok(const std::string& line, std::string& key, std::string& value) {
    size_t p = line.find('=');
    if (p == std::string::npos) return false;
    key = UpperCase(line.substr(0, p));
    value = line.substr(p + 1);
    return true;
}

void NacitajConfig(TConfig& config, IFileSystem& fs, const std::string& path) {
    if (!fs.Exists(path)) return;
    const std::string subor = path.substr(path.find_last_of("\\/") + 1);
    std::string data;
    // Read whole and closed before anything is converted, so a conversion
    // error never leaves the file open.
    if (!fs.ReadAll(path, data)) throw EInOutError(IoErrorCode(fs, 5), subor);
    std::vector<std::string> lines;
    SplitLines(data, lines);
    std::string key, value;
    // One value that does not convert must not cost the others (the call
    // source above all): it keeps its value, and the first one is reported
    // once the whole file has been read.
    std::string chyba;
    for (const std::string& line : lines) {
        if (!RozdelRiadok(line, key, value)) continue;
        for (const Kluc& k : kKluce) {
            if (key != UpperCase(k.meno)) continue;
            try {
                switch (k.druh) {
                    case Druh::Bool: config.*k.b = StrToBool(value); break;
                    case Druh::Int: config.*k.i = StrToInt(value); break;
                    case Druh::Text: config.*k.t = value; break;
                }
            } catch (const EConvertError& e) {
                if (chyba.empty()) chyba = e.Message() + "\r\n" + subor + ": " + k.meno;
            }
            break;
        }
    }
    if (!chyba.empty()) throw EConvertError(chyba);
}

std::string TextConfigu(const TConfig& c) {
    std::string out;
    for (const Kluc& k : kKluce) {
        std::string v;
        switch (k.druh) {
            case Druh::Bool: v = (c.*k.b) ? "-1" : "0"; break;
            case Druh::Int: v = IntToStr(c.*k.i); break;
            case Druh::Text: v = BlankLineBreaks(c.*k.t); break;
        }
        if (k.t == &TConfig::COMdevice && !Medzi(v, kZariadenia)) continue;
        if (k.t == &TConfig::COMbaudrate && !Medzi(v, kRychlosti)) continue;
        out += k.meno;
        out += "=";
        out += v;
        out += "\r\n";
    }
    return out;
}

void ZapisConfig(const TConfig& values, TConfig& config, IFileSystem& fs, const std::string& path,
                 IRunKey& runKey, const std::string& programPath) {
    const std::string text = TextConfigu(values);
    const bool startup = values.startup;

    // The old file is replaced only by a complete new one, on the disk.
    const std::string tmp = path + ".tmp";
    int kod = 0;
    if (!WriteWhole(fs, tmp, path, text, &kod)) throw EInOutError(kod > 0 ? kod : 5);

    if (startup) {
        if (runKey.SetValue(kRunValueName, "\"" + programPath + "\"") == IRunKey::Failed)
            throw ERegistryException(std::string("Failed to set data for '") + kRunValueName + "'");
    } else {
        // A value that is not there, or a key that cannot be opened, is no error.
        runKey.DeleteValue(kRunValueName);
    }

    NacitajConfig(config, fs, path);
}

}  // namespace vx
