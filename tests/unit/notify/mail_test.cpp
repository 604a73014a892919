// Mail dispatch, retry queue and dial-up around it, in virtual time against
// a scripted SMTP peer and dial-up component.
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "base/testing/fakes.h"
#include "monitor/core/mail_notifikacia.h"
#include "tests/unit/notify/fakes_notify.h"

namespace vx {
namespace {

using fake::FakeDialUp;

class MailTest : public ::testing::Test, protected fake::VirtualTime {
protected:
    TPremenne P;
    fake::FakeSmtpPeer smtp;
    FakeDialUp dial;
    std::vector<std::string> log;
    std::unique_ptr<TMailNotifikacia> m;
    std::vector<bool> vysledky;  // what a retry showed on the indicators

    void SetUp() override {
        P.Config.SMTPaddress = "127.0.0.1";
        P.Config.email1 = "a@example.com";
        P.Config.DUPname = "Linka";
        smtp.cas = &timers;
        m = std::make_unique<TMailNotifikacia>(P, dial, smtp, timers, pump, clock,
                                               [this](const std::string& s) { log.push_back(s); });
        m->ZobrazVysledok = [this](bool r) { vysledky.push_back(r); };
        pump.onProcess = [this] { dial.Deliver(); };
    }
    // A fresh start for the next case of a table: monitor, server and log.
    void Znova() {
        smtp.ExpectNoViolations();
        smtp = fake::FakeSmtpPeer{};
        P = TPremenne{};
        log.clear();
        vysledky.clear();
        SetUp();
    }
    int Obsadene() const {
        int n = 0;
        for (const auto& f : P.Fronta) n += !f.Text.empty();
        return n;
    }
    bool Logged(const std::string& line) const {
        return std::find(log.begin(), log.end(), line) != log.end();
    }
    std::vector<std::string> Subjects() const {
        std::vector<std::string> out;
        for (const auto& t : smtp.mails) {
            size_t a = t.data.find("Subject: ") + 9;
            out.push_back(t.data.substr(a, t.data.find("\r\n", a) - a));
        }
        return out;
    }
};

TEST_F(MailTest, RefusedConnectionQueuesTheMailAndArmsTheRetry) {
    smtp.refuse = true;
    P.Config.repeatafter = 45000;
    EXPECT_FALSE(m->OdosliNotifikaciu("Volanie 0905"));
    EXPECT_EQ(P.Fronta[0].Text, "Volanie 0905");
    EXPECT_EQ(P.Fronta[0].Pokusy, 1);
    EXPECT_EQ(Obsadene(), 1);
    EXPECT_TRUE(m->Timer6().Enabled());
    EXPECT_EQ(m->Timer6().Interval(), 45000u);
    EXPECT_EQ(smtp.connectTimeout, 10000u);
    EXPECT_EQ(log, (std::vector<std::string>{"Connect na SMTP server 127.0.0.1", "Connect na SMTP server sa nepodaril",
                                             "Zaradenie mailu Volanie 0905 po neúspešnom odoslaní do fronty"}));
}

TEST_F(MailTest, RetriesCountTheAttemptsAndDropTheMailAtMaxtries) {
    smtp.refuse = true;
    m->OdosliNotifikaciu("S1");
    log.clear();
    timers.Advance(60000);  // first retry
    EXPECT_EQ(P.Fronta[0].Pokusy, 2);
    EXPECT_TRUE(m->Timer6().Enabled());
    timers.Advance(60000);  // second retry
    EXPECT_EQ(Obsadene(), 0);
    EXPECT_FALSE(m->Timer6().Enabled());
    EXPECT_EQ(log, (std::vector<std::string>{
                       "Opakovanie pokusu o odoslanie notifikácie", "Connect na SMTP server 127.0.0.1",
                       "Connect na SMTP server sa nepodaril", "Notifikácia: 2. neúspešný pokus pre správu - S1",
                       "Opakovanie pokusu o odoslanie notifikácie", "Connect na SMTP server 127.0.0.1",
                       "Connect na SMTP server sa nepodaril", "Notifikácia: 3. neúspešný pokus pre správu - S1",
                       "Vymazanie správy z fronty: S1"}));
    EXPECT_EQ(vysledky, (std::vector<bool>{false, false}));
    timers.Advance(600000);  // nothing more happens
    EXPECT_EQ(log.size(), 9u);
}

TEST_F(MailTest, MaxtriesOneStillRetriesOnce) {
    P.Config.maxtries = 1;
    smtp.refuse = true;
    m->OdosliNotifikaciu("S1");
    EXPECT_EQ(Obsadene(), 1);
    timers.Advance(60000);
    EXPECT_TRUE(Logged("Notifikácia: 2. neúspešný pokus pre správu - S1"));
    EXPECT_TRUE(Logged("Vymazanie správy z fronty: S1"));
    EXPECT_EQ(Obsadene(), 0);
}

TEST_F(MailTest, TwentyFirstFailureReplacesSlotTwenty) {
    smtp.refuse = true;
    for (int i = 1; i <= 21; ++i) m->OdosliNotifikaciu("M" + std::to_string(i));
    for (int i = 0; i < 19; ++i) EXPECT_EQ(P.Fronta[i].Text, "M" + std::to_string(i + 1));
    EXPECT_EQ(P.Fronta[19].Text, "M21");
    EXPECT_EQ(P.Fronta[19].Pokusy, 1);
}

TEST_F(MailTest, DispatchSendsTheNewMailThenTheQueueInOrder) {
    smtp.refuse = true;
    m->OdosliNotifikaciu("Q1");
    m->OdosliNotifikaciu("Q2");
    m->OdosliNotifikaciu("Q3");
    smtp.refuse = false;
    smtp.rejectRcpt = {};
    EXPECT_TRUE(m->OdosliNotifikaciu("NEW"));
    EXPECT_EQ(Subjects(), (std::vector<std::string>{"NEW", "Q1", "Q2", "Q3"}));
    for (const auto& t : smtp.mails) EXPECT_EQ(t.spojenie, 1);
    EXPECT_EQ(Obsadene(), 0);
    EXPECT_FALSE(m->Timer6().Enabled());
    EXPECT_EQ(smtp.commands.back(), "QUIT");
}

TEST_F(MailTest, ResultIsThatOfTheLastQueuedMail) {
    smtp.refuse = true;
    m->OdosliNotifikaciu("Q1");
    smtp.refuse = false;
    P.Config.email2 = "bad@example.com";
    smtp.rejectRcpt = {"bad@example.com"};
    EXPECT_FALSE(m->OdosliNotifikaciu("NEW"));  // Q1 was refused for bad@
    EXPECT_EQ(Obsadene(), 0);                   // refused mails are not kept
    EXPECT_TRUE(Logged("Chyba pri odoslani mailu na adresu bad@example.com s textom Q1"));
}

TEST_F(MailTest, ThreeAddressesThreeTransactionsInOneConnection) {
    P.Config.email2 = "b@example.com";
    P.Config.email3 = "c@example.com";
    EXPECT_TRUE(m->OdosliNotifikaciu("Volanie 0905123456 (o 10:00:00)"));
    ASSERT_EQ(smtp.mails.size(), 3u);
    EXPECT_EQ(smtp.connects, 1);
    const char* adresy[] = {"a@example.com", "b@example.com", "c@example.com"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(smtp.mails[i].from, "<>");
        EXPECT_EQ(smtp.mails[i].rcpt, std::vector<std::string>{adresy[i]});
        EXPECT_NE(smtp.mails[i].data.find("Subject: Volanie 0905123456 (o 10:00:00)\r\n"), std::string::npos);
        EXPECT_NE(smtp.mails[i].data.find("To: " + std::string(adresy[i]) + "\r\n"), std::string::npos);
        EXPECT_NE(smtp.mails[i].data.find("X-Priority: 1\r\n"), std::string::npos);
        EXPECT_EQ(log[1 + i], "Odosielanie mailu na adresu " + std::string(adresy[i]) +
                                  " s textom Volanie 0905123456 (o 10:00:00)");
    }
    EXPECT_EQ(smtp.commands.front(), "EHLO pc1");
    EXPECT_EQ(smtp.commands.back(), "QUIT");
}

TEST_F(MailTest, OneRefusedAddressIsLoggedOthersStillGetTheMail) {
    P.Config.email2 = "b@example.com";
    P.Config.email3 = "c@example.com";
    smtp.rejectRcpt = {"b@example.com"};
    EXPECT_FALSE(m->OdosliNotifikaciu("S"));
    ASSERT_EQ(smtp.mails.size(), 2u);
    EXPECT_EQ(smtp.mails[1].rcpt, std::vector<std::string>{"c@example.com"});
    EXPECT_TRUE(Logged("Chyba pri odoslani mailu na adresu b@example.com s textom S"));
    EXPECT_EQ(Obsadene(), 0);
    EXPECT_FALSE(m->Timer6().Enabled());
}

TEST_F(MailTest, ARecipientRefusedAmongSeveralOfOneKeyIsAFailureForThatAddress) {
    P.Config.email1 = "Jan <a@example.com>, bad@example.com, c@example.com";
    smtp.rejectRcpt = {"bad@example.com"};
    EXPECT_FALSE(m->OdosliNotifikaciu("S"));
    ASSERT_EQ(smtp.mails.size(), 1u);
    EXPECT_EQ(smtp.mails[0].rcpt, (std::vector<std::string>{"a@example.com", "c@example.com"}));
    EXPECT_EQ(log, (std::vector<std::string>{
                       "Connect na SMTP server 127.0.0.1",
                       "Odosielanie mailu na adresu Jan <a@example.com>, bad@example.com, c@example.com s textom S",
                       "Chyba pri odoslani mailu na adresu bad@example.com s textom S"}));
    EXPECT_EQ(Obsadene(), 0);  // refused is not queued
    EXPECT_FALSE(m->Timer6().Enabled());
}

TEST_F(MailTest, NoAddressConfiguredConnectsAndReportsSuccess) {
    P.Config.email1 = "";
    EXPECT_TRUE(m->OdosliNotifikaciu("S"));
    EXPECT_EQ(smtp.connects, 1);
    EXPECT_TRUE(smtp.mails.empty());
}

TEST_F(MailTest, NegativeGreetingIsAFailedConnect) {
    smtp.greetingCode = 554;
    EXPECT_FALSE(m->OdosliNotifikaciu("S"));
    EXPECT_TRUE(Logged("Connect na SMTP server sa nepodaril"));
    EXPECT_EQ(P.Fronta[0].Text, "S");
    EXPECT_FALSE(smtp.open);
}

TEST_F(MailTest, SilentServerIsAFailedDispatchAfterTheReadLimit) {
    smtp.silent = true;
    EXPECT_FALSE(m->OdosliNotifikaciu("S"));
    EXPECT_EQ(smtp.readTimeouts, std::vector<uint32_t>{30000});
    EXPECT_TRUE(Logged("Connect na SMTP server sa nepodaril"));
    EXPECT_EQ(P.Fronta[0].Text, "S");
    EXPECT_TRUE(m->Timer6().Enabled());
    EXPECT_FALSE(smtp.open);
}

TEST_F(MailTest, MailsTheServerNeverGotStayQueuedWhenTheConnectionBreaks) {
    smtp.refuse = true;
    m->OdosliNotifikaciu("Q1");
    m->OdosliNotifikaciu("Q2");
    smtp.refuse = false;
    smtp.dropAtData = 2;  // NEW goes through, the connection dies under Q1
    EXPECT_FALSE(m->OdosliNotifikaciu("NEW"));
    EXPECT_EQ(Subjects(), std::vector<std::string>{"NEW"});
    EXPECT_EQ(P.Fronta[0].Text, "Q1");
    EXPECT_EQ(P.Fronta[0].Pokusy, 2);
    EXPECT_EQ(P.Fronta[1].Text, "Q2");
    EXPECT_TRUE(m->Timer6().Enabled());
    EXPECT_TRUE(Logged("Chyba pri odoslani mailu na adresu a@example.com s textom Q1"));
    EXPECT_FALSE(Logged("Exception pri disconnecte SMTP serveru"));
}

TEST_F(MailTest, NewMailLostWithTheConnectionIsQueued) {
    smtp.dropAtData = 1;
    EXPECT_FALSE(m->OdosliNotifikaciu("NEW"));
    EXPECT_EQ(P.Fronta[0].Text, "NEW");
    EXPECT_EQ(P.Fronta[0].Pokusy, 1);
}

TEST_F(MailTest, PortThatIsNotANumberFailsLikeAConnectAndHangsUp) {
    P.Config.SMTPport = "25x";
    P.Config.DUPconnection = true;
    EXPECT_FALSE(m->OdosliNotifikaciu("S"));
    EXPECT_EQ(smtp.connects, 0);
    EXPECT_EQ(dial.calls, (std::vector<std::string>{"Dial Linka", "HangUp"}));
    EXPECT_FALSE(P.SpojenieVytocene);
    EXPECT_TRUE(Logged("Connect na SMTP server sa nepodaril"));
    EXPECT_TRUE(Logged("Hang-Up Linka nakolko sa connect na SMTP server nepodaril, ukoncenie odosielania"));
    EXPECT_EQ(P.Fronta[0].Text, "S");
    EXPECT_TRUE(m->Timer6().Enabled());
}

TEST_F(MailTest, PortIsUsedAsConfigured) {
    P.Config.SMTPport = "2525";
    m->OdosliNotifikaciu("S");
    EXPECT_EQ(smtp.port, 2525);
    EXPECT_EQ(smtp.host, "127.0.0.1");
}

TEST_F(MailTest, RetryInComModeClosesThePortAndRestoresPolling) {
    P.Config.isCOM = true;
    int zatvorene = 0, obnovene = 0;
    bool portPozicanyPocasOdoslania = false;
    m->ZatvorComm = [&] { ++zatvorene; };
    m->ObnovPolling = [&] { ++obnovene; };
    smtp.refuse = true;
    m->OdosliNotifikaciu("S");
    smtp.refuse = false;
    // The port is taken from polling before the dispatch and handed back after it.
    smtp.onReceive = [&] { portPozicanyPocasOdoslania = zatvorene == 1 && obnovene == 0; };

    P.COMAktivny = true;
    timers.Advance(60000);
    EXPECT_EQ(zatvorene, 1);
    EXPECT_TRUE(portPozicanyPocasOdoslania);
    EXPECT_TRUE(P.COMAktivny);
    EXPECT_EQ(obnovene, 1);
    EXPECT_EQ(vysledky, std::vector<bool>{true});
}

TEST_F(MailTest, RetryLeavesStoppedPollingStopped) {
    P.Config.isCOM = true;
    m->ObnovPolling = [] {};
    smtp.refuse = true;
    m->OdosliNotifikaciu("S");
    P.COMAktivny = false;  // stopped from the tray menu
    timers.Advance(60000);
    EXPECT_FALSE(P.COMAktivny);
}

TEST_F(MailTest, CallInsideARunningDispatchQueuesItsMailAtOnce) {
    P.Config.email2 = "b@example.com";
    bool vnutri = true;
    // A call arrives while the client waits for the greeting.
    smtp.onReceive = [&] { vnutri = m->OdosliNotifikaciu("INNER"); };
    EXPECT_TRUE(m->OdosliNotifikaciu("OUTER"));
    EXPECT_FALSE(vnutri);
    EXPECT_EQ(smtp.connects, 1);
    // The inner mail went into the queue and out with the outer dispatch.
    EXPECT_EQ(Subjects(), (std::vector<std::string>{"OUTER", "OUTER", "INNER", "INNER"}));
    EXPECT_TRUE(Logged("Zaradenie mailu INNER po neúspešnom odoslaní do fronty"));
    EXPECT_EQ(Obsadene(), 0);
}

TEST_F(MailTest, MailQueuedInsideAFailingDispatchIsRetried) {
    smtp.silent = true;
    smtp.onReceive = [&] { m->OdosliNotifikaciu("INNER"); };
    EXPECT_FALSE(m->OdosliNotifikaciu("OUTER"));
    EXPECT_EQ(P.Fronta[0].Text, "INNER");
    EXPECT_EQ(P.Fronta[1].Text, "OUTER");
    EXPECT_TRUE(m->Timer6().Enabled());
    smtp.silent = false;
    timers.Advance(60000);
    EXPECT_EQ(Subjects(), (std::vector<std::string>{"INNER", "OUTER"}));
}

// A broken connection: who gets the mail, and how often.

// Mails the server took per address, in every connection of the test.
std::map<std::string, int> ProAdresu(const fake::FakeSmtpPeer& smtp) {
    std::map<std::string, int> n;
    for (const auto& t : smtp.mails)
        for (const auto& r : t.rcpt) ++n[r];
    return n;
}

TEST_F(MailTest, LineDroppedAfterTheFirstAddressLeavesTheMailQueuedForTheOthersOnly) {
    // The dispatch that meets the dropping server: 1 the call's own, 2 the
    // first retry (the call's dispatch found no server).
    for (int kde : {1, 2}) {
        SCOPED_TRACE(kde);
        Znova();
        P.Config.email2 = "b@example.com";
        P.Config.email3 = "c@example.com";
        smtp.refuse = (kde == 2);
        if (kde == 1) smtp.dropAfterMails = 1;
        EXPECT_FALSE(m->OdosliNotifikaciu("S"));
        if (kde == 2) {
            smtp.refuse = false;
            smtp.dropAfterMails = 1;
            timers.Advance(60000);
            EXPECT_EQ(vysledky, std::vector<bool>{false});
        }
        EXPECT_EQ(ProAdresu(smtp), (std::map<std::string, int>{{"a@example.com", 1}}));
        EXPECT_TRUE(Logged("Chyba pri odoslani mailu na adresu b@example.com s textom S"));
        EXPECT_EQ(P.Fronta[0].Text, "S");
        EXPECT_EQ(P.Fronta[0].Pokusy, kde);
        EXPECT_TRUE(m->Timer6().Enabled());

        // The next retry reaches a server that keeps the line.
        smtp.dropAfterMails = 0;
        log.clear();
        timers.Advance(60000);
        EXPECT_EQ(ProAdresu(smtp),
                  (std::map<std::string, int>{{"a@example.com", 1}, {"b@example.com", 1}, {"c@example.com", 1}}));
        EXPECT_FALSE(Logged("Odosielanie mailu na adresu a@example.com s textom S"));
        EXPECT_EQ(vysledky.back(), true);
        EXPECT_EQ(Obsadene(), 0);
        EXPECT_FALSE(m->Timer6().Enabled());
    }
}

// A refusal for the time being (4xx: a greylisting or busy server) is no
// verdict on the address: the mail waits in the queue for the keys that did
// not get it and goes to them with the next try, once; the others are not
// mailed again.
TEST_F(MailTest, AMailRefusedForNowGoesWithTheNextTryToTheAddressesThatDidNotGetIt) {
    struct Pripad {
        const char* meno;
        std::function<void(fake::FakeSmtpPeer&)> odmietni;
        std::map<std::string, int> prvyRaz;  // who has the mail after the call's dispatch
    } pripady[] = {
        {"RCPT greylisted", [](fake::FakeSmtpPeer& s) { s.greylistRcpt["b@example.com"] = 1; },
         {{"a@example.com", 1}, {"c@example.com", 1}}},
        {"MAIL busy", [](fake::FakeSmtpPeer& s) { s.answer["MAIL"] = "451 4.3.0 busy\r\n"; }, {}},
        {"end of data", [](fake::FakeSmtpPeer& s) { s.answer["."] = "452 4.3.1 no room\r\n"; }, {}},
    };
    for (const Pripad& c : pripady) {
        SCOPED_TRACE(c.meno);
        Znova();
        P.Config.email2 = "b@example.com";
        P.Config.email3 = "c@example.com";
        c.odmietni(smtp);
        EXPECT_FALSE(m->OdosliNotifikaciu("S"));
        EXPECT_EQ(ProAdresu(smtp), c.prvyRaz);
        EXPECT_TRUE(Logged("Chyba pri odoslani mailu na adresu b@example.com s textom S"));
        EXPECT_TRUE(Logged("Zaradenie mailu S po neúspešnom odoslaní do fronty"));
        EXPECT_EQ(P.Fronta[0].Text, "S");
        EXPECT_EQ(P.Fronta[0].Pokusy, 1);
        EXPECT_EQ(Obsadene(), 1) << "the dispatch's pass over the queue left it for the next try";
        EXPECT_TRUE(m->Timer6().Enabled());

        smtp.answer.clear();
        timers.Advance(60000);
        EXPECT_EQ(ProAdresu(smtp),
                  (std::map<std::string, int>{{"a@example.com", 1}, {"b@example.com", 1}, {"c@example.com", 1}}));
        EXPECT_EQ(vysledky, std::vector<bool>{true});
        EXPECT_EQ(Obsadene(), 0);
        EXPECT_FALSE(m->Timer6().Enabled());
    }
}

// A refusal for now that lasts counts as a failed try each time, and the
// mail leaves the queue at maxtries.
TEST_F(MailTest, AMailRefusedForNowAtEveryTryIsDroppedAtMaxtries) {
    P.Config.email2 = "b@example.com";
    P.Config.maxtries = 3;
    smtp.greylistRcpt["b@example.com"] = 100;
    EXPECT_FALSE(m->OdosliNotifikaciu("S"));
    timers.Advance(60000);
    EXPECT_TRUE(Logged("Notifikácia: 2. neúspešný pokus pre správu - S"));
    EXPECT_EQ(Obsadene(), 1);
    timers.Advance(60000);
    EXPECT_TRUE(Logged("Notifikácia: 3. neúspešný pokus pre správu - S"));
    EXPECT_TRUE(Logged("Vymazanie správy z fronty: S"));
    EXPECT_EQ(Obsadene(), 0);
    EXPECT_FALSE(m->Timer6().Enabled());
    EXPECT_EQ(ProAdresu(smtp), (std::map<std::string, int>{{"a@example.com", 1}}));
    EXPECT_EQ(vysledky, (std::vector<bool>{false, false}));
}

// A server that answers 421 (closing) has taken the mail for nobody: it
// waits for a retry for every address, as after a dropped line.
TEST_F(MailTest, ServiceClosingMidMailKeepsItQueuedForEveryAddress) {
    P.Config.email2 = "b@example.com";
    smtp.answer["MAIL"] = "421 4.3.2 shutting down\r\n";
    EXPECT_FALSE(m->OdosliNotifikaciu("S"));
    EXPECT_TRUE(smtp.mails.empty());
    EXPECT_EQ(P.Fronta[0].Text, "S");
    EXPECT_TRUE(m->Timer6().Enabled());
    smtp.answer.clear();
    timers.Advance(60000);
    EXPECT_EQ(ProAdresu(smtp), (std::map<std::string, int>{{"a@example.com", 1}, {"b@example.com", 1}}));
    EXPECT_EQ(vysledky, std::vector<bool>{true});
    EXPECT_EQ(Obsadene(), 0);
}

TEST_F(MailTest, TheReplyToTheMailDataIsAwaitedTenMinutes) {
    struct Pripad {
        uint32_t oneskorenie;  // of the server's reply to the end of the data
        bool prijaty;
    } pripady[] = {{0, true}, {45000, true}, {599000, true}, {601000, false}};
    for (const Pripad& p : pripady) {
        SCOPED_TRACE(p.oneskorenie);
        Znova();
        smtp.dataReplyMs = p.oneskorenie;
        EXPECT_EQ(m->OdosliNotifikaciu("S"), p.prijaty);
        EXPECT_EQ(Obsadene(), p.prijaty ? 0 : 1);
        EXPECT_EQ(Logged("SMTP server neodpovedal včas"), !p.prijaty);
        EXPECT_EQ(Logged("Zaradenie mailu S po neúspešnom odoslaní do fronty"), !p.prijaty);
    }
}

// A mail queued while a retry runs (a call handled inside its waits) has
// not been tried by that retry.
TEST_F(MailTest, MailQueuedDuringAFailingRetryIsNotCountedAndGoesOutLater) {
    enum class Porucha { Mlci, Kvapka, PadneSpojenie };
    for (int maxtries : {1, 2}) {
        for (Porucha porucha : {Porucha::Mlci, Porucha::Kvapka, Porucha::PadneSpojenie}) {
            SCOPED_TRACE(std::to_string(maxtries) + " / " + std::to_string(static_cast<int>(porucha)));
            Znova();
            P.Config.maxtries = maxtries;
            smtp.refuse = true;
            m->OdosliNotifikaciu("Q");
            smtp.refuse = false;
            if (porucha == Porucha::Mlci) smtp.silent = true;
            if (porucha == Porucha::Kvapka) smtp.trickleOn = "220";
            if (porucha == Porucha::PadneSpojenie) smtp.dropAtData = 1;
            smtp.onReceive = [&] { m->OdosliNotifikaciu("INNER"); };
            timers.Advance(60000);  // the retry fails
            EXPECT_EQ(vysledky, std::vector<bool>{false});
            EXPECT_TRUE(Logged("Zaradenie mailu INNER po neúspešnom odoslaní do fronty"));
            EXPECT_FALSE(Logged("Notifikácia: 2. neúspešný pokus pre správu - INNER"));
            EXPECT_FALSE(Logged("Vymazanie správy z fronty: INNER"));
            EXPECT_TRUE(Logged("Notifikácia: 2. neúspešný pokus pre správu - Q"));
            EXPECT_TRUE(Logged("Vymazanie správy z fronty: Q"));
            EXPECT_EQ(Obsadene(), 1);

            smtp.silent = false;
            smtp.trickleOn = "";
            smtp.dropAtData = 0;
            timers.Advance(60000);  // the next retry reaches the server
            EXPECT_EQ(Subjects(), std::vector<std::string>{"INNER"});
            EXPECT_EQ(Obsadene(), 0);
        }
    }
}

// Replies without end: bounded as a whole in time and size.

TEST_F(MailTest, AReplyThatNeverEndsIsAFailureAfterItsLimits) {
    struct Pripad {
        const char* kde;          // the reply the server drags out
        uint32_t krokMs;          // one more continuation line this often
        size_t riadok;            // bytes of each line
        const char* dovod;        // the log line that tells why
        const char* neuspech;     // the failure line after it
    } pripady[] = {
        {"220", 1000, 20, "SMTP server neodpovedal včas", "Connect na SMTP server sa nepodaril"},
        {"220", 10, 400, "Odpoveď SMTP servera je príliš dlhá", "Connect na SMTP server sa nepodaril"},
        {"RCPT", 2000, 20, "SMTP server neodpovedal včas", "Chyba pri odoslani mailu na adresu a@example.com s textom S"},
        {".", 1000, 20, "SMTP server neodpovedal včas", "Chyba pri odoslani mailu na adresu a@example.com s textom S"},
        {"RCPT", 1, 400, "Odpoveď SMTP servera je príliš dlhá",
         "Chyba pri odoslani mailu na adresu a@example.com s textom S"},
    };
    for (const Pripad& p : pripady) {
        SCOPED_TRACE(std::string(p.kde) + " " + p.dovod);
        Znova();
        smtp.trickleOn = p.kde;
        smtp.trickleMs = p.krokMs;
        smtp.trickleLine = std::string(p.kde[0] == '2' ? "220-" : "250-") + std::string(p.riadok - 4, 'x');
        const uint32_t start = clock.tick;
        EXPECT_FALSE(m->OdosliNotifikaciu("S"));
        // The reply's whole time: 30 s for a command, 10 minutes for the data.
        EXPECT_LE(clock.tick - start, std::string(p.kde) == "." ? 600000u : 30000u);
        EXPECT_LE(smtp.trickled, 16384u + p.riadok);
        auto d = std::find(log.begin(), log.end(), p.dovod);
        ASSERT_NE(d, log.end());
        ASSERT_NE(d + 1, log.end());
        EXPECT_EQ(*(d + 1), p.neuspech);
        EXPECT_EQ(log.back(), "Zaradenie mailu S po neúspešnom odoslaní do fronty");
        EXPECT_EQ(P.Fronta[0].Text, "S");
        EXPECT_TRUE(m->Timer6().Enabled());
        EXPECT_FALSE(smtp.open);
    }
}

// Dial-up around the dispatch.

TEST_F(MailTest, BatchOfThreeCallsDialsOnceAndHangsUpAfterTheThird) {
    P.Config.DUPconnection = true;
    P.SpojenieVytocene = false;  // the reader starts a batch
    for (int i = 1; i <= 3; ++i) {
        P.PoslednyVDavke = (i == 3);
        EXPECT_TRUE(m->OdosliNotifikaciu("C" + std::to_string(i)));
    }
    EXPECT_EQ(dial.calls, (std::vector<std::string>{"Dial Linka", "HangUp"}));
    EXPECT_EQ(smtp.mails.size(), 3u);
    EXPECT_TRUE(Logged("Vytáčam spojenie Linka"));
    EXPECT_TRUE(Logged("Vytočenie Linka úspešné"));
    EXPECT_TRUE(Logged("Zistene aktivne spojenie Linka"));
    EXPECT_EQ(log.back(), "Hang-Up Linka po odoslaní");
    EXPECT_TRUE(P.SpojenieVytocene);
}

TEST_F(MailTest, DialThatNeverCompletesTimesOutAfterSixtySeconds) {
    P.Config.DUPconnection = true;
    dial.koniec = FakeDialUp::Koniec::Nikdy;
    uint32_t start = clock.tick;
    EXPECT_FALSE(m->OdosliNotifikaciu("S"));
    EXPECT_GE(clock.tick - start, 60000u);
    EXPECT_LT(clock.tick - start, 60100u);
    EXPECT_EQ(smtp.connects, 0);
    EXPECT_EQ(dial.calls, (std::vector<std::string>{"Dial Linka", "HangUp"}));
    EXPECT_EQ(log, (std::vector<std::string>{"Vytáčam spojenie Linka", "Timeout pri vytáčaní spojenia",
                                             "Vytočenie Linka sa nepodarilo, koniec odosielania",
                                             "Zaradenie mailu S po neúspešnom odoslaní do fronty"}));
    EXPECT_FALSE(P.SpojenieVytocene);
    EXPECT_FALSE(m->Timer4().Enabled());
}

TEST_F(MailTest, DialErrorEventEndsTheDispatch) {
    P.Config.DUPconnection = true;
    dial.koniec = FakeDialUp::Koniec::Chyba;
    EXPECT_FALSE(m->OdosliNotifikaciu("S"));
    EXPECT_TRUE(Logged("Chyba pri vytáčaní spojenia: 678 The remote computer did not respond."));
    EXPECT_TRUE(Logged("Vytočenie Linka sa nepodarilo, koniec odosielania"));
    EXPECT_EQ(smtp.connects, 0);
    EXPECT_EQ(P.Fronta[0].Text, "S");
}

TEST_F(MailTest, DialUpLibraryMissing) {
    P.Config.DUPconnection = true;
    dial.getConnectionsRaises = true;
    dial.dialRaises = true;
    EXPECT_FALSE(m->OdosliNotifikaciu("S"));
    EXPECT_EQ(log, (std::vector<std::string>{"Chyba pri zistovaní aktivnych DUP", "Vytáčam spojenie Linka",
                                             "Exception pri vytáčaní Linka",
                                             "Zaradenie mailu S po neúspešnom odoslaní do fronty"}));
    EXPECT_FALSE(m->Timer4().Enabled());
    EXPECT_FALSE(P.SpojenieVytocene);
}

TEST_F(MailTest, ConnectionAlreadyUpIsUsedAndNotHungUp) {
    P.Config.DUPconnection = true;
    dial.aktivne = {"Ina", "Linka"};
    EXPECT_TRUE(m->OdosliNotifikaciu("S"));
    EXPECT_TRUE(dial.calls.empty());
    EXPECT_EQ(log.front(), "Zistene aktivne spojenie Linka");
}

TEST_F(MailTest, SmtpFailureAfterDialHangsUp) {
    P.Config.DUPconnection = true;
    smtp.refuse = true;
    EXPECT_FALSE(m->OdosliNotifikaciu("S"));
    EXPECT_EQ(dial.calls, (std::vector<std::string>{"Dial Linka", "HangUp"}));
    EXPECT_FALSE(P.SpojenieVytocene);
}

}  // namespace
}  // namespace vx
