// A small SMTP client: one connection, one transaction per recipient, a
// subject-only message of the highest priority from the empty sender.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/errors.h"
#include "monitor/core/smtp_socket.h"

namespace vx {

// The server answered a command with a negative reply; the connection is
// still usable. A transient one (4xx: the server is busy, or greylists the
// sender) asks for the mail to be tried again later (RFC 5321, 4.2.1).
class ESmtpOdmietnutie : public Exception {
public:
    explicit ESmtpOdmietnutie(const std::string& msg, bool docasne = false) : Exception(msg), Docasne(docasne) {}
    bool Docasne;
};

// Why a connection was given up.
enum class TSmtpPorucha {
    Ziadna,
    Zatvorene,   // closed by the server or the network
    CasVyprsal,  // a reply did not come whole within its time limit
    PrilisDlha,  // a reply grew beyond its size limit
    Neplatna,    // a reply line that is not a reply
};

// The connection broke, or a reply did not arrive whole in time; the
// client has closed it.
class ESmtpSpojenie : public Exception {
public:
    explicit ESmtpSpojenie(const std::string& msg, TSmtpPorucha p = TSmtpPorucha::Zatvorene)
        : Exception(msg), Porucha(p) {}
    TSmtpPorucha Porucha;
};

struct TSmtpSprava {
    std::string Subject;     // code page 1250
    std::string Recipients;  // address list as configured ("a@b, C <c@d>")
    std::string Date;        // value of the Date header; empty leaves it out
};

// The Subject header's value: the text itself when it is plain printable
// ASCII, otherwise RFC 2047 encoded words (windows-1250, Q); folded so that
// its lines, "Subject: " included, keep to 76 characters where the text
// allows and never pass 998. Control characters never reach the header raw.
std::string SmtpSubjectHeader(const std::string& subject);
// The To header's value for an address list: the addresses as they go in
// RCPT, display names as plain words or encoded words, folded like the
// subject; nothing outside printable ASCII.
std::string SmtpToHeader(const std::string& list);
// Mailbox addresses of an address list: split at the commas outside quoted
// names, "<...>" taken when present, blanks and control characters dropped,
// empty parts skipped.
std::vector<std::string> SmtpAddresses(const std::string& list);
// The whole message as it goes after DATA, dot-stuffed and ended by ".".
std::string SmtpMessageData(const TSmtpSprava& m);

class TSmtpKlient {
public:
    TSmtpKlient(ITcpSocket& socket, IClock& clock) : socket_(socket), clock_(clock) {}
    uint32_t ConnectTimeout = 10000;  // making the connection
    uint32_t ReadTimeout = 30000;     // each reply of the server, from the command to its last line
    // The reply to the end of the mail data: the server may be delivering
    // it meanwhile, and giving up early would send an accepted mail again
    // (RFC 5321, 4.5.3.2.6).
    uint32_t DataTimeout = 600000;
    size_t MaxReply = 16384;  // bytes of one reply, all its lines together

    // Connects, reads the greeting and says EHLO (HELO when the server
    // refuses EHLO). False (connection closed, after QUIT when the server
    // refused) when any of that fails; Porucha() then tells a broken
    // connection.
    bool Connect(const std::string& host, uint16_t port);
    // One transaction for the addresses of m.Recipients. Returns the
    // addresses refused (by the server, or here when not 7-bit) while the
    // server took the mail for the others. Throws ESmtpOdmietnutie when the
    // mail was refused as a whole (the session is reset for the next one;
    // transient when the refusing reply was, or when no address was taken
    // and one of them was refused transiently)
    // and ESmtpSpojenie when the connection is lost, or the server closes
    // it with 421, before the server confirmed the mail.
    std::vector<std::string> Send(const TSmtpSprava& m);
    // QUIT and close. Throws ESmtpSpojenie when the server is gone.
    void Disconnect();
    bool Connected() const { return connected_; }
    // What broke the connection last (Ziadna when it was not broken).
    TSmtpPorucha Porucha() const { return porucha_; }

private:
    int Command(const std::string& line);  // sends a line, returns the reply code
    int ReadReply(uint32_t limitMs);
    [[noreturn]] void Lost(const std::string& why, TSmtpPorucha p);
    ITcpSocket& socket_;
    IClock& clock_;
    std::string buffer_;
    bool connected_ = false;
    TSmtpPorucha porucha_ = TSmtpPorucha::Ziadna;
};

}  // namespace vx
