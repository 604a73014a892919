#include "monitor/core/smtp_client.h"

#include <cctype>

namespace vx {

namespace {

bool PlainAscii(const std::string& s) {
    for (unsigned char c : s)
        if (c < 0x20 || c > 0x7E) return false;
    return true;
}

// Bytes that stand for themselves inside a Q-encoded word of a header.
bool QLiteral(unsigned char c) {
    return std::isalnum(c) || c == '!' || c == '*' || c == '+' || c == '-' || c == '/';
}

const char kHex[] = "0123456789ABCDEF";

}  // namespace

std::string SmtpSubjectHeader(const std::string& subject) {
    // "=?" in a plain text would read as the start of an encoded word, and
    // a header line must stay within its limit: encode those too.
    if (PlainAscii(subject) && subject.find("=?") == std::string::npos && subject.size() <= 900)
        return subject;
    const std::string open = "=?windows-1250?Q?", close = "?=";
    const size_t maxWord = 75;  // RFC 2047 limit of one encoded word
    std::string out, word;
    auto flush = [&] {
        if (word.empty()) return;
        if (!out.empty()) out += "\r\n ";  // folding between words
        out += open + word + close;
        word.clear();
    };
    for (unsigned char c : subject) {
        std::string piece;
        if (c == ' ')
            piece = "_";
        else if (QLiteral(c))
            piece = std::string(1, static_cast<char>(c));
        else {
            piece = "=";
            piece += kHex[c >> 4];
            piece += kHex[c & 15];
        }
        if (open.size() + word.size() + piece.size() + close.size() > maxWord) flush();
        word += piece;
    }
    flush();
    return out;
}

std::vector<std::string> SmtpAddresses(const std::string& list) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = list.find(',', start);
        std::string part = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        size_t lt = part.find('<'), gt = part.rfind('>');
        if (lt != std::string::npos && gt != std::string::npos && gt > lt) part = part.substr(lt + 1, gt - lt - 1);
        std::string addr;
        for (unsigned char c : part)
            if (c > 0x20 && c != 0x7F && c != '<' && c != '>') addr += static_cast<char>(c);
        if (!addr.empty()) out.push_back(addr);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return out;
}

std::string SmtpMessageData(const TSmtpSprava& m) {
    std::string to;
    for (unsigned char c : m.Recipients) to += (c < 0x20 || c == 0x7F) ? ' ' : static_cast<char>(c);
    std::string h;
    h += "Subject: " + SmtpSubjectHeader(m.Subject) + "\r\n";
    h += "To: " + to + "\r\n";
    if (!m.Date.empty()) h += "Date: " + m.Date + "\r\n";
    h += "MIME-Version: 1.0\r\n";
    h += "Content-Type: text/plain; charset=windows-1250\r\n";
    h += "Content-Transfer-Encoding: 7bit\r\n";
    h += "X-Priority: 1\r\n";
    h += "X-MSMail-Priority: High\r\n";
    h += "Importance: High\r\n";
    h += "\r\n";  // end of the header; the body is empty
    // Dot-stuffing: a line that begins with "." gets a second one.
    std::string data;
    bool lineStart = true;
    for (char c : h) {
        if (lineStart && c == '.') data += '.';
        data += c;
        lineStart = (c == '\n');
    }
    data += ".\r\n";
    return data;
}

void TSmtpKlient::Lost(const std::string& why) {
    socket_.Close();
    connected_ = false;
    buffer_.clear();
    throw ESmtpSpojenie(why);
}

int TSmtpKlient::ReadReply() {
    const size_t maxLine = 16384;
    for (;;) {
        size_t lf = buffer_.find('\n');
        if (lf == std::string::npos) {
            if (buffer_.size() > maxLine) Lost("Reply line too long");
            ITcpSocket::Vysledok r = socket_.Receive(buffer_, ReadTimeout);
            if (r == ITcpSocket::Vysledok::Timeout) Lost("Read timed out");
            if (r != ITcpSocket::Vysledok::Data) Lost("Connection closed gracefully");
            continue;
        }
        std::string line = buffer_.substr(0, lf);
        buffer_.erase(0, lf + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() < 3 || !std::isdigit(static_cast<unsigned char>(line[0])) ||
            !std::isdigit(static_cast<unsigned char>(line[1])) || !std::isdigit(static_cast<unsigned char>(line[2])))
            Lost("Invalid reply");
        if (line.size() > 3 && line[3] == '-') continue;  // more lines of the same reply
        return (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
    }
}

int TSmtpKlient::Command(const std::string& line) {
    if (!connected_) throw ESmtpSpojenie("Not connected");
    if (!socket_.Send(line + "\r\n")) Lost("Connection closed gracefully");
    return ReadReply();
}

bool TSmtpKlient::Connect(const std::string& host, uint16_t port) {
    buffer_.clear();
    connected_ = false;
    if (!socket_.Connect(host, port, ConnectTimeout)) {
        socket_.Close();
        return false;
    }
    connected_ = true;
    try {
        if (ReadReply() / 100 != 2) throw ESmtpOdmietnutie("greeting");
        std::string name = socket_.LocalName();
        if (name.empty()) name = "localhost";
        if (Command("HELO " + name) / 100 != 2) throw ESmtpOdmietnutie("HELO");
    } catch (const Exception&) {
        socket_.Close();
        connected_ = false;
        return false;
    }
    return true;
}

void TSmtpKlient::Send(const TSmtpSprava& m) {
    std::vector<std::string> to = SmtpAddresses(m.Recipients);
    if (to.empty()) throw ESmtpOdmietnutie("No recipients");
    try {
        if (Command("MAIL FROM:<>") / 100 != 2) throw ESmtpOdmietnutie("MAIL");
        bool any = false;
        for (const std::string& a : to)
            if (Command("RCPT TO:<" + a + ">") / 100 == 2) any = true;
        if (!any) throw ESmtpOdmietnutie("RCPT");
        if (Command("DATA") != 354) throw ESmtpOdmietnutie("DATA");
        std::string data = SmtpMessageData(m);
        if (!socket_.Send(data)) Lost("Connection closed gracefully");
        if (ReadReply() / 100 != 2) throw ESmtpOdmietnutie("message");
    } catch (const ESmtpOdmietnutie&) {
        // Leave the session clean for the next mail of this connection.
        Command("RSET");
        throw;
    }
}

void TSmtpKlient::Disconnect() {
    if (!connected_) return;
    Command("QUIT");  // the reply's code does not matter, the session ends either way
    socket_.Close();
    connected_ = false;
}

}  // namespace vx
