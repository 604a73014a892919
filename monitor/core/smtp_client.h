// A small SMTP client: one connection, one transaction per recipient, a
// subject-only message of the highest priority from the empty sender.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/errors.h"
#include "monitor/core/smtp_socket.h"

namespace vx {

// The server answered a command with a negative reply; the connection is
// still usable.
class ESmtpOdmietnutie : public Exception {
public:
    using Exception::Exception;
};

// The connection broke, or a reply did not arrive in time; the client has
// closed it.
class ESmtpSpojenie : public Exception {
public:
    using Exception::Exception;
};

struct TSmtpSprava {
    std::string Subject;     // code page 1250
    std::string Recipients;  // address list as configured ("a@b, C <c@d>")
    std::string Date;        // value of the Date header; empty leaves it out
};

// The Subject header's value: the text itself when it is plain printable
// ASCII, otherwise RFC 2047 encoded words (windows-1250, Q) folded to the
// line limits. Control characters never reach the header raw.
std::string SmtpSubjectHeader(const std::string& subject);
// Mailbox addresses of an address list: split at commas, "<...>" taken
// when present, blanks and control characters dropped, empty parts skipped.
std::vector<std::string> SmtpAddresses(const std::string& list);
// The whole message as it goes after DATA, dot-stuffed and ended by ".".
std::string SmtpMessageData(const TSmtpSprava& m);

class TSmtpKlient {
public:
    explicit TSmtpKlient(ITcpSocket& socket) : socket_(socket) {}
    uint32_t ConnectTimeout = 10000;  // making the connection
    uint32_t ReadTimeout = 30000;     // each reply of the server

    // Connects, reads the greeting and says HELO. False (connection closed)
    // when any of that fails.
    bool Connect(const std::string& host, uint16_t port);
    // One transaction per address of m.Recipients. Throws ESmtpOdmietnutie
    // for a refused mail (the session is reset for the next one) and
    // ESmtpSpojenie when the connection is lost.
    void Send(const TSmtpSprava& m);
    // QUIT and close. Throws ESmtpSpojenie when the server is gone.
    void Disconnect();
    bool Connected() const { return connected_; }

private:
    int Command(const std::string& line);  // sends a line, returns the reply code
    int ReadReply();
    void Lost(const std::string& why);
    ITcpSocket& socket_;
    std::string buffer_;
    bool connected_ = false;
};

}  // namespace vx
