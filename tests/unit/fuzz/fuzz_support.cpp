#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/diacritics.h"

namespace vx::fuzz {

std::vector<TTarget>& Targets() {
    static std::vector<TTarget> t;
    return t;
}

void Broken(const char* what, const char* file, int line, const std::string& detail) {
    std::fprintf(stderr, "\nINVARIANT BROKEN at %s:%d: %s\n%s\n", file, line, what, detail.c_str());
    std::fflush(stderr);
    std::abort();
}

std::string RozdielKodovejStranky() {
    static const char kTabulka[] =
        "\xFC\xE9\xE2\xE4\xF9\xE6\xEB\xD5\xF5\xEE\x8F\xC4\xC6\xC9\xC5\xE5\xF4\xF6\xBC\xBE\x8C"
        "\x9C\xD6\xDC\x8D\x9D\xE8\xE1\xED\xF3\xFA\x8E\x9E\x9F\xC8\xC1\xC2\xCC\xCF\xCB\xEF\xD2"
        "\xCD\xCE\xEC\xD9\xD3\xD4\xD1\xF1\xF2\x8A\x9A\xC0\xDA\xE0\xDB\xFD\xDD\xFB\xD8\xF8";
    std::string r;
    if (std::strcmp(kDiakritikaAccented, kTabulka) != 0)
        r += "diacritics table " + Ukaz(kDiakritikaAccented) + ", the product has " + Ukaz(kTabulka) + "\n";
    static const char kPismena[] = "Ľubica Šťastná";
    if (std::strcmp(kPismena, "\xBCubica \x8A\x9D" "astn\xE1") != 0)
        r += "a literal of the targets reads " + Ukaz(kPismena) + "\n";
    return r;
}

TVstup::TVstup(const uint8_t* data, size_t size) {
    std::string s(reinterpret_cast<const char*>(data), size);
    size_t od = 0;
    for (;;) {
        size_t p = s.find(kOddelovac, od);
        casti_.push_back(s.substr(od, p == std::string::npos ? std::string::npos : p - od));
        if (p == std::string::npos) break;
        od = p + 1;
    }
}

const std::string& TVstup::operator[](size_t i) const {
    static const std::string prazdny;
    return i < casti_.size() ? casti_[i] : prazdny;
}

uint8_t TVstup::Volba(size_t i) const {
    const std::string& s = (*this)[0];
    return i < s.size() ? static_cast<uint8_t>(s[i]) : 0;
}

std::string Ukaz(const std::string& s) {
    std::string r = "\"";
    for (unsigned char c : s) {
        if (c >= 0x20 && c < 0x7F && c != '\\' && c != '"') {
            r += static_cast<char>(c);
        } else {
            char b[8];
            std::snprintf(b, sizeof b, "\\x%02X", c);
            r += b;
        }
    }
    return r + "\"";
}

std::string Ukaz(const std::vector<std::string>& v) {
    std::string r = "[";
    for (size_t i = 0; i < v.size(); ++i) r += (i ? ", " : "") + Ukaz(v[i]);
    return r + "]";
}

bool MaZlom(const std::string& s) { return s.find_first_of(std::string("\r\n\0", 3)) != std::string::npos; }

std::vector<std::string> Riadky(const std::string& text) {
    std::vector<std::string> r;
    SplitLines(text, r);
    return r;
}

bool JePredponou(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    if (a.size() > b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i]) return false;
    return true;
}

bool MaPeciatku(const std::string& r) {
    static const char vzor[] = "00.00.0000 00:00:00  ";
    if (r.size() < sizeof vzor - 1) return false;
    for (size_t i = 0; i + 1 < sizeof vzor; ++i) {
        const bool cislica = r[i] >= '0' && r[i] <= '9';
        if (vzor[i] == '0' ? !cislica : r[i] != vzor[i]) return false;
    }
    return true;
}

int64_t TPamatoveSubory::Size(const std::string& p) {
    auto it = subory.find(p);
    return it == subory.end() ? -1 : static_cast<int64_t>(it->second.size());
}

bool TPamatoveSubory::ReadAll(const std::string& p, std::string& out) {
    auto it = subory.find(p);
    if (it == subory.end()) return false;
    out = it->second;
    return true;
}

bool TPamatoveSubory::WriteAll(const std::string& p, const std::string& d) {
    subory[p] = d;
    return true;
}

int TPamatoveSubory::Append(const std::string& p, const std::string& d) {
    subory[p] += d;
    return 0;
}

bool TPamatoveSubory::Rename(const std::string& from, const std::string& to) {
    if (!subory.count(from) || subory.count(to)) return false;
    subory[to] = std::move(subory[from]);
    subory.erase(from);
    return true;
}

bool TPamatoveSubory::Replace(const std::string& from, const std::string& to) {
    if (!subory.count(from)) return false;
    if (from == to) return true;
    subory[to] = std::move(subory[from]);
    subory.erase(from);
    return true;
}

std::string TPamatoveSubory::Obsah(const std::string& p) const {
    auto it = subory.find(p);
    return it == subory.end() ? std::string() : it->second;
}

}  // namespace vx::fuzz
