// The controller profile that CAPI_GET_PROFILE fills (64 bytes, the layout
// of CAPI 2.0), its decoded counts and flags, and their designation texts.
#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace vx {

extern const char* const ProfileCountTexts[2];
extern const char* const GlobalOptionTexts[7];
extern const char* const B1ProtocolTexts[10];
extern const char* const B2ProtocolTexts[13];
extern const char* const B3ProtocolTexts[7];

struct TCapiProfileCount {
    std::string desig;
    uint16_t Value = 0;
};

struct TCapiProfileFlag {
    std::string desig;
    bool Value = false;
};

class TCapiProfile {
public:
    static constexpr size_t Size = 64;
    std::array<uint8_t, Size> Buffer{};

    // Sets every decoded value from Buffer.
    void DecodeProfile();

    // 1-based; an index outside the row gives an empty text and 0/false.
    TCapiProfileCount RecallTCapiPDG(int index) const;
    TCapiProfileFlag RecallTCapiPDGO(int index) const;
    TCapiProfileFlag RecallTCapiPDB1(int index) const;
    TCapiProfileFlag RecallTCapiPDB2(int index) const;
    TCapiProfileFlag RecallTCapiPDB3(int index) const;

    uint16_t ProfileCounts[2] = {0, 0};
    bool GlobalOptions[7] = {};
    bool B1Protocols[10] = {};
    bool B2Protocols[13] = {};
    bool B3Protocols[7] = {};
};

}  // namespace vx
