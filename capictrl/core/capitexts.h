// English texts for the coded values of CAPI 2.0 messages: the trace, the
// error and disconnect texts, the call details and the call type of an
// incoming call. Every input value gives a defined text; none of these keeps
// state or fails. Texts are plain ASCII (so also valid code page 1250).
#pragma once
#include <cstdint>
#include <string>

namespace vx {

// Command byte of a message header ("CONNECT_B3", ...; "undefined" otherwise).
std::string CommandText(uint8_t command);
// Subcommand byte: "REQ", "CONF", "IND", "RESP"; "undefined" otherwise.
std::string SubcommandText(uint8_t subcommand);

// Calling party number element, octet 3 AND 0x70 ("international number"...).
std::string TypeOfNumberText(uint8_t typeOfNumber);
// Octet 3 AND 0x0F ("ISDN", "private", ...; "extended" for the unassigned ones).
std::string NumberingPlanText(uint8_t numberingPlan);
// Octet 3a AND 0x60 ("presentation restricted", ...).
std::string PresentationText(uint8_t presentation);
// Octet 3a AND 0x03 ("network-provided", ...); higher bits are ignored.
std::string ScreeningText(uint8_t screening);

// CIP value of CONNECT_IND; anything outside the known values, negative ones
// included, gives "unknown call type".
std::string CipText(int cip);

// Info or Reason value. Callers pass the low 16 bits of a 32-bit result (the
// parameter type does that); values without their own text give
// "No additional information".
std::string CapiInfoText(uint16_t info);

// Reject value of CONNECT_RESP / CONNECT_B3_RESP. 0x3400..0x34FF give
// "Reject call, reason" directly followed by the low byte in two upper-case
// hexadecimal digits; other values give "Unknown reject value".
std::string RejectText(uint16_t reject);

}  // namespace vx
