#include <gtest/gtest.h>

#include "fixture.h"
#include "monitor/core/dial_actions.h"

namespace vx::test {
namespace {

using Replies = std::vector<std::pair<uint32_t, std::string>>;

struct DialRig : LinkRig {
    FakeDialView dv;
    TDialContext ctx{P,  *link, port, pump, dv, [](int n) { return "L" + std::to_string(n) + " "; },
                     [this](const std::string& l) { log.push_back(l); }, "0905123456",
                     "0905123456  Ján Novák"};
    uint32_t replyDelay = 50;
    std::string reply = "\r\nOK\r\n";
    DialRig() : LinkRig("TODOS") {
        P.COMAktivny = true;
        link->Timer100().SetEnabled(false);
        port.responder = [this](const std::string& c) {
            if (c.rfind("AT%", 0) == 0) return Replies{{replyDelay, reply}};
            return Replies{};
        };
    }
};

TEST(Dialling, WindowOpensWithItsTexts) {
    DialRig r;
    FormVytocenieCreate(r.ctx);
    EXPECT_EQ(r.dv.caption, "L154 ");
    EXPECT_EQ(r.dv.oznam.back(), "L155 0905123456  Ján Novák");
    EXPECT_EQ(r.dv.vytocitCaption, "L156 ");
    EXPECT_EQ(r.dv.zrusitCaption, "L157 ");
    EXPECT_FALSE(r.dv.zrusit);
}

TEST(Dialling, SuccessfulDialSendsTheNumberAndResumesPolling) {
    DialRig r;
    const uint32_t start = r.clock.tick;
    btVytocitClick(r.ctx);
    EXPECT_EQ(r.port.written, std::vector<std::string>{"AT%D0905123456\r\n"});
    EXPECT_EQ(r.dv.oznam, (std::vector<std::string>{"L158 0905123456", "L160 "}));
    EXPECT_EQ(r.log, (std::vector<std::string>{"Vytočenie čísla 0905123456",
                                               "Vytočenie čísla 0905123456 úspešné"}));
    EXPECT_FALSE(r.dv.vytocit);
    EXPECT_TRUE(r.dv.zrusit);
    EXPECT_FALSE(r.port.active);
    EXPECT_EQ(r.clock.tick - start, 800u);
    EXPECT_TRUE(r.P.COMAktivny);
    // Polling resumes a full interval later.
    r.Run(1999);
    EXPECT_EQ(r.port.written.size(), 1u);
    r.Run(1);
    EXPECT_EQ(r.port.written.back(), "ATE0&K3&U0\r\n");
}

TEST(Dialling, FailuresAreReported) {
    struct Case {
        const char* what;
        std::string reply;
        uint32_t delay;
        bool openFails;
        std::vector<std::string> oznam, log;
    } cases[] = {
        {"ERROR", "\r\nERROR\r\n", 50, false, {"L158 0905123456", "L161 "},
         {"Vytočenie čísla 0905123456", "Vytočenie čísla 0905123456 neúspešné"}},
        {"late OK", "\r\nOK\r\n", 320, false, {"L158 0905123456", "L161 "},
         {"Vytočenie čísla 0905123456", "Vytočenie čísla 0905123456 neúspešné"}},
        {"port busy", "\r\nOK\r\n", 50, true, {"L158 0905123456", "L159 ", "L161 "},
         {"CHYBA: Pri vytáčaní vynikla chyba pri otváraní portu ",
          "Chyba pri odosielaní príkazu na COM - AT%D0905123456", "Vytočenie čísla 0905123456",
          "Vytočenie čísla 0905123456 neúspešné"}},
    };
    for (const auto& c : cases) {
        DialRig r;
        r.reply = c.reply;
        r.replyDelay = c.delay;
        r.port.openFails = c.openFails;
        btVytocitClick(r.ctx);
        EXPECT_EQ(r.dv.oznam, c.oznam) << c.what;
        EXPECT_EQ(r.log, c.log) << c.what;
        EXPECT_TRUE(r.P.COMAktivny) << c.what;
        EXPECT_TRUE(r.link->Timer100().Enabled()) << c.what;
    }
}

TEST(Dialling, CancelHangsUpAndClosesTheWindowTwoSecondsLater) {
    DialRig r;
    btVytocitClick(r.ctx);
    r.log.clear();
    r.dv.oznam.clear();
    const uint32_t start = r.clock.tick;
    btZrusitClick(r.ctx);
    EXPECT_EQ(r.Count("AT%H\r\n"), 1);
    EXPECT_EQ(r.dv.oznam, (std::vector<std::string>{"L163 ", "L164 "}));
    EXPECT_EQ(r.log, (std::vector<std::string>{"Zrušenie volania", "Zrušenie volania úspešné"}));
    EXPECT_FALSE(r.dv.zrusitEnabled);
    EXPECT_TRUE(r.dv.closed);
    EXPECT_GE(r.clock.tick - start, 2800u);

    DialRig f;
    f.reply = "\r\nERROR\r\n";
    btZrusitClick(f.ctx);
    EXPECT_EQ(f.dv.oznam.back(), "L159 ");
    EXPECT_EQ(f.log.back(), "Zrušenie volania neúspešné");
}

TEST(Dialling, ACycleAwaitingAReplyDoesNotTakeTheDialReply) {
    DialRig r;
    r.reply = "\r\nERROR\r\n";
    r.link->ArmTimer100();
    r.Run(2010);  // the cycle's first command is out, the adapter keeps silent
    ASSERT_EQ(r.port.written, std::vector<std::string>{"ATE0&K3&U0\r\n"});
    btVytocitClick(r.ctx);
    r.Run(1500);
    EXPECT_EQ(r.log, (std::vector<std::string>{"Vytočenie čísla 0905123456",
                                               "Vytočenie čísla 0905123456 neúspešné"}));
    EXPECT_TRUE(r.view.comOn);
}

}  // namespace
}  // namespace vx::test
