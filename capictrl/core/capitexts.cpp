#include "capictrl/core/capitexts.h"

#include <algorithm>
#include <iterator>

namespace vx {

namespace {

struct InfoEntry {
  uint16_t value;
  const char* text;
};

// Sorted by value so a binary search finds a text; every value that is not
// listed here has no text of its own.
const InfoEntry kInfoTexts[] = {
    // Informative values: the message was processed.
    {0x0000, "Ok"},
    {0x0001, "NCPI not supported by current protocol, NCPI ignored"},
    {0x0002, "Flags not supported by current protocol, flags ignored"},
    {0x0003, "Alert already sent by another application"},
    // CAPI_REGISTER.
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
    // Message exchange.
    {0x1101, "Illegal application number"},
    {0x1102, "Illegal command or subcommand or message length less than 12 octetcts"},
    {0x1103,
     "The message could not be accepted because of a queue full condition. The error code "
     "does not imply that CAPI cannot receive messages directed to another controller, PLCI "
     "or NCCI"},
    {0x1104, "Queue is empty"},
    {0x1105,
     "Queue overflow, a message was lost. This indicates a configuration error. The only "
     "recovery from this error is to do a CAPI_RELEASE"},
    {0x1106, "Unknown notification parameter"},
    {0x1107, "The Message could not be accepted because of an internal busy condition"},
    {0x1108, "OS Resource error (e.g. no memory)"},
    {0x1109, "CAPI not installed"},
    {0x110A, "Controller does not support external equipment"},
    {0x110B, "Controller supports only external equipment"},
    // Resources and coding.
    {0x2001, "Message not supported in current state"},
    {0x2002, "Illegal Controller / PLCI / NCCI"},
    {0x2003, "Out of PLCI"},
    {0x2004, "Out of NCCI"},
    {0x2005, "Out of LISTEN"},
    {0x2006, "Out of FAX resources (protocol T.30)"},
    {0x2007, "Illegal message parameter coding"},
    // Requested services.
    {0x3001, "B1 protocol not supported"},
    {0x3002, "B2 protocol not supported"},
    {0x3003, "B3 protocol not supported"},
    {0x3004, "B1 protocol parameter not supported"},
    {0x3005, "B2 protocol parameter not supported"},
    {0x3006, "B3 protocol parameter not supported"},
    {0x3007, "B protocol combination not supported"},
    {0x3008, "NCPI not supported"},
    {0x3009, "CIP Value unknown"},
    {0x300A, "Flags not supported (reserved bits)"},
    {0x300B, "Facility not supported"},
    {0x300C, "Data length not supported by current protocol"},
    {0x300D, "Reset procedure not supported by current protocol"},
    {0x300E, "Supplementary service not supported"},
    {0x3010, "Facility specific function not supported"},
    // Clearing of a physical connection by the library.
    {0x3301, "Protocol error layer 1 (broken line or B-channel removed by signalling protocol)"},
    {0x3302, "Protocol error layer 2"},
    {0x3303, "Protocol error layer 3"},
    {0x3304, "Another application got that call"},
    // Fax (T.30) clearing.
    {0x3311, "Connecting not successful (remote station is no FAX G3 machine)"},
    {0x3312, "Connecting not successful (training error)"},
    {0x3313, "Disconnected before transfer (remote station does not support transfer mode, e.g. resolution)"},
    {0x3314, "Disconnected during transfer (remote abort)"},
    {0x3315, "Disconnected during transfer (remote procedure error, e.g. unsuccessful repetition of T.30 commands)"},
    {0x3316, "Disconnected during transfer (local tx data underrun)"},
    {0x3317, "Disconnected during transfer (local rx data overflow)"},
    {0x3318, "Disconnected during transfer (local abort)"},
    {0x3319, "Illegal parameter coding (e.g. SFF coding error)"},
    // Network causes: the cause value with bit 8 set.
    {0x3481, "Unallocated (unassigned) number"},
    {0x3482, "No route to specified transit network"},
    {0x3483, "No route to destination"},
    {0x3486, "Channel unacceptable"},
    {0x3487, "Call awarded and being delivered in an established channel"},
    {0x3490, "Normal call termination"},
    {0x3491, "Busy"},
    {0x3492, "No user responding"},
    {0x3493, "No answer from user (user alerted)"},
    {0x3495, "Call rejected"},
    {0x3496, "Number changed"},
    {0x349A, "Non-selected user clearing"},
    {0x349B, "Destination out of order"},
    {0x349C, "Invalid number format"},
    {0x349D, "Facility rejected"},
    {0x349E, "Response to STATUS ENQUIRY"},
    {0x349F, "Normal, unspecified"},
    {0x34A2, "No circuit/channel available"},
    {0x34A6, "Network out of order"},
    {0x34A9, "Temporary failure"},
    {0x34AA, "Switching equipment congestion"},
    {0x34AB, "Access information discarded"},
    {0x34AC, "Requested circuit/channel not available"},
    {0x34AF, "Resources unavailable, unspecified"},
    {0x34B1, "Quality of service unavailable"},
    {0x34B2, "Requested facility not subscribed"},
    {0x34B9, "Bearer capability not authorized"},
    {0x34BA, "Bearer capability not presently available"},
    {0x34BF, "Service or option not available, unspecified"},
    {0x34C1, "Bearer capability not implemented"},
    {0x34C2, "Channel type not implemented"},
    {0x34C5, "Requested facility not implemented"},
    {0x34C6, "Only restricted digital information bearer capability is available"},
    {0x34CF, "Service or option not implemented, unspecified"},
    {0x34D1, "Invalid call reference value"},
    {0x34D2, "Identified channel does not exist"},
    {0x34D3, "A suspended call exists, but this call identity does not"},
    {0x34D4, "Call identity in use"},
    {0x34D5, "No call suspended"},
    {0x34D6, "Call having the requested call identity has been cleared"},
    {0x34D8, "Incompatible destination"},
    {0x34DB, "Invalid transit network selection"},
    {0x34DF, "Invalid message, unspecified"},
    {0x34E0, "Mandatory information element is missing"},
    {0x34E1, "Message type non-existent or not implemented"},
    {0x34E2, "Message not compatible with call state or message type non-existent or not implemented"},
    {0x34E3, "Information element non-existent or not implemented"},
    {0x34E4, "Invalid information element contents"},
    {0x34E5, "Message not compatible with call state"},
    {0x34E6, "Recovery on timer expiry"},
    {0x34EF, "Protocol error, unspecified"},
    {0x34FF, "Interworking, unspecified"},
    // Modem connections.
    {0x3500, "Normal end of connection"},
    {0x3501, "Carrier lost"},
    {0x3502, "Error on negotiation, i.e. no modem with error correction at other end"},
    {0x3503, "No answer to protocol request"},
    {0x3504, "Remote modem only works in synchronous mode"},
    {0x3505, "Framing fails"},
    {0x3506, "Protocol negotiation fails"},
    {0x3507, "Other modem sends wrong protocol request"},
    {0x3508, "Sync information (data or flags) missing"},
    {0x3509, "Normal end of connection from the other modem"},
    {0x350A, "No answer from other modem"},
    {0x350B, "Protocol error"},
    {0x350C, "Error on compression"},
    {0x350D, "No connect (timeout or wrong modulation)"},
    {0x350E, "No protocol fall-back allowed"},
    {0x350F, "No modem or fax at requested number"},
    {0x3510, "Handshake error"},
};

const char* const kCipTexts[] = {
    "undefined call type",                       // 0
    "speech",                                    // 1
    "unrestricted digital data at 64kbit/s",     // 2
    "restricted digital data at 64kbit/s",       // 3
    "3,1kHz audio",                              // 4
    "7kHz audio",                                // 5
    "video or video conferencing",               // 6
    "X.25 data connection",                      // 7
    "56kbit V1.100",                             // 8
    "data",                                      // 9
    "unknown call type",                         // 10
    "unknown call type",                         // 11
    "unknown call type",                         // 12
    "unknown call type",                         // 13
    "unknown call type",                         // 14
    "unknown call type",                         // 15
    "telephony",                                 // 16
    "fax group 2 or 3",                          // 17
    "fax G4 class 1",                            // 18
    "teletex or fax group 4 class 2 and 3",      // 19
    "teletex",                                   // 20
    "teletex",                                   // 21
    "international interworking for videotex",  // 22
    "telex",                                     // 23
    "X.400",                                     // 24
    "OSI application using X.200 connection",    // 25
    "7kHz telephony",                            // 26
    "video telephony, 1st connection",           // 27
    "video telephony, 2nd connection",           // 28
};

const char* const kRejectTexts[] = {
    "Accept call",
    "Ignore call",
    "Reject call, normal call clearing",
    "Reject call, user busy",
    "Reject call, requested circuit/channel not available",
    "Reject call, facility rejected",
    "Reject call, channel unacceptable",
    "Reject call, incompatible destination",
    "Reject call, destination out of order",
};

}  // namespace

std::string CommandText(uint8_t command) {
  switch (command) {
    case 0x01: return "ALERT";
    case 0x02: return "CONNECT";
    case 0x03: return "CONNECT_ACTIVE";
    case 0x04: return "DISCONNECT";
    case 0x05: return "LISTEN";
    case 0x08: return "INFO";
    case 0x41: return "SELECT_B_PROTOCOL";
    case 0x80: return "FACILITY";
    case 0x82: return "CONNECT_B3";
    case 0x83: return "CONNECT_B3_ACTIVE";
    case 0x84: return "DISCONNECT_B3";
    case 0x86: return "DATA_B3";
    case 0x87: return "RESET_B3";
    case 0x88: return "CONNECT_B3_T90_ACTIVE";
    case 0xFF: return "MANUFACTURER";
    default: return "undefined";
  }
}

std::string SubcommandText(uint8_t subcommand) {
  switch (subcommand) {
    case 0x80: return "REQ";
    case 0x81: return "CONF";
    case 0x82: return "IND";
    case 0x83: return "RESP";
    default: return "undefined";
  }
}

std::string TypeOfNumberText(uint8_t typeOfNumber) {
  switch (typeOfNumber) {
    case 0x10: return "international number";
    case 0x20: return "national number";
    case 0x30: return "network specific number";
    case 0x40: return "subscriber number";
    case 0x60: return "abbreviated number";
    case 0x70: return "extended number";
    default: return "not specified";
  }
}

std::string NumberingPlanText(uint8_t numberingPlan) {
  switch (numberingPlan) {
    case 0: return "not specified";
    case 1: return "ISDN";
    case 3: return "data";
    case 4: return "telex";
    case 8: return "national standard";
    case 9: return "private";
    default: return "extended";
  }
}

std::string PresentationText(uint8_t presentation) {
  switch (presentation) {
    case 0x20: return "presentation restricted";
    case 0x40: return "not available due to interworking";
    default: return "presentation allowed";
  }
}

std::string ScreeningText(uint8_t screening) {
  switch (screening & 0x03) {
    case 0: return "user-provided, unscreened.";
    case 1: return "user-provided, verified and passed,";
    case 2: return "user-provided, verified and failed (spoofed)";
    default: return "network-provided";
  }
}

std::string CipText(int cip) {
  if (cip < 0 || cip >= static_cast<int>(std::size(kCipTexts))) return "unknown call type";
  return kCipTexts[cip];
}

std::string CapiInfoText(uint16_t info) {
  const InfoEntry* end = std::end(kInfoTexts);
  const InfoEntry* it = std::lower_bound(std::begin(kInfoTexts), end, info,
      [](const InfoEntry& e, uint16_t v) { return e.value < v; });
  if (it != end && it->value == info) return it->text;
  return "No additional information";
}

std::string RejectText(uint16_t reject) {
  if (reject < std::size(kRejectTexts)) return kRejectTexts[reject];
  if ((reject & 0xFF00) == 0x3400) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string s = "Reject call, reason";
    s += kHex[(reject >> 4) & 0x0F];
    s += kHex[reject & 0x0F];
    return s;
  }
  return "Unknown reject value";
}

}  // namespace vx
