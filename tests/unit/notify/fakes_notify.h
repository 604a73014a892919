// Scripted peers for the notification tests: an SMTP server behind the
// socket interface and a dial-up component.
#pragma once
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

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

class FakeSmtpPeer : public ITcpSocket {
public:
    // Script.
    bool refuse = false;                 // connect refused
    bool silent = false;                 // accepts, never says a word
    int greetingCode = 220;
    std::set<std::string> rejectRcpt;    // answered 550
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

    // Record.
    int connects = 0;
    std::string host;
    uint16_t port = 0;
    uint32_t connectTimeout = 0;
    std::vector<uint32_t> readTimeouts;
    std::vector<std::string> commands;
    std::vector<SmtpTransakcia> mails;
    bool open = false;

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
        if (trickleOn == "220") trickling_ = true;
        else if (!silent) out_ = greetingCode == 220 ? "220-fake.example ESMTP\r\n220 ready\r\n"
                                                     : std::to_string(greetingCode) + " go away\r\n";
        return true;
    }
    bool Send(const std::string& data) override {
        if (!open) return false;
        in_ += data;
        for (;;) {
            if (inData_) {
                size_t end = in_.find("\r\n.\r\n");
                if (end == std::string::npos) break;
                cur_.data = in_.substr(0, end + 2);
                in_.erase(0, end + 5);
                inData_ = false;
                ++dataCount_;
                if (dropAtData && dataCount_ == dropAtData) {
                    open = false;
                    return true;
                }
                if (trickleOn == ".") {
                    trickling_ = true;
                    continue;
                }
                cur_.spojenie = connects;
                mails.push_back(cur_);
                cur_ = SmtpTransakcia{};
                out_ += "250 queued\r\n";
                delay_ = dataReplyMs;
                if (dropAfterMails && ++mailsHere_ == dropAfterMails) closeAfterReply_ = true;
                continue;
            }
            size_t lf = in_.find("\r\n");
            if (lf == std::string::npos) break;
            std::string line = in_.substr(0, lf);
            in_.erase(0, lf + 2);
            commands.push_back(line);
            Answer(line);
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
            if (closeAfterReply_) open = false;
            return Vysledok::Data;
        }
        if (!open) return Vysledok::Zatvorene;
        Wait(timeoutMs);
        return Vysledok::Timeout;
    }
    void Close() override {
        open = false;
        trickling_ = false;
    }
    size_t trickled = 0;  // bytes of continuation lines sent
    std::string LocalName() override { return "pc1"; }

private:
    void Wait(uint32_t ms) {
        if (cas && ms) cas->Advance(ms);
    }
    void Answer(const std::string& line) {
        std::string verb = line.substr(0, 4);
        if (!trickleOn.empty() && verb == trickleOn) {
            trickling_ = true;
            return;
        }
        if (verb == "HELO") out_ += "250 fake.example\r\n";
        else if (line.rfind("MAIL FROM:", 0) == 0) {
            cur_ = SmtpTransakcia{};
            cur_.from = line.substr(10);
            out_ += "250 ok\r\n";
        } else if (line.rfind("RCPT TO:", 0) == 0) {
            std::string a = line.substr(8);
            if (a.size() > 2 && a.front() == '<' && a.back() == '>') a = a.substr(1, a.size() - 2);
            if (rejectRcpt.count(a)) out_ += "550 no such user\r\n";
            else {
                cur_.rcpt.push_back(a);
                out_ += "250 ok\r\n";
            }
        } else if (verb == "DATA") {
            inData_ = true;
            out_ += "354 go ahead\r\n";
        } else if (verb == "RSET") {
            cur_ = SmtpTransakcia{};
            out_ += "250 reset\r\n";
        } else if (verb == "QUIT") {
            out_ += "221 bye\r\n";
        } else out_ += "500 what\r\n";
    }
    std::string in_, out_;
    bool inData_ = false;
    int dataCount_ = 0;
    bool trickling_ = false;
    uint64_t trickledMs_ = 0;
    bool closeAfterReply_ = false;
    uint32_t delay_ = 0;
    int mailsHere_ = 0;
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
