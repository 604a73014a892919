#include "capictrl/core/capimessage.h"

#include <cstring>

namespace vx {

TCapiMessage::TCapiMessage(const uint8_t* data, size_t available) : data_(data) {
    if (!data || available < 2) return;
    total_ = GetWord(data);
    // A message is never read beyond its own total length, nor beyond the
    // bytes that are known to be there.
    length_ = total_ < available ? total_ : available;
    if (total_ < CapiHeaderLength || total_ > available) return;
    applId_ = GetWord(data + 2);
    command_ = data[4];
    subcommand_ = data[5];
    number_ = GetWord(data + 6);
    valid_ = true;
}

bool TCapiReader::Byte(uint8_t& v) {
    if (end_ - pos_ < 1) return false;
    v = p_[pos_];
    pos_ += 1;
    return true;
}

bool TCapiReader::Word(uint16_t& v) {
    if (end_ - pos_ < 2) return false;
    v = GetWord(p_ + pos_);
    pos_ += 2;
    return true;
}

bool TCapiReader::Dword(uint32_t& v) {
    if (end_ - pos_ < 4) return false;
    v = GetDword(p_ + pos_);
    pos_ += 4;
    return true;
}

bool TCapiReader::Qword(uint64_t& v) {
    if (end_ - pos_ < 8) return false;
    v = uint64_t(GetDword(p_ + pos_)) | (uint64_t(GetDword(p_ + pos_ + 4)) << 32);
    pos_ += 8;
    return true;
}

bool TCapiReader::Struct(TCapiStruct& s) {
    if (end_ - pos_ < 1) return false;
    uint8_t n = p_[pos_];
    if (end_ - pos_ - 1 < n) return false;
    s.length = n;
    s.octets = p_ + pos_ + 1;
    pos_ += 1 + size_t(n);
    return true;
}

TCapiOutMessage::TCapiOutMessage(uint16_t applId, uint8_t command, uint8_t subcommand, uint16_t number) {
    Word(0);
    Word(applId);
    Byte(command);
    Byte(subcommand);
    Word(number);
}

void TCapiOutMessage::Put(uint8_t v) {
    if (len_ >= Capacity) return;
    buf_[len_++] = v;
    buf_[0] = uint8_t(len_);
    buf_[1] = uint8_t(len_ >> 8);
}

TCapiOutMessage& TCapiOutMessage::Byte(uint8_t v) {
    Put(v);
    return *this;
}

TCapiOutMessage& TCapiOutMessage::Word(uint16_t v) {
    Put(uint8_t(v));
    Put(uint8_t(v >> 8));
    return *this;
}

TCapiOutMessage& TCapiOutMessage::Dword(uint32_t v) {
    Word(uint16_t(v));
    Word(uint16_t(v >> 16));
    return *this;
}

TCapiOutMessage& TCapiOutMessage::Qword(uint64_t v) {
    Dword(uint32_t(v));
    Dword(uint32_t(v >> 32));
    return *this;
}

TCapiOutMessage& TCapiOutMessage::Struct(const uint8_t* octets, size_t n) {
    if (n > 255) n = 255;
    if (len_ + 1 + n > Capacity) n = len_ + 1 < Capacity ? Capacity - len_ - 1 : 0;
    Byte(uint8_t(n));
    for (size_t i = 0; i < n; ++i) Byte(octets[i]);
    return *this;
}

namespace {

// A message whose only parameter is the PLCI or NCCI it concerns.
TCapiOutMessage WithId(uint16_t applId, uint8_t command, uint8_t subcommand, uint16_t number, uint32_t id) {
    TCapiOutMessage m(applId, command, subcommand, number);
    m.Dword(id);
    return m;
}

}  // namespace

TCapiOutMessage BuildListenReq(uint16_t applId, uint16_t number, uint32_t controller, uint32_t infoMask,
                               uint32_t cipMask) {
    TCapiOutMessage m(applId, CAPI_LISTEN, CAPI_REQ, number);
    m.Dword(controller).Dword(infoMask).Dword(cipMask).Dword(0);  // CIP mask 2
    m.EmptyStruct().EmptyStruct();  // calling party number, calling party subaddress
    return m;
}

TCapiOutMessage BuildAlertReq(uint16_t applId, uint16_t number, uint32_t plci) {
    TCapiOutMessage m(applId, CAPI_ALERT, CAPI_REQ, number);
    m.Dword(plci).EmptyStruct();  // Additional Info
    m.Dword(0);
    return m;
}

TCapiOutMessage BuildConnectResp(uint16_t applId, uint16_t number, uint32_t plci, uint16_t reject) {
    TCapiOutMessage m(applId, CAPI_CONNECT, CAPI_RESP, number);
    m.Dword(plci).Word(reject);
    // B protocol: 64 kbit/s bit-transparent, transparent, transparent; no
    // configurations.
    m.Byte(9).Word(1).Word(1).Word(0).EmptyStruct().EmptyStruct().EmptyStruct();
    // Connected number, connected subaddress, LLC, Additional Info.
    m.EmptyStruct().EmptyStruct().EmptyStruct().EmptyStruct();
    return m;
}

TCapiOutMessage BuildConnectB3Resp(uint16_t applId, uint16_t number, uint32_t ncci, uint16_t reject) {
    TCapiOutMessage m(applId, CAPI_CONNECT_B3, CAPI_RESP, number);
    m.Dword(ncci).Word(reject).EmptyStruct();  // NCPI
    return m;
}

TCapiOutMessage BuildInfoResp(uint16_t applId, uint16_t number, uint32_t plci) {
    return WithId(applId, CAPI_INFO, CAPI_RESP, number, plci);
}

TCapiOutMessage BuildConnectActiveResp(uint16_t applId, uint16_t number, uint32_t plci) {
    return WithId(applId, CAPI_CONNECT_ACTIVE, CAPI_RESP, number, plci);
}

TCapiOutMessage BuildConnectB3Req(uint16_t applId, uint16_t number, uint32_t plci) {
    TCapiOutMessage m = WithId(applId, CAPI_CONNECT_B3, CAPI_REQ, number, plci);
    m.EmptyStruct();  // NCPI
    return m;
}

TCapiOutMessage BuildConnectB3ActiveResp(uint16_t applId, uint16_t number, uint32_t ncci) {
    return WithId(applId, CAPI_CONNECT_B3_ACTIVE, CAPI_RESP, number, ncci);
}

TCapiOutMessage BuildDisconnectB3Req(uint16_t applId, uint16_t number, uint32_t ncci) {
    TCapiOutMessage m = WithId(applId, CAPI_DISCONNECT_B3, CAPI_REQ, number, ncci);
    m.EmptyStruct();  // NCPI
    return m;
}

TCapiOutMessage BuildDisconnectB3Resp(uint16_t applId, uint16_t number, uint32_t ncci) {
    return WithId(applId, CAPI_DISCONNECT_B3, CAPI_RESP, number, ncci);
}

TCapiOutMessage BuildDisconnectReq(uint16_t applId, uint16_t number, uint32_t plci) {
    TCapiOutMessage m = WithId(applId, CAPI_DISCONNECT, CAPI_REQ, number, plci);
    m.EmptyStruct();  // Additional Info
    return m;
}

TCapiOutMessage BuildDisconnectResp(uint16_t applId, uint16_t number, uint32_t plci) {
    return WithId(applId, CAPI_DISCONNECT, CAPI_RESP, number, plci);
}

TCapiOutMessage BuildConnectReq(uint16_t applId, uint16_t number, uint16_t cip, const std::string& called,
                                uint8_t calledByte0, const std::string& calling, uint8_t callingByte0,
                                uint8_t callingByte1, uint16_t b1, uint16_t b2, uint16_t b3) {
    TCapiOutMessage m(applId, CAPI_CONNECT, CAPI_REQ, number);
    m.Dword(1).Word(cip);
    size_t a = called.size() > 60 ? 60 : called.size();
    size_t b = calling.size() > 60 ? 60 : calling.size();
    m.Byte(uint8_t(a + 1)).Byte(calledByte0);
    for (size_t i = 0; i < a; ++i) m.Byte(uint8_t(called[i]));
    m.Byte(uint8_t(b + 2)).Byte(callingByte0).Byte(callingByte1);
    for (size_t i = 0; i < b; ++i) m.Byte(uint8_t(calling[i]));
    m.EmptyStruct().EmptyStruct();  // called and calling party subaddress
    m.Byte(9).Word(b1).Word(b2).Word(b3).EmptyStruct().EmptyStruct().EmptyStruct();
    m.EmptyStruct().EmptyStruct().EmptyStruct().EmptyStruct();  // BC, LLC, HLC, Additional Info
    return m;
}

TCapiOutMessage BuildDataB3Req(uint16_t applId, uint16_t number, uint32_t ncci, const void* data,
                               uint16_t dataLength, uint16_t dataHandle, uint16_t flags) {
    TCapiOutMessage m(applId, CAPI_DATA_B3, CAPI_REQ, number);
    uint64_t address = uint64_t(uintptr_t(data));
    m.Dword(ncci);
    m.Dword(sizeof(void*) == 4 ? uint32_t(address) : 0);
    m.Word(dataLength).Word(dataHandle).Word(flags);
    if (sizeof(void*) > 4) m.Qword(address);
    return m;
}

TCapiOutMessage BuildDataB3Resp(uint16_t applId, uint16_t number, uint32_t ncci, uint16_t dataHandle) {
    TCapiOutMessage m(applId, CAPI_DATA_B3, CAPI_RESP, number);
    m.Dword(ncci).Word(dataHandle);
    return m;
}

bool ReadDataB3Ind(const TCapiMessage& m, TDataB3Ind& out) {
    TCapiReader r(m);
    uint32_t data32 = 0;
    if (!r.Dword(out.NCCI) || !r.Dword(data32) || !r.Word(out.DataLength) || !r.Word(out.DataHandle) ||
        !r.Word(out.Flags))
        return false;
    if (sizeof(void*) == 4) {
        out.Data = reinterpret_cast<uint8_t*>(uintptr_t(data32));
    } else {
        uint64_t data64 = 0;
        // Without the 64-bit field the address cannot be known here.
        out.Data = r.Qword(data64) ? reinterpret_cast<uint8_t*>(uintptr_t(data64)) : nullptr;
    }
    return true;
}

}  // namespace vx
