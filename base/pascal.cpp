#include "base/pascal.h"

#include <cctype>

#include "base/errors.h"

namespace vx {

std::string Copy(const std::string& s, int index, int count) {
    if (index < 1) index = 1;
    if (count < 1 || index > static_cast<int>(s.size())) return std::string();
    size_t start = static_cast<size_t>(index - 1);
    size_t n = static_cast<size_t>(count);
    if (n > s.size() - start) n = s.size() - start;
    return s.substr(start, n);
}

int Pos(const std::string& sub, const std::string& s) {
    if (sub.empty()) return 0;
    size_t p = s.find(sub);
    return p == std::string::npos ? 0 : static_cast<int>(p) + 1;
}

void Delete(std::string& s, int index, int count) {
    if (index < 1 || index > static_cast<int>(s.size()) || count < 1) return;
    size_t start = static_cast<size_t>(index - 1);
    size_t n = static_cast<size_t>(count);
    if (n > s.size() - start) n = s.size() - start;
    s.erase(start, n);
}

static bool IsTrimmed(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string TrimLeft(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && IsTrimmed(s[i])) ++i;
    return s.substr(i);
}

std::string TrimRight(const std::string& s) {
    size_t n = s.size();
    while (n > 0 && IsTrimmed(s[n - 1])) --n;
    return s.substr(0, n);
}

std::string Trim(const std::string& s) { return TrimLeft(TrimRight(s)); }

std::string UpperCase(const std::string& s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return r;
}

std::string LowerCase(const std::string& s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return r;
}

bool SameText(const std::string& a, const std::string& b) { return UpperCase(a) == UpperCase(b); }

std::string IntToStr(int64_t v) { return std::to_string(v); }

bool TryStrToInt(const std::string& s, int32_t& out) {
    size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        neg = s[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < s.size() && s[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= s.size()) return false;
    int64_t v = 0;
    for (; i < s.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        v = v * (hex ? 16 : 10) + d;
        if (hex ? v > 0xFFFFFFFFLL : v > 2147483648LL) return false;
    }
    if (hex) {
        // Hexadecimal texts cover the whole 32-bit pattern.
        // The sign wraps around 32 bits as the run-time library's does:
        // "-$80000000" is -2147483648 and "-$FFFFFFFF" is 1.
        uint32_t u = static_cast<uint32_t>(v);
        if (neg) u = 0u - u;
        out = static_cast<int32_t>(u);
        return true;
    }
    if (neg) v = -v;
    if (v > 2147483647LL || v < -2147483648LL) return false;
    out = static_cast<int32_t>(v);
    return true;
}

int32_t StrToInt(const std::string& s) {
    int32_t v;
    if (!TryStrToInt(s, v)) throw EConvertError("'" + s + "' is not a valid integer value");
    return v;
}

bool StrToBool(const std::string& s) {
    int32_t v;
    if (TryStrToInt(s, v)) return v != 0;
    if (SameText(s, "True")) return true;
    if (SameText(s, "False")) return false;
    throw EConvertError("'" + s + "' is not a valid boolean value");
}

std::string BlankLineBreaks(const std::string& s) {
    std::string r(s);
    for (char& c : r)
        if (c == '\r' || c == '\n' || c == '\0') c = ' ';
    return r;
}

std::string BlankSemicolons(const std::string& s) {
    std::string r(s);
    for (char& c : r)
        if (c == ';') c = ' ';
    return r;
}

}  // namespace vx
