#include "monitor/core/udpinfo.h"

#include "base/pascal.h"

namespace vx {

std::string VytvorUDPInfo(const TVolanie& v) {
    return v.Cislo + ";" + v.VolaneCislo + ";" + v.Datum + ";" + v.Cas + ";" + v.Meno + ";" + v.Firma;
}

// Takes the text before the first ";" of rest and removes it with the ";";
// with no ";" left the field is empty and rest stays whole.
static std::string Odrez(std::string& rest) {
    size_t p = rest.find(';');
    if (p == std::string::npos) return std::string();
    std::string field = rest.substr(0, p);
    rest.erase(0, p + 1);
    return field;
}

TUDPInfo RozdelUDPInfo(const std::string& data) {
    std::string rest = data;
    TUDPInfo u;
    u.Cislo = BlankLineBreaks(Odrez(rest));
    u.VolaneCislo = BlankLineBreaks(Odrez(rest));
    u.Datum = BlankLineBreaks(Odrez(rest));
    u.Cas = BlankLineBreaks(Odrez(rest));
    u.Meno = BlankLineBreaks(Odrez(rest));
    u.Firma = BlankLineBreaks(rest);
    return u;
}

void PosliPoSieti(const std::string& text, const TConfig& config, IUdpSender& sender, TLog& log) {
    struct Ciel {
        const std::string& ip;
        const std::string& port;
        const char* riadok;
    };
    const Ciel ciele[] = {
        {config.PCIP1, config.PCport1, "Poslanie info po sieti na adresu "},
        {config.PCIP2, config.PCport2, "Poslanie info po sieti na adresu "},
        {config.PCIP3, config.PCport3, "Poslanie info pos sieti na adresu "},
    };
    for (const Ciel& c : ciele) {
        if (c.ip.empty()) continue;
        // A port that is no number (vestrix.ini edited by hand) fails this
        // target alone, as one out of range does: the call must go on.
        int32_t port = 0;
        const bool cislo = TryStrToInt(c.port, port);
        log.Add(c.riadok + c.ip + ":" + c.port);
        bool ok = cislo && port >= 1 && port <= 65535 && sender.Send(c.ip, static_cast<uint16_t>(port), text);
        if (!ok) log.Add("Poslanie info na adresu " + c.ip + ":" + c.port + " sa nepodarilo");
    }
}

void UDPServerUDPRead(const std::string& data, const std::string& senderIp, TPremenne& p, TLog& log,
                      const CallRoutine& halohalo) {
    try {
        TUDPInfo u = RozdelUDPInfo(data);
        p.Volanie.Datum = u.Datum;
        p.Volanie.Cas = u.Cas;
        p.Volanie.Meno = u.Meno;
        p.Volanie.Firma = u.Firma;
        log.Add("Prijatie informácie o volajúcom cez LAN z adresy " + senderIp);
        if (halohalo) halohalo(u.VolaneCislo, u.Cislo);
    } catch (...) {
        // Whatever failed ends this call only; the server keeps listening.
    }
}

std::string RiadokPreteceniaUDP(size_t zahodene) {
    return "Front volaní z LAN je plný, zahodené datagramy: " + std::to_string(zahodene);
}

}  // namespace vx
