#include "contacts/core/ansi1250.h"

namespace vx {

char AnsiUpperCase1250(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 'a' && u <= 'z') return static_cast<char>(u - 0x20);
    switch (u) {
        case 0x9A: return '\x8A';  // š
        case 0x9C: return '\x8C';  // ś
        case 0x9D: return '\x8D';  // ť
        case 0x9E: return '\x8E';  // ž
        case 0x9F: return '\x8F';  // ź
        case 0xB3: return '\xA3';  // ł
        case 0xB9: return '\xA5';  // ą
        case 0xBA: return '\xAA';  // ş
        case 0xBE: return '\xBC';  // ľ
        case 0xBF: return '\xAF';  // ż
        default: break;
    }
    // ŕ..ţ mirror Ŕ..Ţ 32 positions below; ÷ is no letter.
    if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return static_cast<char>(u - 0x20);
    return c;
}

std::string AnsiUpperCase1250(const std::string& s) {
    std::string r(s);
    for (char& c : r) c = AnsiUpperCase1250(c);
    return r;
}

}  // namespace vx
