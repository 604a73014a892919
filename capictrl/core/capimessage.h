// CAPI 2.0 messages: the 8-byte header (total length, application id,
// command, subcommand, message number), bounded reading of received
// messages, and the builders of every message the control sends.
// All integers are little-endian. Portable: no windows.h.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vx {

// Commands.
enum : uint8_t {
    CAPI_ALERT = 0x01,
    CAPI_CONNECT = 0x02,
    CAPI_CONNECT_ACTIVE = 0x03,
    CAPI_DISCONNECT = 0x04,
    CAPI_LISTEN = 0x05,
    CAPI_INFO = 0x08,
    CAPI_FACILITY = 0x80,
    CAPI_CONNECT_B3 = 0x82,
    CAPI_CONNECT_B3_ACTIVE = 0x83,
    CAPI_DISCONNECT_B3 = 0x84,
    CAPI_DATA_B3 = 0x86,
    CAPI_RESET_B3 = 0x87,
};

// Subcommands.
enum : uint8_t { CAPI_REQ = 0x80, CAPI_CONF = 0x81, CAPI_IND = 0x82, CAPI_RESP = 0x83 };

// Results of the library calls the engine tests for.
constexpr uint32_t CapiQueueEmpty = 0x1104;

constexpr size_t CapiHeaderLength = 8;

