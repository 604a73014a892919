#include "capictrl/core/capitexts.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace vx {
namespace {

TEST(CapiTexts, CommandTexts) {
  const struct { int value; const char* text; } cases[] = {
      {0x01, "ALERT"},          {0x02, "CONNECT"},           {0x03, "CONNECT_ACTIVE"},
      {0x04, "DISCONNECT"},     {0x05, "LISTEN"},            {0x08, "INFO"},
      {0x41, "SELECT_B_PROTOCOL"}, {0x80, "FACILITY"},       {0x82, "CONNECT_B3"},
      {0x83, "CONNECT_B3_ACTIVE"}, {0x84, "DISCONNECT_B3"},  {0x86, "DATA_B3"},
      {0x87, "RESET_B3"},       {0x88, "CONNECT_B3_T90_ACTIVE"}, {0xFF, "MANUFACTURER"},
      {0x00, "undefined"},      {0x06, "undefined"},         {0x81, "undefined"},
      {0x85, "undefined"},      {0xFE, "undefined"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.text, CommandText(static_cast<uint8_t>(c.value))) << std::hex << c.value;
}

TEST(CapiTexts, SubcommandTexts) {
  EXPECT_EQ("REQ", SubcommandText(0x80));
  EXPECT_EQ("CONF", SubcommandText(0x81));
  EXPECT_EQ("IND", SubcommandText(0x82));
  EXPECT_EQ("RESP", SubcommandText(0x83));
  for (int v : {0x00, 0x7F, 0x84, 0xFF}) EXPECT_EQ("undefined", SubcommandText(static_cast<uint8_t>(v)));
}

TEST(CapiTexts, NumberElementTexts) {
  const char* types[8] = {"not specified",          "international number", "national number",
                          "network specific number", "subscriber number",   "not specified",
                          "abbreviated number",      "extended number"};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(types[i], TypeOfNumberText(static_cast<uint8_t>(i << 4)));

  const char* plans[16] = {"not specified", "ISDN",     "extended",          "data",
                           "telex",         "extended", "extended",          "extended",
                           "national standard", "private", "extended",       "extended",
                           "extended",      "extended", "extended",          "extended"};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(plans[i], NumberingPlanText(static_cast<uint8_t>(i)));

  EXPECT_EQ("presentation allowed", PresentationText(0x00));
  EXPECT_EQ("presentation restricted", PresentationText(0x20));
  EXPECT_EQ("not available due to interworking", PresentationText(0x40));
  EXPECT_EQ("presentation allowed", PresentationText(0x60));

  EXPECT_EQ("user-provided, unscreened.", ScreeningText(0));
  EXPECT_EQ("user-provided, verified and passed,", ScreeningText(1));
  EXPECT_EQ("user-provided, verified and failed (spoofed)", ScreeningText(2));
  EXPECT_EQ("network-provided", ScreeningText(3));
  // An unmasked octet 3a still gives the text of its screening bits.
  EXPECT_EQ("network-provided", ScreeningText(0x83));
}

TEST(CapiTexts, CipTexts) {
  const char* known[29] = {
      "undefined call type", "speech", "unrestricted digital data at 64kbit/s",
      "restricted digital data at 64kbit/s", "3,1kHz audio", "7kHz audio",
      "video or video conferencing", "X.25 data connection", "56kbit V1.100", "data",
      "unknown call type", "unknown call type", "unknown call type", "unknown call type",
      "unknown call type", "unknown call type", "telephony", "fax group 2 or 3",
      "fax G4 class 1", "teletex or fax group 4 class 2 and 3", "teletex", "teletex",
      "international interworking for videotex", "telex", "X.400",
      "OSI application using X.200 connection", "7kHz telephony",
      "video telephony, 1st connection", "video telephony, 2nd connection"};
  for (int i = 0; i < 29; ++i) EXPECT_EQ(known[i], CipText(i)) << i;
  for (int v : {29, 30, 255, 0xFFFF, 0x7FFFFFFF, -1, -29, -2147483647 - 1})
    EXPECT_EQ("unknown call type", CipText(v)) << v;
}

TEST(CapiTexts, RejectTexts) {
  const char* known[9] = {"Accept call",
                          "Ignore call",
                          "Reject call, normal call clearing",
                          "Reject call, user busy",
                          "Reject call, requested circuit/channel not available",
                          "Reject call, facility rejected",
                          "Reject call, channel unacceptable",
                          "Reject call, incompatible destination",
                          "Reject call, destination out of order"};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(known[i], RejectText(static_cast<uint16_t>(i)));
  EXPECT_EQ("Reject call, reason91", RejectText(0x3491));
  EXPECT_EQ("Reject call, reason9F", RejectText(0x349F));
  EXPECT_EQ("Reject call, reason00", RejectText(0x3400));
  EXPECT_EQ("Reject call, reasonFF", RejectText(0x34FF));
  EXPECT_EQ("Reject call, reasonAB", RejectText(0x34AB));
  // Values the control never sends still get a text.
  for (int v : {9, 0x33FF, 0x3500, 0xFFFF}) {
    const std::string t = RejectText(static_cast<uint16_t>(v));
    EXPECT_FALSE(t.empty());
    EXPECT_EQ(std::string::npos, t.find("Reject call, reason")) << t;
  }
}

TEST(CapiTexts, InfoTextsQuotedExactly) {
  const struct { uint16_t value; const char* text; } cases[] = {
      {0x0000, "Ok"},
      {0x0001, "NCPI not supported by current protocol, NCPI ignored"},
      {0x0002, "Flags not supported by current protocol, flags ignored"},
      {0x0003, "Alert already sent by another application"},
      {0x1001, "Too many applications"},
      {0x1002, "Logical block size to small, must be at least 128 Bytes"},
      {0x1003, "Buffer exceeds 64 kByte"},
      {0x1004, "Message buffer size too small, must be at least 1024 Bytes"},
      {0x1005, "Max. number of logical connections not supported"},
      {0x1006, "Reserved"},
      {0x1007, "The message could not be accepted because of an internal busy condition"},
      {0x1008, "OS resource error (no memory ?)"},
      {0x1009, "CAPI not installed"},
      {0x100A, "Controller does not support external equipment"},
      {0x100B, "Controller does only support external equipment"},
      {0x1101, "Illegal application number"},
      {0x1102, "Illegal command or subcommand or message length less than 12 octetcts"},
      {0x1103, "The message could not be accepted because of a queue full condition. The error "
               "code does not imply that CAPI cannot receive messages directed to another "
               "controller, PLCI or NCCI"},
      {0x1104, "Queue is empty"},
      {0x1105, "Queue overflow, a message was lost. This indicates a configuration error. The "
               "only recovery from this error is to do a CAPI_RELEASE"},
      {0x1106, "Unknown notification parameter"},
      {0x1107, "The Message could not be accepted because of an internal busy condition"},
      {0x1108, "OS Resource error (e.g. no memory)"},
      {0x1109, "CAPI not installed"},
      {0x110A, "Controller does not support external equipment"},
      {0x110B, "Controller supports only external equipment"},
      {0x2001, "Message not supported in current state"},
      {0x2002, "Illegal Controller / PLCI / NCCI"},
      {0x2003, "Out of PLCI"},
      {0x2004, "Out of NCCI"},
      {0x2005, "Out of LISTEN"},
      {0x2006, "Out of FAX resources (protocol T.30)"},
      {0x2007, "Illegal message parameter coding"},
      {0x3301, "Protocol error layer 1 (broken line or B-channel removed by signalling protocol)"},
      {0x3302, "Protocol error layer 2"},
      {0x3303, "Protocol error layer 3"},
      {0x3304, "Another application got that call"},
      {0x3490, "Normal call termination"},
      {0x3491, "Busy"},
      {0x349F, "Normal, unspecified"},
      // Values left to the standard's wording.
      {0x3001, "B1 protocol not supported"},
      {0x3009, "CIP Value unknown"},
      {0x3481, "Unallocated (unassigned) number"},
      {0x34A2, "No circuit/channel available"},
      {0x34FF, "Interworking, unspecified"},
      {0x3500, "Normal end of connection"},
      {0x3510, "Handshake error"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.text, CapiInfoText(c.value)) << std::hex << c.value;
}

// The values that have a text of their own; every other one has none.
std::set<unsigned> ValuesWithText() {
  std::set<unsigned> s;
  auto range = [&](unsigned a, unsigned b) { for (unsigned v = a; v <= b; ++v) s.insert(v); };
  range(0x0000, 0x0003);
  range(0x1001, 0x100B);
  range(0x1101, 0x110B);
  range(0x2001, 0x2007);
  range(0x3001, 0x300E);
  s.insert(0x3010);
  range(0x3301, 0x3304);
  range(0x3311, 0x3319);
  for (unsigned low : {0x81, 0x82, 0x83, 0x86, 0x87, 0x90, 0x91, 0x92, 0x93, 0x95, 0x96, 0x9A,
                       0x9B, 0x9C, 0x9D, 0x9E, 0x9F, 0xA2, 0xA6, 0xA9, 0xAA, 0xAB, 0xAC, 0xAF,
                       0xB1, 0xB2, 0xB9, 0xBA, 0xBF, 0xC1, 0xC2, 0xC5, 0xC6, 0xCF, 0xD1, 0xD2,
                       0xD3, 0xD4, 0xD5, 0xD6, 0xD8, 0xDB, 0xDF, 0xE0, 0xE1, 0xE2, 0xE3, 0xE4,
                       0xE5, 0xE6, 0xEF, 0xFF})
    s.insert(0x3400 | low);
  range(0x3500, 0x3510);
  return s;
}

TEST(CapiTexts, InfoTextSweepCoversEveryValue) {
  const std::set<unsigned> withText = ValuesWithText();
  ASSERT_EQ(130u, withText.size());
  const std::string none = "No additional information";
  for (unsigned v = 0; v <= 0xFFFF; ++v) {
    const std::string t = CapiInfoText(static_cast<uint16_t>(v));
    ASSERT_FALSE(t.empty()) << std::hex << v;
    ASSERT_LE(t.size(), 255u) << std::hex << v;
    if (withText.count(v))
      ASSERT_NE(none, t) << std::hex << v;
    else
      ASSERT_EQ(none, t) << std::hex << v;
  }
}

TEST(CapiTexts, InfoTextEdgeValuesHaveNoText) {
  for (uint16_t v : {0x0004, 0x1000, 0x100C, 0x300F, 0x3011, 0x3305, 0x3310, 0x331A, 0x3480,
                     0x3484, 0x34FE, 0x3511, 0xFFFF})
    EXPECT_EQ("No additional information", CapiInfoText(v)) << std::hex << v;
}

}  // namespace
}  // namespace vx
