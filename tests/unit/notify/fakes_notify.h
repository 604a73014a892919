// Scripted peers for the notification tests: an SMTP server behind the
// socket interface and a dial-up component.
#pragma once
#include <deque>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "base/testing/fakes.h"
#include "monitor/core/dialup_api.h"
#include "monitor/core/smtp_socket.h"

namespace vx::fake {

struct SmtpTransakcia {
    int spojenie = 0;  // which connection carried it (1, 2, ...)
    std::string from;
    std::vector<std::string> rcpt;
    std::string data;
};

// An SMTP server behind the socket interface that holds the client to the
// rules a strict real server enforces (RFC 5321, and RFC 5322 for the
// header): CR LF line ends only, command syntax to the letter, commands in
// their order, no command before the reply to the last one (pipelining is
// not offered), 7-bit commands and header, line limits, QUIT before the
// client leaves a server that waits for its next command. Every breach is
// recorded in `violations`; a test fails when any is left at the end.
class FakeSmtpPeer : public ITcpSocket {
public:
    // Script.
    bool refuse = false;                 // connect refused
    bool silent = false;                 // accepts, never says a word
    int greetingCode = 220;              // 421 closes the line after it; 554 takes only QUIT then
    int ehloCode = 250;                  // 250: a multi-line reply naming extensions; else EHLO is refused
    std::set<std::string> rejectRcpt;    // answered 550
    std::map<std::string, int> greylistRcpt;  // answered 450 this many times, then taken
    // Replies instead of the usual ones, by command ("EHLO", "HELO", "MAIL",
    // "RCPT", "DATA", "." the end of the data, "RSET", "QUIT"): the reply's
    // lines, each ending in CR LF, or "close" to drop the line unanswered.
    // A 421 reply closes the line after it.
    std::map<std::string, std::string> answer;
    int dropAtData = 0;                  // the Nth message's data is met by a closed connection
    int dropAfterMails = 0;              // the line drops after the Nth mail of a connection is taken
    uint32_t dataReplyMs = 0;            // the reply to the end of the data comes this late
    // Instead of the reply to this ("220" the greeting, "RCPT", ".", the end
    // of the data) the server sends continuation lines, one every
    // trickleMs, and never the last one.
    std::string trickleOn;
    std::string trickleLine = "250-still busy";
    uint32_t trickleMs = 1000;
    std::function<void()> onReceive;     // what runs while the client waits
    FakeTimerFactory* cas = nullptr;     // the time line waits move on (timers fire meanwhile)
    std::string localName = "pc1";       // what the socket says this computer is called
    std::string localAddress = "192.0.2.7";

    // Record.
    int connects = 0;
    std::string host;
    uint16_t port = 0;
    uint32_t connectTimeout = 0;
    std::vector<uint32_t> readTimeouts;
    std::vector<std::string> commands;
    std::vector<SmtpTransakcia> mails;
    std::vector<std::string> violations;
    bool open = false;

    ~FakeSmtpPeer() override { ExpectNoViolations(); }
    // Fails the running test for every breach so far and forgets them.
    void ExpectNoViolations() {
        for (const std::string& v : violations) ADD_FAILURE() << "SMTP client broke a rule: " << v;
        violations.clear();
    }

