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
    // A comma inside a quoted name does not end the entry.
    EXPECT_EQ(SmtpAddresses("\"Dr. \xCFuro, PhD.\" <d@b.sk>, \"Novak, \\\"Jan\\\"\" <jan@b.sk>"),
              (std::vector<std::string>{"d@b.sk", "jan@b.sk"}));
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
        {"\"Novak, Jan\" <jan@b.sk>, c@d.sk", "=?windows-1250?Q?Novak=2C_Jan?= <jan@b.sk>, c@d.sk"},
        // A line break in the name never starts a header of its own.
        {"X\r\nBcc: z@y <jan@b.sk>", "=?windows-1250?Q?X__Bcc=3A_z=40y?= <jan@b.sk>"},
        // An address the header cannot carry stands as the name of an empty group.
        {"j\xE1n@b.sk", "=?windows-1250?Q?j=E1n=40b=2Esk?= :;"},
        // The line is folded just before a plain name: the name goes on a
        // folded line, not on a line of its own that would read as a header.
        {"uctovnictvo.strediska.bratislava.juh.a.zapad.pobocka.ruzinov@example.sk, Jan Novak <jan@b.sk>",
         "uctovnictvo.strediska.bratislava.juh.a.zapad.pobocka.ruzinov@example.sk, Jan Novak <jan@b.sk>"},
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

// A client and the strict server it talks to.
struct Relacia {
    fake::FakeSmtpPeer peer;
    fake::FakeClock clock;
    TSmtpKlient k{peer, clock};
};

// A mail with subject "S" to the given addresses.
TSmtpSprava Sprava(const std::string& komu = "a@b.sk") {
    TSmtpSprava m;
    m.Subject = "S";
    m.Recipients = komu;
    return m;
}

TEST(SmtpClient, DialogueOfOneMail) {
    Relacia r;
    ASSERT_TRUE(r.k.Connect("127.0.0.1", 25));
    TSmtpSprava m = Sprava();
    r.k.Send(m);
    r.k.Disconnect();
    EXPECT_EQ(r.peer.commands, (std::vector<std::string>{"EHLO pc1", "MAIL FROM:<>", "RCPT TO:<a@b.sk>", "DATA", "QUIT"}));
    ASSERT_EQ(r.peer.mails.size(), 1u);
    EXPECT_FALSE(r.peer.open);
}

TEST(SmtpClient, RefusedMailResetsTheSessionForTheNext) {
    Relacia r;
    r.peer.rejectRcpt = {"x@b.sk"};
    ASSERT_TRUE(r.k.Connect("127.0.0.1", 25));
    TSmtpSprava m = Sprava("x@b.sk");
    EXPECT_THROW(r.k.Send(m), ESmtpOdmietnutie);
    m.Recipients = "a@b.sk";
    r.k.Send(m);
    EXPECT_EQ(r.peer.commands[3], "RSET");
    ASSERT_EQ(r.peer.mails.size(), 1u);
    EXPECT_EQ(r.peer.mails[0].rcpt, std::vector<std::string>{"a@b.sk"});
}

// The opening of a session: greeting, EHLO and the fall-back to HELO, and
// the way out of a server that will not take mail.
TEST(SmtpClient, OpeningTable) {
    struct Pripad {
        const char* nazov;
        int greeting, ehlo;
        std::string helo;  // the reply to HELO, "" the usual one
        bool spojene;
        std::vector<std::string> prikazy;
    } pripady[] = {
        {"extensions offered", 220, 250, "", true, {"EHLO pc1"}},
        {"EHLO unknown", 220, 500, "", true, {"EHLO pc1", "HELO pc1"}},
        {"EHLO not implemented", 220, 502, "", true, {"EHLO pc1", "HELO pc1"}},
        {"EHLO refused, HELO too", 220, 550, "550 go away\r\n", false, {"EHLO pc1", "HELO pc1", "QUIT"}},
        {"EHLO refused, HELO closing", 220, 502, "421 closing\r\n", false, {"EHLO pc1", "HELO pc1"}},
        {"closing at EHLO", 220, 421, "", false, {"EHLO pc1"}},
        {"greeting 554", 554, 250, "", false, {"QUIT"}},
        {"greeting 421", 421, 250, "", false, {}},
        {"greeting 450", 450, 250, "", false, {"QUIT"}},
    };
    for (const Pripad& p : pripady) {
        SCOPED_TRACE(p.nazov);
        Relacia r;
        r.peer.greetingCode = p.greeting;
        r.peer.ehloCode = p.ehlo;
        if (!p.helo.empty()) r.peer.answer["HELO"] = p.helo;
        EXPECT_EQ(r.k.Connect("127.0.0.1", 25), p.spojene);
        EXPECT_EQ(r.k.Connected(), p.spojene);
        // A refusal is no broken line; a server closing with 421 is.
        const bool zavrel = p.greeting == 421 || p.ehlo == 421 || p.helo.rfind("421", 0) == 0;
        EXPECT_EQ(r.k.Porucha(), zavrel ? TSmtpPorucha::Zatvorene : TSmtpPorucha::Ziadna);
        EXPECT_EQ(r.peer.open, p.spojene);
        if (p.spojene) r.k.Disconnect();
        std::vector<std::string> prikazy = r.peer.commands;
        if (p.spojene) prikazy.pop_back();  // QUIT
        EXPECT_EQ(prikazy, p.prikazy);
    }
}

