#include "capictrl/core/capiprofile.h"

#include "capictrl/core/capimessage.h"

namespace vx {

const char* const ProfileCountTexts[2] = {"Number of installed controllers", "Number of supported B-channels"};

const char* const GlobalOptionTexts[7] = {
    "Internal controller supported",
    "External equipment supported",
    "Handset supported",
    "DTMF supported",
    "Suplementary Services",
    "Channel allocation supported (leased lines)",
    "Parameter B channel operation supported",
};

const char* const B1ProtocolTexts[10] = {
    "64 kbit/s with HDLC framing, always set",
    "64 kbit/s bit-transparent operation with byte framing from the network",
    "V.110 asynchronous operation with start/stop byte framing",
    "V.110 synchronous operation with HDLC framing",
    "T.30 modem for Group 3 fax",
    "64 kbit/s inverted with HDLC framing",
    "56 kbit/s bit-transparent operation with byte framing from the network",
    "Modem with all negociations",
    "Modem asynchronous operation with start/stop byte framing",
    "Modem synchronous operation with HDLC framing",
};

const char* const B2ProtocolTexts[13] = {
    "ISO 7776 (X.75 SLP), always set",
    "Transparent",
    "SDLC",
    "LAPD in accordance with Q.921 for D-channel X.25 (SAPI 16)",
    "T.30 for Group 3 fax",
    "Point-to-Point protocol (PPP)",
    "Transparent (ignoring framing errors of B1 protocol)",
    "Modem error correction and compression (V.42 bis or MNP5)",
    "ISO 7776 (X.75 SLP) modified supporting V.42 bis compression",
    "V.120 asynchronous mode",
    "V.120 asynchronous mode supporting V.42 bis",
    "V.120 bit-transparent mode",
    "LAPD in accordance with Q.921 including free SAPI selection",
};

const char* const B3ProtocolTexts[7] = {
    "Transparent, always set",
    "T.90NL with compatibility to T.70NL in accordance to T.90 Appendix II",
    "ISO 8208 (X.25 DTE-DTE)",
    "X.25 DCE",
    "T.30 for Group 3 fax",
    "T.30 for Group 3 fax with extensions",
    "Modem",
};

static bool Bit(uint32_t field, int k) { return (field & (uint32_t(1) << k)) != 0; }

void TCapiProfile::DecodeProfile() {
    const uint8_t* b = Buffer.data();
    ProfileCounts[0] = GetWord(b + 0);
    ProfileCounts[1] = GetWord(b + 2);
    uint32_t g = GetDword(b + 4), b1 = GetDword(b + 8), b2 = GetDword(b + 12), b3 = GetDword(b + 16);
    GlobalOptions[0] = Bit(g, 0);
    GlobalOptions[1] = Bit(g, 1);
    GlobalOptions[2] = Bit(g, 1) && Bit(g, 2);
    GlobalOptions[3] = Bit(g, 3);
    GlobalOptions[4] = Bit(g, 4);
    GlobalOptions[5] = Bit(g, 5);
    GlobalOptions[6] = Bit(g, 6);
    for (int k = 0; k < 10; ++k) B1Protocols[k] = Bit(b1, k);
    for (int k = 0; k < 13; ++k) B2Protocols[k] = Bit(b2, k);
    for (int k = 0; k < 6; ++k) B3Protocols[k] = Bit(b3, k);
    B3Protocols[6] = Bit(b3, 7);  // bit 6 has no entry
}

template <size_t N>
static TCapiProfileFlag Flag(const char* const (&texts)[N], const bool (&values)[N], int index) {
    TCapiProfileFlag f;
    if (index >= 1 && index <= int(N)) {
        f.desig = texts[index - 1];
        f.Value = values[index - 1];
    }
    return f;
}

TCapiProfileCount TCapiProfile::RecallTCapiPDG(int index) const {
    TCapiProfileCount c;
    if (index >= 1 && index <= 2) {
        c.desig = ProfileCountTexts[index - 1];
        c.Value = ProfileCounts[index - 1];
    }
    return c;
}

TCapiProfileFlag TCapiProfile::RecallTCapiPDGO(int index) const { return Flag(GlobalOptionTexts, GlobalOptions, index); }
TCapiProfileFlag TCapiProfile::RecallTCapiPDB1(int index) const { return Flag(B1ProtocolTexts, B1Protocols, index); }
TCapiProfileFlag TCapiProfile::RecallTCapiPDB2(int index) const { return Flag(B2ProtocolTexts, B2Protocols, index); }
TCapiProfileFlag TCapiProfile::RecallTCapiPDB3(int index) const { return Flag(B3ProtocolTexts, B3Protocols, index); }

}  // namespace vx