    bool Connect(const std::string& h, uint16_t p, uint32_t timeoutMs) override {
        host = h;
        port = p;
        connectTimeout = timeoutMs;
        if (refuse) return false;
        ++connects;
        open = true;
        in_.clear();
        out_.clear();
        inData_ = false;
        cur_ = SmtpTransakcia{};
        trickling_ = false;
        trickledMs_ = 0;
        closeAfterReply_ = false;
        delay_ = 0;
        mailsHere_ = 0;
        greeted_ = inMail_ = quit_ = refusedGreeting_ = false;
        owes_ = true;  // the greeting
        if (trickleOn == "220") trickling_ = true;
        else if (!silent) {
            out_ = greetingCode == 220 ? "220-fake.example ESMTP\r\n220 ready\r\n"
                                       : std::to_string(greetingCode) + " go away\r\n";
            if (greetingCode == 421) closeAfterReply_ = true;
            refusedGreeting_ = greetingCode == 554;
        }
        return true;
    }
    bool Send(const std::string& data) override {
        if (!open) return false;
        if (quit_) Breach("sent after QUIT: " + data);
        in_ += data;
        for (;;) {
            size_t lf = in_.find('\n');
            if (lf == std::string::npos) break;
            std::string line = in_.substr(0, lf + 1);
            in_.erase(0, lf + 1);
            if (line.size() < 2 || line[line.size() - 2] != '\r') Breach("line without CR LF: " + line);
            if (line.find('\r') < line.size() - 2) Breach("bare CR inside a line: " + line);
            if (owes_) Breach("sent before the reply to its last command was read: " + line);
            std::string text = line.substr(0, line.size() - (line.size() >= 2 && line[line.size() - 2] == '\r' ? 2 : 1));
            if (inData_) {
                DataLine(line, text);
                if (!open) return true;
                continue;
            }
            if (line.size() > 512) Breach("command line longer than 512 octets");
            for (unsigned char c : text)
                if (c < 0x20 || c > 0x7E) {
                    Breach("a command that is not 7-bit printable: " + text);
                    break;
                }
            commands.push_back(text);
            Answer(text);
        }
        return true;
    }
    Vysledok Receive(std::string& out, uint32_t timeoutMs) override {
        readTimeouts.push_back(timeoutMs);
        if (onReceive) {
            auto f = onReceive;
            onReceive = nullptr;
            f();
        }
        if (trickling_ && open) {
            // Even this server gives up at last, so that a client without
            // limits fails a test instead of hanging it.
            if (trickledMs_ >= 3600000 || trickled >= (1u << 20)) {
                Close();
                return Vysledok::Zatvorene;
            }
            if (timeoutMs < trickleMs) {
                Wait(timeoutMs);
                return Vysledok::Timeout;
            }
            Wait(trickleMs);
            trickledMs_ += trickleMs;
            out += trickleLine + "\r\n";
            trickled += trickleLine.size() + 2;
            return Vysledok::Data;
        }
        if (!out_.empty()) {
            if (delay_ > timeoutMs) {
                Wait(timeoutMs);
                delay_ -= timeoutMs;
                return Vysledok::Timeout;
            }
            Wait(delay_);
            delay_ = 0;
            out += out_;
            out_.clear();
            owes_ = false;
            if (closeAfterReply_) open = false;
            return Vysledok::Data;
        }
        if (!open) return Vysledok::Zatvorene;
        Wait(timeoutMs);
        return Vysledok::Timeout;
    }
    void Close() override {
        // Leaving a server that waits for the next command: QUIT first. A
        // client that gave up waiting for a reply may just hang up.
        if (open && !owes_ && !quit_) Breach("closed the line without QUIT");
        open = false;
        trickling_ = false;
    }
    size_t trickled = 0;  // bytes of continuation lines sent
    std::string LocalName() override { return localName; }
    std::string LocalAddress() override { return localAddress; }

private:
    void Breach(const std::string& what) { violations.push_back(what); }
    void Wait(uint32_t ms) {
        if (cas && ms) cas->Advance(ms);
    }
    // The reply to a command: the script's, else the given one.
    void Reply(const std::string& verb, const std::string& usual) {
        auto it = answer.find(verb);
        std::string r = it == answer.end() ? usual : it->second;
        if (r == "close") {
            open = false;
            return;
        }
        owes_ = true;
        out_ += r;
        if (r.rfind("421", 0) == 0) closeAfterReply_ = true;
    }
    static bool Positive(const std::string& r) { return !r.empty() && r[0] == '2'; }
    std::string Planned(const std::string& verb, const std::string& usual) const {
        auto it = answer.find(verb);
        return it == answer.end() ? usual : it->second;
    }
    static bool Domain(const std::string& d) {
        static const std::regex ldh("[A-Za-z0-9]([A-Za-z0-9-]*[A-Za-z0-9])?(\\.[A-Za-z0-9]([A-Za-z0-9-]*[A-Za-z0-9])?)*");
        return d.size() <= 253 && std::regex_match(d, ldh);
    }
    static bool AddressLiteral(const std::string& d) {
        static const std::regex lit("\\[[0-9]{1,3}(\\.[0-9]{1,3}){3}\\]");
        return std::regex_match(d, lit);
    }
    void DataLine(const std::string& line, const std::string& text) {
        if (line.size() > 1000) Breach("data line longer than 1000 octets");
        if (text == ".") {
            inData_ = false;
            ++dataCount_;
            if (dropAtData && dataCount_ == dropAtData) {
                open = false;
                return;
            }
            if (trickleOn == ".") {
                trickling_ = true;
                owes_ = true;
                return;
            }
            std::string r = Planned(".", "250 queued\r\n");
            if (Positive(r)) {
                cur_.spojenie = connects;
                mails.push_back(cur_);
                if (dropAfterMails && ++mailsHere_ == dropAfterMails) closeAfterReply_ = true;
            }
            cur_ = SmtpTransakcia{};
            inMail_ = false;
            Reply(".", "250 queued\r\n");
            delay_ = dataReplyMs;
            return;
        }
        if (!inBody_) {
            if (text.empty()) inBody_ = true;
            for (unsigned char c : text)
                if ((c < 0x20 && c != '\t') || c > 0x7E) {
                    Breach("a header line that is not 7-bit printable: " + text);
                    break;
                }
            if (text.size() > 998) Breach("header line longer than 998 octets");
        }
        cur_.data += text + "\r\n";
    }
    void Answer(const std::string& line) {
        static const std::regex hello("(EHLO|HELO) ([^ ]+)");
        static const std::regex mail("MAIL FROM:<([^<> ]*)>");
        static const std::regex rcpt("RCPT TO:<([^<> ]+)>");
        std::string verb = line.substr(0, 4);
        std::smatch m;
        if (refusedGreeting_ && verb != "QUIT") {
            Breach("a command other than QUIT after a 554 greeting: " + line);
            Reply(verb, "503 only QUIT now\r\n");
            return;
        }
        if (!trickleOn.empty() && verb == trickleOn) {
            trickling_ = true;
            owes_ = true;
            return;
        }
        if (verb == "EHLO" || verb == "HELO") {
            if (!std::regex_match(line, m, hello)) {
                Breach("bad " + verb + ": " + line);
                Reply(verb, "501 syntax\r\n");
                return;
            }
            std::string name = m[2];
            if (!Domain(name) && !(verb == "EHLO" && AddressLiteral(name)))
                Breach(verb + " names no domain: " + name);
            std::string usual = verb == "HELO" ? "250 fake.example\r\n"
                                : ehloCode == 250 ? "250-fake.example\r\n250-8BITMIME\r\n250 SIZE 1000000\r\n"
                                                  : std::to_string(ehloCode) + " not here\r\n";
            std::string r = Planned(verb, usual);
            if (Positive(r)) greeted_ = true;
            inMail_ = false;
            Reply(verb, usual);
        } else if (verb == "MAIL") {
            if (!std::regex_match(line, m, mail)) {
                Breach("bad MAIL: " + line);
                Reply(verb, "501 syntax\r\n");
                return;
            }
            if (!greeted_ || inMail_) {
                Breach(std::string(greeted_ ? "MAIL inside a transaction" : "MAIL before EHLO/HELO"));
                Reply(verb, "503 bad sequence\r\n");
                return;
            }
            std::string r = Planned(verb, "250 ok\r\n");
            if (Positive(r)) {
                cur_ = SmtpTransakcia{};
                cur_.from = "<" + std::string(m[1]) + ">";
                inMail_ = true;
            }
            Reply(verb, "250 ok\r\n");
        } else if (verb == "RCPT") {
            if (!std::regex_match(line, m, rcpt)) {
                Breach("bad RCPT: " + line);
                Reply(verb, "501 syntax\r\n");
                return;
            }
            if (!inMail_) {
                Breach("RCPT without MAIL");
                Reply(verb, "503 bad sequence\r\n");
                return;
            }
            std::string a = m[1];
            std::string usual = rejectRcpt.count(a) ? "550 no such user\r\n" : "250 ok\r\n";
            if (greylistRcpt[a] > 0) {
                --greylistRcpt[a];
                usual = "450 4.7.1 greylisted, try again later\r\n";
            }
            if (Positive(Planned(verb, usual))) cur_.rcpt.push_back(a);
            Reply(verb, usual);
        } else if (line == "DATA") {
            if (!inMail_ || cur_.rcpt.empty()) {
                Breach("DATA without MAIL or an accepted recipient");
                Reply(verb, "503 no valid recipients\r\n");
                return;
            }
            std::string r = Planned(verb, "354 go ahead\r\n");
            if (r.rfind("354", 0) == 0) {
                inData_ = true;
                inBody_ = false;
            }
            Reply(verb, "354 go ahead\r\n");
        } else if (line == "RSET") {
            cur_ = SmtpTransakcia{};
            inMail_ = false;
            Reply(verb, "250 reset\r\n");
        } else if (line == "QUIT") {
            quit_ = true;
            refusedGreeting_ = false;
            Reply(verb, "221 bye\r\n");
        } else {
            Breach("unknown command: " + line);
            Reply(verb, "500 what\r\n");
        }
    }
    std::string in_, out_;
    bool inData_ = false, inBody_ = false;
    int dataCount_ = 0;
    bool trickling_ = false;
    uint64_t trickledMs_ = 0;
    bool closeAfterReply_ = false;
    uint32_t delay_ = 0;
    int mailsHere_ = 0;
    bool greeted_ = false, inMail_ = false, quit_ = false, refusedGreeting_ = false;
    bool owes_ = false;  // a reply of the server is not yet read whole
    SmtpTransakcia cur_;
};

class FakeDialUp : public IDialUp {
public:
    enum class Koniec { Spoji, Chyba, Nikdy };
    Koniec koniec = Koniec::Spoji;
    bool dialRaises = false;
    bool getConnectionsRaises = false;
    std::vector<std::string> aktivne;
    std::vector<std::string> calls;  // "Dial X", "HangUp"
    int dials = 0, hangups = 0;