inline uint16_t GetWord(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t GetDword(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// A struct parameter: a length byte followed by that many octets. Octets are
// counted from 1 after the length byte; reading one beyond the struct gives 0.
struct TCapiStruct {
    const uint8_t* octets = nullptr;
    uint8_t length = 0;
    uint8_t Octet(int i) const { return (i >= 1 && i <= length) ? octets[i - 1] : 0; }
};

// A received message, read in place. The usable length is the smaller of
// the message's own total length and the bytes known to be there, so no read
// ever goes past either.
class TCapiMessage {
public:
    // `available`: bytes readable at data; a message from the library is
    // bounded by its own total length (pass SIZE_MAX).
    TCapiMessage(const uint8_t* data, size_t available);

    // Header complete and the total length not beyond the bytes available.
    bool Valid() const { return valid_; }
    size_t Length() const { return length_; }
    const uint8_t* Data() const { return data_; }

    uint16_t TotalLength() const { return total_; }
    uint16_t ApplId() const { return applId_; }
    uint8_t Command() const { return command_; }
    uint8_t Subcommand() const { return subcommand_; }
    uint16_t Number() const { return number_; }

private:
    const uint8_t* data_;
    size_t length_ = 0;
    bool valid_ = false;
    uint16_t total_ = 0, applId_ = 0, number_ = 0;
    uint8_t command_ = 0, subcommand_ = 0;
};

// Sequential reader of the parameters (from offset 8). Every read fails,
// leaving the position where it was, when the value would reach beyond the
// message or, for a struct, when its octets would.
class TCapiReader {
public:
    explicit TCapiReader(const TCapiMessage& m)
        : p_(m.Data()), end_(m.Valid() ? m.Length() : 0), pos_(m.Valid() ? CapiHeaderLength : 0) {}
    bool Byte(uint8_t& v);
    bool Word(uint16_t& v);
    bool Dword(uint32_t& v);
    bool Qword(uint64_t& v);
    bool Struct(TCapiStruct& s);
    size_t Position() const { return pos_; }
    size_t Remaining() const { return end_ - pos_; }

private:
    const uint8_t* p_;
    size_t end_;
    size_t pos_;
};

// A message being built in the sender's own fixed buffer.
class TCapiOutMessage {
public:
    static constexpr size_t Capacity = 160;
    TCapiOutMessage(uint16_t applId, uint8_t command, uint8_t subcommand, uint16_t number);
    TCapiOutMessage& Byte(uint8_t v);
    TCapiOutMessage& Word(uint16_t v);
    TCapiOutMessage& Dword(uint32_t v);
    TCapiOutMessage& Qword(uint64_t v);
    TCapiOutMessage& EmptyStruct() { return Byte(0); }
    // A struct of `n` octets (cut to what still fits).
    TCapiOutMessage& Struct(const uint8_t* octets, size_t n);

    const uint8_t* Data() const { return buf_.data(); }
    uint16_t Length() const { return uint16_t(len_); }
    uint16_t ApplId() const { return GetWord(buf_.data() + 2); }
    uint8_t Command() const { return buf_[4]; }
    uint8_t Subcommand() const { return buf_[5]; }
    uint16_t Number() const { return GetWord(buf_.data() + 6); }

private:
    void Put(uint8_t v);
    std::array<uint8_t, Capacity> buf_{};
    size_t len_ = 0;
};

// The message builders. Lengths: LISTEN_REQ 26, ALERT_REQ 17, CONNECT_RESP
// 28, CONNECT_B3_RESP 15, INFO_RESP 12, CONNECT_ACTIVE_RESP 12,
// CONNECT_B3_REQ 13, CONNECT_B3_ACTIVE_RESP 12, DISCONNECT_B3_REQ 13,
// DISCONNECT_B3_RESP 12, DISCONNECT_REQ 13, DISCONNECT_RESP 12,
// CONNECT_REQ 35 + a + b, DATA_B3_REQ 22 (30 where pointers are 64-bit),
// DATA_B3_RESP 14.
TCapiOutMessage BuildListenReq(uint16_t applId, uint16_t number, uint32_t controller, uint32_t infoMask,
                               uint32_t cipMask);
TCapiOutMessage BuildAlertReq(uint16_t applId, uint16_t number, uint32_t plci);
TCapiOutMessage BuildConnectResp(uint16_t applId, uint16_t number, uint32_t plci, uint16_t reject);
TCapiOutMessage BuildConnectB3Resp(uint16_t applId, uint16_t number, uint32_t ncci, uint16_t reject);
TCapiOutMessage BuildInfoResp(uint16_t applId, uint16_t number, uint32_t plci);
TCapiOutMessage BuildConnectActiveResp(uint16_t applId, uint16_t number, uint32_t plci);
TCapiOutMessage BuildConnectB3Req(uint16_t applId, uint16_t number, uint32_t plci);
TCapiOutMessage BuildConnectB3ActiveResp(uint16_t applId, uint16_t number, uint32_t ncci);
TCapiOutMessage BuildDisconnectB3Req(uint16_t applId, uint16_t number, uint32_t ncci);
TCapiOutMessage BuildDisconnectB3Resp(uint16_t applId, uint16_t number, uint32_t ncci);
TCapiOutMessage BuildDisconnectReq(uint16_t applId, uint16_t number, uint32_t plci);
TCapiOutMessage BuildDisconnectResp(uint16_t applId, uint16_t number, uint32_t plci);
TCapiOutMessage BuildConnectReq(uint16_t applId, uint16_t number, uint16_t cip, const std::string& called,
                                uint8_t calledByte0, const std::string& calling, uint8_t callingByte0,
                                uint8_t callingByte1, uint16_t b1, uint16_t b2, uint16_t b3);
// Data is the block's address: a 32-bit field where pointers are 32-bit;
// where they are 64-bit the 32-bit field is 0 and the address follows the
// Flags as the 64-bit data pointer of CAPI 2.0.
TCapiOutMessage BuildDataB3Req(uint16_t applId, uint16_t number, uint32_t ncci, const void* data,
                               uint16_t dataLength, uint16_t dataHandle, uint16_t flags);
TCapiOutMessage BuildDataB3Resp(uint16_t applId, uint16_t number, uint32_t ncci, uint16_t dataHandle);

// DATA_B3_IND parameters; Data is resolved the same way as in the request.
struct TDataB3Ind {
    uint32_t NCCI = 0;
    uint8_t* Data = nullptr;
    uint16_t DataLength = 0;
    uint16_t DataHandle = 0;
    uint16_t Flags = 0;
};
bool ReadDataB3Ind(const TCapiMessage& m, TDataB3Ind& out);

}  // namespace vx
