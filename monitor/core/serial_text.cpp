#include "monitor/core/serial_text.h"

#include "base/pascal.h"

namespace vx {

std::string VezmiRiadok(std::string& s) {
    int p = Pos("\n", s);
    if (p == 0) return std::string();
    std::string line = Copy(s, 1, p - 2);
    Delete(s, 1, p);
    return line;
}

void VymazZaciatok(std::string& s, int n) { Delete(s, 1, n); }

void NastavZnak(std::string& s, int i, char c) {
    if (i >= 1 && i <= static_cast<int>(s.size())) s[static_cast<size_t>(i - 1)] = c;
}

bool ZacinaCislicou(const std::string& s) { return !s.empty() && s[0] >= '0' && s[0] <= '9'; }

std::string CisloAleboAnonym(const std::string& s) { return ZacinaCislicou(s) ? s : "anonymous"; }

int PocetVyskytov(const std::string& sub, const std::string& s) {
    std::string rest = s;
    int count = 0;
    for (;;) {
        int p = Pos(sub, rest);
        if (p == 0) return count;
        ++count;
        Delete(rest, 1, p + static_cast<int>(sub.size()));
    }
}

std::string CasNaMinutu(const std::string& hhmm, const DateTime& now) {
    std::string cas = FormatTime(now);
    if (hhmm == Copy(cas, 1, 5)) return cas;
    return hhmm + ":00";
}

}  // namespace vx