    int Dial() override {
        calls.push_back("Dial " + Entry);
        if (dialRaises) throw Exception("Error opening rasapi.dll");
        ++dials;
        dialled_ = Entry;
        pending_.push_back({0, 0, "Opening port"});
        if (koniec == Koniec::Spoji) pending_.push_back({0x2000, 0, "Connected"});
        if (koniec == Koniec::Chyba) pending_.push_back({2, 678, "The remote computer did not respond."});
        return 0;
    }
    int GetEntries() override { return 0; }
    int GetConnections() override {
        if (getConnectionsRaises) throw Exception("Error opening rasapi.dll");
        for (const std::string& a : aktivne)
            if (OnActiveConnection) OnActiveConnection(1, TRasConnStav{0x2000, 0, "modem", "Modem"}, "Connected", a, "modem", "Modem");
        return 0;
    }
    int HangUp() override {
        calls.push_back("HangUp");
        ++hangups;
        for (auto it = aktivne.begin(); it != aktivne.end(); ++it)
            if (*it == dialled_) {
                aktivne.erase(it);
                break;
            }
        return 0;
    }
    // The dial events reach the user-interface thread when it processes messages.
    void Deliver() {
        while (!pending_.empty()) {
            auto [s, e, t] = pending_.front();
            pending_.pop_front();
            if (s == 0x2000) aktivne.push_back(dialled_);
            if (OnAsyncEvent) OnAsyncEvent(s, e, t);
        }
    }

private:
    std::string dialled_;
    std::deque<std::tuple<int, int, std::string>> pending_;
};

}  // namespace vx::fake
