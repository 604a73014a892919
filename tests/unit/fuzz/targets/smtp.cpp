// Mail: the message built for any subject and recipient list (sections 1,
// 2), and a whole session against a server whose bytes are the input
// (section 3, cut into pieces, or repeated into a long stream). What must
// hold: the message is lines of at most 998 bytes ended by CR LF, with no
// other CR or LF, dot-stuffed and ended by "."; its subject decodes back to
// the subject given; every command is one 7-bit line; and one reply of the server
// takes only a bounded number of bytes before the client gives up.
#include <algorithm>

#include "base/testing/fakes.h"
#include "fuzz_support.h"
#include "monitor/core/smtp_client.h"

using namespace vx;
using namespace vx::fuzz;

namespace {
constexpr size_t kJednaOdpoved = 1 << 18;  // bytes one reply may take at most

class TServer : public ITcpSocket {
public:
    std::string bytes;
    size_t kus = 1, at = 0, odPrikazu = 0, najviac = 0;
    std::vector<std::string> poslane;
    bool Connect(const std::string&, uint16_t, uint32_t) override { return true; }
    bool Send(const std::string& d) override {
        poslane.push_back(d);
        odPrikazu = 0;
        return true;
    }
    Vysledok Receive(std::string& out, uint32_t) override {
        if (at >= bytes.size()) return Vysledok::Zatvorene;
        const size_t n = std::min(kus, bytes.size() - at);
        out.append(bytes, at, n);
        at += n;
        odPrikazu += n;
        najviac = std::max(najviac, odPrikazu);
        return Vysledok::Data;
    }
    void Close() override {}
    std::string LocalName() override { return "pc"; }
    std::string LocalAddress() override { return "192.0.2.1"; }
};

int Hex(char c) { return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1; }

// The subject header's value unfolded and decoded: plain words, or
// Q-encoded words (blanks between two of them do not count).
std::string Odkoduj(std::string h) {
    for (size_t p; (p = h.find("\r\n")) != std::string::npos;) h.erase(p, 2);
    const std::string open = "=?windows-1250?Q?";
    if (h.compare(0, open.size(), open) != 0) return h;
    std::string out;
    size_t i = 0;
    while (i < h.size()) {
        if (h[i] == ' ') {
            ++i;
            continue;
        }
        if (h.compare(i, open.size(), open) != 0) return "<bad word at " + std::to_string(i) + ">";
        i += open.size();
        const size_t end = h.find("?=", i);
        if (end == std::string::npos) return "<unclosed word>";
        for (size_t j = i; j < end; ++j) {
            if (h[j] == '_') {
                out += ' ';
            } else if (h[j] == '=' && j + 2 < end && Hex(h[j + 1]) >= 0 && Hex(h[j + 2]) >= 0) {
                out += static_cast<char>(Hex(h[j + 1]) * 16 + Hex(h[j + 2]));
                j += 2;
            } else {
                out += h[j];
            }
        }
        i = end + 2;
    }
    return out;
}

// Blanks at the start of the subject are not part of what a reader shows.
std::string BezUvodnychMedzier(const std::string& s) {
    const size_t i = s.find_first_not_of(' ');
    return i == std::string::npos ? std::string() : s.substr(i);
}
}  // namespace

VX_FUZZ_TARGET(smtp) {
    const TVstup in(data, size);
    TSmtpSprava m{in[1], in[2], in.Volba(0) & 1 ? "Thu, 10 Dec 2026 11:00:00 +0100" : ""};

    // The message.
    const std::string d = SmtpMessageData(m);
    VX_CHECK(d.size() >= 5 && d.compare(d.size() - 5, 5, "\r\n.\r\n") == 0, "the data does not end with \".\"");
    size_t od = 0;
    std::string hlavicka;
    bool vHlavicke = true;
    while (od < d.size()) {
        const size_t lf = d.find('\n', od);
        VX_CHECK(lf != std::string::npos && lf > od && d[lf - 1] == '\r', "a line not ended by CR LF");
        const std::string riadok = d.substr(od, lf - 1 - od);
        VX_CHECK(riadok.find_first_of("\r\n") == std::string::npos, "a bare CR or LF: " + Ukaz(riadok));
        VX_CHECK(riadok.size() <= 998, "a line of " + std::to_string(riadok.size()) + " bytes");
        VX_CHECK(riadok != "." || lf + 1 == d.size(), "a lone \".\" ends the data early");
        if (riadok.empty()) vHlavicke = false;
        if (vHlavicke) hlavicka += riadok + "\r\n";
        od = lf + 1;
    }
    const size_t s = hlavicka.find("Subject: ");
    VX_CHECK(s == 0, "no Subject header first");
    const size_t koniec = hlavicka.find("\r\nTo: ");
    // Folded lines begin with a blank, so no dot-stuffing reaches the subject.
    const std::string predmet = hlavicka.substr(9, koniec - 9);
    VX_CHECK(BezUvodnychMedzier(Odkoduj(predmet)) == BezUvodnychMedzier(m.Subject),
             "subject " + Ukaz(m.Subject) + " reads back as " + Ukaz(Odkoduj(predmet)));
    for (const std::string& a : SmtpAddresses(m.Recipients))
        VX_CHECK(!a.empty() && a.find_first_of(std::string(" <>\r\n\t\0", 7)) == std::string::npos, Ukaz(a));

    // A session.
    TServer server;
    server.kus = 1 + in.Volba(1) % 200;
    server.bytes = in[3];
    if (in.Volba(0) & 2 && !server.bytes.empty())
        while (server.bytes.size() < (1u << 20)) server.bytes += server.bytes;
    fake::FakeClock hodiny;  // time stands: only the size of a reply bounds it
    TSmtpKlient klient(server, hodiny);
    if (klient.Connect("127.0.0.1", 25)) {
        try {
            klient.Send(m);
        } catch (const Exception&) {
        }
        try {
            klient.Disconnect();
        } catch (const Exception&) {
        }
    }
    for (const std::string& p : server.poslane) {
        if (p == d) continue;
        VX_CHECK(p.size() >= 2 && p.compare(p.size() - 2, 2, "\r\n") == 0 &&
                     p.find_first_of("\r\n") == p.size() - 2,
                 "a command that is not one line: " + Ukaz(p));
        VX_CHECK(std::all_of(p.begin(), p.end() - 2, [](unsigned char c) { return c >= 0x20 && c <= 0x7E; }),
                 "a command that is not 7-bit: " + Ukaz(p));
    }
    VX_CHECK(server.najviac <= kJednaOdpoved + server.kus,
             "one reply took " + std::to_string(server.najviac) + " bytes");
}
