// Byte layouts of every message the control builds, and the bounded reader.
#include <gtest/gtest.h>

#include "capi_fakes.h"
#include "capictrl/core/capimessage.h"

using namespace vx;
using namespace vx::fake;

static Bytes Of(const TCapiOutMessage& m) { return Bytes(m.Data(), m.Data() + m.Length()); }

TEST(CapiMessage, ListenReqOnAndOff) {
    EXPECT_EQ(Of(BuildListenReq(3, 0x8001, 1, 0x1FF, 0x1FFF03FF)),
              B({26, 0, 3, 0, 0x05, 0x80, 0x01, 0x80, 1, 0, 0, 0, 0xFF, 0x01, 0, 0, 0xFF, 0x03, 0xFF, 0x1F, 0, 0, 0, 0,
                 0, 0}));
    EXPECT_EQ(Of(BuildListenReq(3, 0, 1, 0, 0)),
              B({26, 0, 3, 0, 0x05, 0x80, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(CapiMessage, ResponsesAndRequestsByteForByte) {
    struct Case {
        const char* name;
        TCapiOutMessage m;
        Bytes want;
    };
    const Case cases[] = {
        {"ALERT_REQ", BuildAlertReq(1, 0x8002, 0x0101),
         B({17, 0, 1, 0, 0x01, 0x80, 0x02, 0x80, 0x01, 0x01, 0, 0, 0, 0, 0, 0, 0})},
        {"CONNECT_RESP", BuildConnectResp(1, 0x1234, 0x0201, 1),
         B({28, 0, 1, 0, 0x02, 0x83, 0x34, 0x12, 0x01, 0x02, 0, 0, 1, 0, 9, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})},
        {"CONNECT_B3_RESP", BuildConnectB3Resp(1, 7, 0x00010101, 2),
         B({15, 0, 1, 0, 0x82, 0x83, 7, 0, 0x01, 0x01, 0x01, 0, 2, 0, 0})},
        {"INFO_RESP", BuildInfoResp(1, 9, 0x0301), B({12, 0, 1, 0, 0x08, 0x83, 9, 0, 0x01, 0x03, 0, 0})},
        {"CONNECT_ACTIVE_RESP", BuildConnectActiveResp(1, 9, 0x0301),
         B({12, 0, 1, 0, 0x03, 0x83, 9, 0, 0x01, 0x03, 0, 0})},
        {"CONNECT_B3_REQ", BuildConnectB3Req(1, 0x8005, 0x0301),
         B({13, 0, 1, 0, 0x82, 0x80, 5, 0x80, 0x01, 0x03, 0, 0, 0})},
        {"CONNECT_B3_ACTIVE_RESP", BuildConnectB3ActiveResp(1, 9, 0x10301),
         B({12, 0, 1, 0, 0x83, 0x83, 9, 0, 0x01, 0x03, 1, 0})},
        {"DISCONNECT_B3_REQ", BuildDisconnectB3Req(1, 0x8005, 0x10301),
         B({13, 0, 1, 0, 0x84, 0x80, 5, 0x80, 0x01, 0x03, 1, 0, 0})},
        {"DISCONNECT_B3_RESP", BuildDisconnectB3Resp(1, 9, 0x10301),
         B({12, 0, 1, 0, 0x84, 0x83, 9, 0, 0x01, 0x03, 1, 0})},
        {"DISCONNECT_REQ", BuildDisconnectReq(1, 0x8005, 0x0301),
         B({13, 0, 1, 0, 0x04, 0x80, 5, 0x80, 0x01, 0x03, 0, 0, 0})},
        {"DISCONNECT_RESP", BuildDisconnectResp(1, 9, 0x0301), B({12, 0, 1, 0, 0x04, 0x83, 9, 0, 0x01, 0x03, 0, 0})},
        {"DATA_B3_RESP", BuildDataB3Resp(1, 9, 0x10301, 0x22),
         B({14, 0, 1, 0, 0x86, 0x83, 9, 0, 0x01, 0x03, 1, 0, 0x22, 0})},
    };
    for (const Case& c : cases) EXPECT_EQ(Of(c.m), c.want) << c.name;
}

TEST(CapiMessage, ConnectReqWithTheDefaultNumbers) {
    Bytes m = Of(BuildConnectReq(1, 0x8001, 16, "012345678", 0x80, "012345678", 0x00, 0x80, 1, 1, 0));
    Bytes want = B({53, 0, 1, 0, 0x02, 0x80, 0x01, 0x80}) + D(1) + W(16) + B({10, 0x80}) + Bytes{'0', '1', '2', '3',
                 '4', '5', '6', '7', '8'} + B({11, 0x00, 0x80}) + Bytes{'0', '1', '2', '3', '4', '5', '6', '7', '8'} +
                 B({0, 0, 9, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(m, want);
}

TEST(CapiMessage, DataB3ReqCarriesTheBlockAddressForThePointerSize) {
    static uint8_t block[2048];
    Bytes m = Of(BuildDataB3Req(1, 0x8003, 0x10301, block, 2048, 5, 0));
    uint64_t address = uint64_t(uintptr_t(block));
    if (sizeof(void*) == 4) {
        ASSERT_EQ(m.size(), 22u);
        EXPECT_EQ(GetDword(m.data() + 12), uint32_t(address));
    } else {
        ASSERT_EQ(m.size(), 30u);
        EXPECT_EQ(GetDword(m.data() + 12), 0u);
        EXPECT_EQ(uint64_t(GetDword(m.data() + 22)) | (uint64_t(GetDword(m.data() + 26)) << 32), address);
    }
    EXPECT_EQ(GetWord(m.data() + 16), 2048);
    EXPECT_EQ(GetWord(m.data() + 18), 5);
    EXPECT_EQ(GetWord(m.data() + 20), 0);

    // Read back as an indication the address is found again.
    Bytes ind = m;
    ind[5] = CAPI_IND;
    TCapiMessage in(ind.data(), ind.size());
    TDataB3Ind d;
    ASSERT_TRUE(ReadDataB3Ind(in, d));
    EXPECT_EQ(d.Data, block);
    EXPECT_EQ(d.DataLength, 2048);
}

TEST(CapiMessage, ReaderStaysWithinTheMessageAndEachStruct) {
    // Total length 12 although more bytes follow: the dword after it is not read.
    Bytes m = B({12, 0, 1, 0, 0x08, 0x82, 1, 0, 1, 2, 3, 4, 9, 9, 9, 9});
    TCapiMessage msg(m.data(), m.size());
    ASSERT_TRUE(msg.Valid());
    EXPECT_EQ(msg.Length(), 12u);
    TCapiReader r(msg);
    uint32_t d = 0;
    EXPECT_TRUE(r.Dword(d));
    EXPECT_EQ(d, 0x04030201u);
    EXPECT_FALSE(r.Dword(d));

    // A struct claiming more octets than the message holds fails, and the
    // position stays.
    Bytes s = Msg(0x02, 0x82, 1, D(1) + W(16) + B({5, 1, 2}));
    TCapiMessage sm(s.data(), s.size());
    TCapiReader sr(sm);
    uint16_t cip;
    TCapiStruct st;
    ASSERT_TRUE(sr.Dword(d) && sr.Word(cip));
    size_t at = sr.Position();
    EXPECT_FALSE(sr.Struct(st));
    EXPECT_EQ(sr.Position(), at);
    // Octets beyond a struct read as 0.
    TCapiStruct two{s.data() + 15, 2};
    EXPECT_EQ(two.Octet(3), 0);
}

TEST(CapiMessage, HeaderRules) {
    Bytes shortTotal = B({7, 0, 1, 0, 0x05, 0x81, 1});
    EXPECT_FALSE(TCapiMessage(shortTotal.data(), shortTotal.size()).Valid());
    Bytes beyond = Msg(0x05, 0x81, 1, D(1) + W(0));
    EXPECT_FALSE(TCapiMessage(beyond.data(), beyond.size() - 1).Valid());
    EXPECT_TRUE(TCapiMessage(beyond.data(), beyond.size()).Valid());
    EXPECT_FALSE(TCapiMessage(beyond.data(), 1).Valid());
}
