// The mail as it goes over the wire: subject encoding, headers, addresses.
#include <gtest/gtest.h>

#include "monitor/core/smtp_client.h"
#include "tests/unit/notify/fakes_notify.h"

namespace vx {
namespace {

TEST(SmtpSubject, EncodingTable) {
    struct Pripad {
        std::string subject, header;
    } pripady[] = {
        {"Volanie 0905 - Novak, Firma (o 10:00:00)", "Volanie 0905 - Novak, Firma (o 10:00:00)"},
        {"", ""},
        // ł is outside the plain-letter table and stays; code page 1250 0xB3.
        {"Volanie Wałęsa", "=?windows-1250?Q?Volanie_Wa=B3=EAsa?="},
        {"Zvl\xE1\x9At", "=?windows-1250?Q?Zvl=E1=9At?="},
        // A line break from a received name can never start a new header.
        {"A\r\nBcc: x@y", "=?windows-1250?Q?A=0D=0ABcc=3A_x=40y?="},
        {"=?utf-8?B?QQ==?=", "=?windows-1250?Q?=3D=3Futf-8=3FB=3FQQ=3D=3D=3F=3D?="},
    };
    for (const auto& p : pripady) EXPECT_EQ(SmtpSubjectHeader(p.subject), p.header) << p.subject;
}

TEST(SmtpSubject, LongEncodedSubjectIsFoldedIntoShortWords) {
    std::string s(100, '\xE1');
    std::string h = SmtpSubjectHeader(s);
    size_t start = 0, words = 0;
    std::string payload;
    while (start < h.size()) {
        size_t end = h.find("\r\n ", start);
        std::string w = h.substr(start, end == std::string::npos ? std::string::npos : end - start);
        EXPECT_LE(w.size(), 75u);
        ASSERT_EQ(w.rfind("=?windows-1250?Q?", 0), 0u);
        payload += w.substr(17, w.size() - 19);
        ++words;
        if (end == std::string::npos) break;
        start = end + 3;
    }
    EXPECT_GT(words, 1u);
    std::string expected;
    for (int i = 0; i < 100; ++i) expected += "=E1";
    EXPECT_EQ(payload, expected);
}

TEST(SmtpAddresses, ParsingTable) {
    EXPECT_EQ(SmtpAddresses("a@b.sk"), std::vector<std::string>{"a@b.sk"});
    EXPECT_EQ(SmtpAddresses("Jan Novak <jan@b.sk>, c@d.sk"), (std::vector<std::string>{"jan@b.sk", "c@d.sk"}));
    EXPECT_EQ(SmtpAddresses(" , "), std::vector<std::string>{});
    // No line break of the configured text reaches a command.
    EXPECT_EQ(SmtpAddresses("a@b.sk\r\nQUIT"), std::vector<std::string>{"a@b.skQUIT"});
}

TEST(SmtpMessage, HeadersOfTheHighestPriorityAndAnEmptyBody) {
    TSmtpSprava m;
    m.Subject = "S";
    m.Recipients = "a@b.sk";
    m.Date = "Mon, 1 Jan 2024 10:00:00 +0100";
    EXPECT_EQ(SmtpMessageData(m),
              "Subject: S\r\nTo: a@b.sk\r\nDate: Mon, 1 Jan 2024 10:00:00 +0100\r\nMIME-Version: 1.0\r\n"
              "Content-Type: text/plain; charset=windows-1250\r\nContent-Transfer-Encoding: 7bit\r\n"
              "X-Priority: 1\r\nX-MSMail-Priority: High\r\nImportance: High\r\n\r\n.\r\n");
}

// The header lines of a message: 7-bit only, none longer than 78 octets.
void SedmobitoveRiadky(const std::string& data) {
    size_t start = 0;
    while (start < data.size()) {
        size_t end = data.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        std::string riadok = data.substr(start, end - start);
        EXPECT_LE(riadok.size(), 78u) << riadok;
        for (unsigned char c : riadok) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << riadok;
        // A folded line holds more than blanks.
        if (!riadok.empty() && riadok[0] == ' ') {
            EXPECT_NE(riadok.find_first_not_of(' '), std::string::npos);
        }
        start = end + 2;
    }
}

// One header of the message, its folds undone.
std::string Hlavicka(const std::string& data, const std::string& meno) {
    size_t a = data.find("\r\n" + meno + ": ");
    a = (data.rfind(meno + ": ", 0) == 0) ? meno.size() + 2 : a + meno.size() + 4;
    std::string h;
    for (;;) {
        size_t e = data.find("\r\n", a);
        h += data.substr(a, e - a);
        if (data[e + 2] != ' ') break;
        a = e + 2;
    }
    return h;
}

TEST(SmtpMessage, ToHeaderIsSevenBitAndFolded) {
    struct Pripad {
        std::string kluc, to;  // the configured key, the To header unfolded
    } pripady[] = {
        {"a@b.sk", "a@b.sk"},
        {"Jan Novak <jan@b.sk>, c@d.sk", "Jan Novak <jan@b.sk>, c@d.sk"},
        {"J\xE1n Nov\xE1k <jan@b.sk>", "=?windows-1250?Q?J=E1n_Nov=E1k?= <jan@b.sk>"},
        {"\"Novak Jan\" <jan@b.sk>", "Novak Jan <jan@b.sk>"},
        {"J. Novak <jan@b.sk>", "=?windows-1250?Q?J=2E_Novak?= <jan@b.sk>"},
        // A line break in the name never starts a header of its own.
        {"X\r\nBcc: z@y <jan@b.sk>", "=?windows-1250?Q?X__Bcc=3A_z=40y?= <jan@b.sk>"},
        // An address the header cannot carry stands as the name of an empty group.
        {"j\xE1n@b.sk", "=?windows-1250?Q?j=E1n=40b=2Esk?= :;"},
    };
    for (const Pripad& p : pripady) {
        TSmtpSprava m;
        m.Subject = "S";
        m.Recipients = p.kluc;
        std::string data = SmtpMessageData(m);
        SedmobitoveRiadky(data);
        EXPECT_EQ(Hlavicka(data, "To"), p.to) << p.kluc;
    }
}

TEST(SmtpMessage, LongHeadersAreFoldedAtBlanks) {
    // Forty addresses with accented names: a To line of over a thousand octets unfolded.
    std::string kluc, to;
    for (int i = 0; i < 40; ++i) {
        std::string n = std::to_string(i);
        kluc += (i ? ", " : "") + std::string("\xDA\xE8t") + n + " <uctovnictvo" + n + "@example.com>";
        to += (i ? ", " : "") + std::string("=?windows-1250?Q?=DA=E8t") + n + "?= <uctovnictvo" + n + "@example.com>";
    }
    std::string subject;
    for (int i = 0; i < 30; ++i) subject += "Volanie z cisla 0905123456 ";
    TSmtpSprava m;
    m.Subject = subject;
    m.Recipients = kluc;
    std::string data = SmtpMessageData(m);
    SedmobitoveRiadky(data);
    EXPECT_EQ(Hlavicka(data, "To"), to);
    EXPECT_EQ(Hlavicka(data, "Subject"), subject);
    EXPECT_EQ(SmtpAddresses(kluc).size(), 40u);
}

TEST(SmtpClient, DialogueOfOneMail) {
    fake::FakeSmtpPeer peer;
    fake::FakeClock clock;
    TSmtpKlient k(peer, clock);
    ASSERT_TRUE(k.Connect("127.0.0.1", 25));
    TSmtpSprava m;
    m.Subject = "S";
    m.Recipients = "a@b.sk";
    k.Send(m);
    k.Disconnect();
    EXPECT_EQ(peer.commands, (std::vector<std::string>{"HELO pc1", "MAIL FROM:<>", "RCPT TO:<a@b.sk>", "DATA", "QUIT"}));
    ASSERT_EQ(peer.mails.size(), 1u);
    EXPECT_FALSE(peer.open);
}

TEST(SmtpClient, RefusedMailResetsTheSessionForTheNext) {
    fake::FakeSmtpPeer peer;
    peer.rejectRcpt = {"x@b.sk"};
    fake::FakeClock clock;
    TSmtpKlient k(peer, clock);
    ASSERT_TRUE(k.Connect("127.0.0.1", 25));
    TSmtpSprava m;
    m.Subject = "S";
    m.Recipients = "x@b.sk";
    EXPECT_THROW(k.Send(m), ESmtpOdmietnutie);
    m.Recipients = "a@b.sk";
    k.Send(m);
    EXPECT_EQ(peer.commands[3], "RSET");
    ASSERT_EQ(peer.mails.size(), 1u);
    EXPECT_EQ(peer.mails[0].rcpt, std::vector<std::string>{"a@b.sk"});
}

}  // namespace
}  // namespace vx