// The name in EHLO: a domain name as it is, anything else as the address
// literal of this end, so that a computer named in Slovak still gets its
// mail through a strict server.
TEST(SmtpClient, HelloNameIsADomainOrTheAddressLiteral) {
    struct Pripad {
        std::string meno, adresa, ehlo;
    } pripady[] = {
        {"pc1", "192.0.2.7", "EHLO pc1"},
        {"pc-1.firma.example.sk", "192.0.2.7", "EHLO pc-1.firma.example.sk"},
        {"Po\xE8\xEDta\xE8", "192.0.2.7", "EHLO [192.0.2.7]"},
        {"PC_JANO", "10.1.2.3", "EHLO [10.1.2.3]"},
        {"-pc", "192.0.2.7", "EHLO [192.0.2.7]"},
        {"pc-", "192.0.2.7", "EHLO [192.0.2.7]"},
        {"pc..sk", "192.0.2.7", "EHLO [192.0.2.7]"},
        {"pc.", "192.0.2.7", "EHLO [192.0.2.7]"},
        {std::string(64, 'a'), "192.0.2.7", "EHLO [192.0.2.7]"},
        {std::string(63, 'a'), "192.0.2.7", "EHLO " + std::string(63, 'a')},
        {"", "192.0.2.7", "EHLO [192.0.2.7]"},
        {"moj pc", "", "EHLO localhost"},
    };
    for (const Pripad& p : pripady) {
        SCOPED_TRACE(p.meno);
        Relacia r;
        r.peer.localName = p.meno;
        r.peer.localAddress = p.adresa;
        ASSERT_TRUE(r.k.Connect("127.0.0.1", 25));
        r.k.Disconnect();
        EXPECT_EQ(r.peer.commands.front(), p.ehlo);
    }
}

// 421 at any step: the server closes the line, the mail is not taken; the
// client treats it like a broken line, so the mail can wait for a retry.
TEST(SmtpClient, ServiceClosingAtAnyStepIsALostConnection) {
    for (const char* krok : {"MAIL", "RCPT", "DATA", "."}) {
        SCOPED_TRACE(krok);
        Relacia r;
        r.peer.answer[krok] = "421-shutting down\r\n421 try later\r\n";
        ASSERT_TRUE(r.k.Connect("127.0.0.1", 25));
        TSmtpSprava m = Sprava();
        EXPECT_THROW(r.k.Send(m), ESmtpSpojenie);
        EXPECT_FALSE(r.k.Connected());
        // Nothing after the 421.
        EXPECT_EQ(r.peer.commands.back().substr(0, 4), krok == std::string(".") ? "DATA" : krok);
        EXPECT_TRUE(r.peer.mails.empty());
    }
}

// Temporary and permanent refusals at each step of a transaction: the mail
// is refused, the session reset and still good for the next mail.
TEST(SmtpClient, RefusalAtEachStepResetsTheSession) {
    for (const char* krok : {"MAIL", "RCPT", "DATA", "."}) {
        for (const char* odpoved : {"451 4.3.0 later\r\n", "554-5.7.1 no\r\n554 5.7.1 really not\r\n"}) {
            SCOPED_TRACE(std::string(krok) + " " + odpoved);
            Relacia r;
            r.peer.answer[krok] = odpoved;
            ASSERT_TRUE(r.k.Connect("127.0.0.1", 25));
            TSmtpSprava m = Sprava();
            EXPECT_THROW(r.k.Send(m), ESmtpOdmietnutie);
            EXPECT_EQ(r.peer.commands.back(), "RSET");
            r.peer.answer.clear();
            EXPECT_TRUE(r.k.Send(m).empty());
            r.k.Disconnect();
            ASSERT_EQ(r.peer.mails.size(), 1u);
        }
    }
}

// An address in national letters never reaches a command: it is refused
// like a server would refuse it, and the others still get the mail.
TEST(SmtpClient, AnAddressThatIsNotSevenBitIsRefusedWithoutAsking) {
    Relacia r;
    ASSERT_TRUE(r.k.Connect("127.0.0.1", 25));
    TSmtpSprava m = Sprava("jo\x9Eo@b.sk, a@b.sk");
    EXPECT_EQ(r.k.Send(m), std::vector<std::string>{"jo\x9Eo@b.sk"});
    ASSERT_EQ(r.peer.mails.size(), 1u);
    EXPECT_EQ(r.peer.mails[0].rcpt, std::vector<std::string>{"a@b.sk"});
    size_t prikazy = r.peer.commands.size();
    m.Recipients = "\xBEudo@b.sk";
    EXPECT_THROW(r.k.Send(m), ESmtpOdmietnutie);
    EXPECT_EQ(r.peer.commands.size(), prikazy);  // not even a MAIL for it
    r.k.Disconnect();
}

}  // namespace
}  // namespace vx
