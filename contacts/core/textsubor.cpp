#include "contacts/core/textsubor.h"

#include "base/errors.h"

namespace vx {

void CitajSubor(IFileSystem& fs, const std::string& cesta, std::string& out) {
    if (!fs.ReadAll(cesta, out)) {
        out.clear();
        throw EInOutError(fs.Exists(cesta) ? kChybaObsadeny : kChybaNenajdeny);
    }
}

void RiadkyAkoCitanie(const std::string& text, std::vector<std::string>& riadky) {
    riadky.clear();
    SplitLines(text, riadky);
    if (riadky.empty()) riadky.emplace_back();
}

std::string OdrezPole(std::string& rest) {
    size_t p = rest.find(';');
    if (p == std::string::npos) return std::string();
    std::string pole = rest.substr(0, p);
    rest.erase(0, p + 1);
    return pole;
}

std::string BezKoncovRiadkov(const std::string& s) {
    std::string r = s;
    for (char& c : r)
        if (c == '\r' || c == '\n') c = ' ';
    return r;
}

}  // namespace vx
