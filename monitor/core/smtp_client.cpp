#include "monitor/core/smtp_client.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace vx {

namespace {

// A header line is broken before a piece where it would pass this length
// (RFC 2047 limits lines with encoded words to 76 characters).
const size_t kLine = 76;
// Encoded words are kept this short so that one fits behind "Subject: ".
const size_t kWord = 66;
// A plain word longer than this is encoded, so no line nears the hard
// limit of 998 octets.
const size_t kPlainWord = 900;
// Longest address that goes into the header as it is (RFC 5321 path).
const size_t kAddress = 254;

bool Printable(unsigned char c) { return c >= 0x20 && c <= 0x7E; }

// Characters of an atom in an address header (RFC 5322 atext).
bool Atext(unsigned char c) { return std::isalnum(c) || (c && std::strchr("!#$%&'*+-/=?^_`{|}~", c)); }

// Bytes that stand for themselves inside a Q-encoded word; this set is
// also safe inside a display name.
bool QLiteral(unsigned char c) {
    return std::isalnum(c) || c == '!' || c == '*' || c == '+' || c == '-' || c == '/';
}

const char kHex[] = "0123456789ABCDEF";

// The text as blank-led pieces: runs of blanks with the word after them.
// Trailing blanks stay with the last word.
std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < text.size()) {
        size_t j = text.find_first_not_of(' ', i);
        if (j == std::string::npos) {
            if (out.empty()) out.push_back(text.substr(i));
            else out.back() += text.substr(i);
            break;
        }
        size_t k = text.find(' ', j);
        if (k == std::string::npos) k = text.size();
        out.push_back(text.substr(i, k - i));
        i = k;
    }
    return out;
}

// The text as RFC 2047 encoded words (windows-1250, Q), each led by a blank.
std::vector<std::string> EncodedWords(const std::string& text) {
    const std::string open = "=?windows-1250?Q?", close = "?=";
    std::vector<std::string> out;
    std::string word;
    auto flush = [&] {
        if (word.empty()) return;
        out.push_back(" " + open + word + close);
        word.clear();
    };
    for (unsigned char c : text) {
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
        if (open.size() + word.size() + piece.size() + close.size() > kWord) flush();
        word += piece;
    }
    flush();
    return out;
}

// Joins blank-led pieces into a header value that starts at `column`,
// breaking the line before a piece where the line would pass kLine. The
// first piece loses its blank.
std::string Fold(size_t column, std::vector<std::string> pieces) {
    std::string out;
    for (size_t i = 0; i < pieces.size(); ++i) {
        std::string p = pieces[i];
        if (i == 0 && !p.empty() && p[0] == ' ') p.erase(0, 1);
        if (i > 0 && column + p.size() > kLine) {
            out += "\r\n";
            column = 0;
        }
        out += p;
        column += p.size();
    }
    return out;
}

// A text that may stand in a header as it is: the allowed characters only,
// nothing that reads as an encoded word, no word too long to fold.
template <typename Allowed>
bool Plain(const std::string& text, Allowed allowed) {
    if (text.find("=?") != std::string::npos) return false;
    for (unsigned char c : text)
        if (c != ' ' && !allowed(c)) return false;
    for (const std::string& w : Words(text))
        if (w.size() > kPlainWord) return false;
    return true;
}

struct TMailbox {
    std::string Meno;    // display name, blanks trimmed, quotes dropped
    std::string Adresa;  // the address as RCPT gets it
};

// The comma that ends the address list's entry starting at `from`: one
// outside a quoted name ("Novak, Jan" <jan@b.sk>) and outside "<...>".
size_t EntryEnd(const std::string& list, size_t from) {
    bool quoted = false, angle = false;
    for (size_t i = from; i < list.size(); ++i) {
        char c = list[i];
        if (quoted) {
            if (c == '\\' && i + 1 < list.size()) ++i;
            else if (c == '"') quoted = false;
        } else if (c == '"' && !angle) {
            quoted = true;
        } else if (c == '<') {
            angle = true;
        } else if (c == '>') {
            angle = false;
        } else if (c == ',' && !angle) {
            return i;
        }
    }
    return std::string::npos;
}

std::vector<TMailbox> Mailboxes(const std::string& list) {
    std::vector<TMailbox> out;
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = EntryEnd(list, start);
        std::string part = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        TMailbox m;
        size_t lt = part.find('<'), gt = part.rfind('>');
        if (lt != std::string::npos && gt != std::string::npos && gt > lt) {
            for (unsigned char c : part.substr(0, lt))
                m.Meno += (c < 0x20 || c == 0x7F) ? ' ' : static_cast<char>(c);
            size_t a = m.Meno.find_first_not_of(' '), b = m.Meno.find_last_not_of(' ');
            m.Meno = a == std::string::npos ? std::string() : m.Meno.substr(a, b - a + 1);
            if (m.Meno.size() >= 2 && m.Meno.front() == '"' && m.Meno.back() == '"')
                m.Meno = m.Meno.substr(1, m.Meno.size() - 2);
            part = part.substr(lt + 1, gt - lt - 1);
        }
        for (unsigned char c : part)
            if (c > 0x20 && c != 0x7F && c != '<' && c != '>') m.Adresa += static_cast<char>(c);
        if (!m.Adresa.empty()) out.push_back(m);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return out;
}

// A mailbox a command may carry: RFC 5321 knows only 7-bit addresses.
bool SevenBit(const std::string& a) {
    for (unsigned char c : a)
        if (c > 0x7E) return false;
    return true;
}

// The name in EHLO and HELO: this computer's name when it is a domain name
// (letters, digits and hyphens in dot-separated labels), else the address
// literal of this end of the connection. A name in national letters or
// with an underscore would have strict servers refuse the greeting and so
// every mail.
std::string HelloName(const std::string& name, const std::string& address) {
    bool domain = !name.empty() && name.size() <= 253;
    size_t label = 0;
    for (size_t i = 0; domain && i <= name.size(); ++i) {
        char c = i < name.size() ? name[i] : '.';
        if (c == '.') {
            domain = label > 0 && label <= 63 && name[i - 1] != '-' && name[i - label] != '-';
            label = 0;
        } else {
            domain = std::isalnum(static_cast<unsigned char>(c)) || c == '-';
            ++label;
        }
    }
    if (domain) return name;
    if (!address.empty()) return "[" + address + "]";
    return "localhost";
}

bool PlainAddress(const std::string& a) {
    if (a.size() > kAddress) return false;
    for (unsigned char c : a)
        if (!Atext(c) && c != '.' && c != '@') return false;
    return true;
}

}  // namespace

std::string SmtpSubjectHeader(const std::string& subject) {
    // "=?" in a plain text would read as the start of an encoded word.
    std::vector<std::string> pieces =
        Plain(subject, [](unsigned char c) { return Printable(c); }) ? Words(subject) : EncodedWords(subject);
    return Fold(std::strlen("Subject: "), pieces);
}

std::string SmtpToHeader(const std::string& list) {
    std::vector<TMailbox> boxes = Mailboxes(list);
    std::vector<std::string> pieces;
    for (size_t i = 0; i < boxes.size(); ++i) {
        const TMailbox& m = boxes[i];
        if (PlainAddress(m.Adresa)) {
            if (!m.Meno.empty()) {
                std::vector<std::string> meno = Plain(m.Meno, Atext) ? Words(m.Meno) : EncodedWords(m.Meno);
                // Every piece is led by a blank: a line folded before the
                // name's first word must go on as a folded line, not start
                // a header of its own.
                if (meno.front()[0] != ' ') meno.front().insert(0, " ");
                pieces.insert(pieces.end(), meno.begin(), meno.end());
                pieces.push_back(" <" + m.Adresa + ">");
            } else {
                pieces.push_back(" " + m.Adresa);
            }
        } else {
            // An address a header cannot carry (8-bit, or too long) is shown
            // as the name of an empty group: readable, and still 7-bit.
            std::vector<std::string> w = EncodedWords(m.Meno.empty() ? m.Adresa : m.Meno + " <" + m.Adresa + ">");
            pieces.insert(pieces.end(), w.begin(), w.end());
            pieces.push_back(" :;");
        }
        if (i + 1 < boxes.size()) pieces.back() += ",";
    }
    return Fold(std::strlen("To: "), pieces);
}

std::vector<std::string> SmtpAddresses(const std::string& list) {
    std::vector<std::string> out;
    for (const TMailbox& m : Mailboxes(list)) out.push_back(m.Adresa);
    return out;
}

std::string SmtpMessageData(const TSmtpSprava& m) {
    std::string h;
    h += "Subject: " + SmtpSubjectHeader(m.Subject) + "\r\n";
    h += "To: " + SmtpToHeader(m.Recipients) + "\r\n";
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

void TSmtpKlient::Lost(const std::string& why, TSmtpPorucha p) {
    socket_.Close();
    connected_ = false;
    buffer_.clear();
    porucha_ = p;
    throw ESmtpSpojenie(why, p);
}

int TSmtpKlient::ReadReply(uint32_t limitMs) {
    // The limits hold for the reply as a whole: a server that keeps sending
    // continuation lines must not hold the dispatch for ever.
    const uint32_t start = clock_.TickCount();
    size_t size = 0;  // bytes of the reply's complete lines so far
    for (;;) {
        size_t lf = buffer_.find('\n');
        if (lf == std::string::npos) {
            if (size + buffer_.size() > MaxReply) Lost("Reply too long", TSmtpPorucha::PrilisDlha);
            uint32_t elapsed = clock_.TickCount() - start;
            if (elapsed >= limitMs) Lost("Read timed out", TSmtpPorucha::CasVyprsal);
            ITcpSocket::Vysledok r = socket_.Receive(buffer_, limitMs - elapsed);
            if (r == ITcpSocket::Vysledok::Timeout) Lost("Read timed out", TSmtpPorucha::CasVyprsal);
            if (r != ITcpSocket::Vysledok::Data) Lost("Connection closed gracefully", TSmtpPorucha::Zatvorene);
            continue;
        }
        size += lf + 1;
        if (size > MaxReply) Lost("Reply too long", TSmtpPorucha::PrilisDlha);
        std::string line = buffer_.substr(0, lf);
        buffer_.erase(0, lf + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() < 3 || !std::isdigit(static_cast<unsigned char>(line[0])) ||
            !std::isdigit(static_cast<unsigned char>(line[1])) || !std::isdigit(static_cast<unsigned char>(line[2])))
            Lost("Invalid reply", TSmtpPorucha::Neplatna);
        if (line.size() > 3 && line[3] == '-') continue;  // more lines of the same reply
        const int code = (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
        // 421: the server is closing the line; it answers nothing more.
        if (code == 421) Lost("Service not available, closing transmission channel", TSmtpPorucha::Zatvorene);
        return code;
    }
}

int TSmtpKlient::Command(const std::string& line) {
    if (!connected_) throw ESmtpSpojenie("Not connected", TSmtpPorucha::Zatvorene);
    if (!socket_.Send(line + "\r\n")) Lost("Connection closed gracefully", TSmtpPorucha::Zatvorene);
    return ReadReply(ReadTimeout);
}

bool TSmtpKlient::Connect(const std::string& host, uint16_t port) {
    buffer_.clear();
    connected_ = false;
    porucha_ = TSmtpPorucha::Ziadna;
    if (!socket_.Connect(host, port, ConnectTimeout)) {
        socket_.Close();
        return false;
    }
    connected_ = true;
    try {
        bool willing = ReadReply(ReadTimeout) / 100 == 2;
        if (willing) {
            const std::string name = HelloName(socket_.LocalName(), socket_.LocalAddress());
            int r = Command("EHLO " + name);
            // A server without the service extensions refuses EHLO; HELO is
            // what every server knows.
            if (r / 100 != 2) r = Command("HELO " + name);
            willing = r / 100 == 2;
        }
        if (!willing) {
            // A server that will not take mail waits for QUIT before it
            // closes (RFC 5321, 3.1); the refusal, not the farewell, is what
            // failed.
            try {
                Command("QUIT");
            } catch (const ESmtpSpojenie&) {
            }
            socket_.Close();
            connected_ = false;
            porucha_ = TSmtpPorucha::Ziadna;
            return false;
        }
    } catch (const ESmtpSpojenie&) {
        return false;  // the line is closed already
    }
    return true;
}

std::vector<std::string> TSmtpKlient::Send(const TSmtpSprava& m) {
    const std::vector<std::string> to = SmtpAddresses(m.Recipients);
    if (to.empty()) throw ESmtpOdmietnutie("No recipients");
    // An address in national letters is refused here, as a server would
    // refuse it, without putting 8-bit octets into a command.
    if (std::none_of(to.begin(), to.end(), SevenBit)) throw ESmtpOdmietnutie("RCPT");
    std::vector<std::string> refused;
    bool docasne = false;
    // A negative reply refuses the mail, for the time being when it is 4xx.
    auto odmietnutie = [](const char* what, int code) { return ESmtpOdmietnutie(what, code / 100 == 4); };
    try {
        int r = Command("MAIL FROM:<>");
        if (r / 100 != 2) throw odmietnutie("MAIL", r);
        for (const std::string& a : to) {
            r = SevenBit(a) ? Command("RCPT TO:<" + a + ">") : 550;
            if (r / 100 == 2) continue;
            refused.push_back(a);
            docasne = docasne || r / 100 == 4;
        }
        if (refused.size() == to.size()) throw ESmtpOdmietnutie("RCPT", docasne);
        r = Command("DATA");
        if (r != 354) throw odmietnutie("DATA", r);
        std::string data = SmtpMessageData(m);
        if (!socket_.Send(data)) Lost("Connection closed gracefully", TSmtpPorucha::Zatvorene);
        r = ReadReply(DataTimeout);
        if (r / 100 != 2) throw odmietnutie("message", r);
    } catch (const ESmtpOdmietnutie&) {
        // Leave the session clean for the next mail of this connection. The
        // refusal stands even when the reset breaks the connection: the next
        // mail then finds it closed.
        try {
            Command("RSET");
        } catch (const ESmtpSpojenie&) {
        }
        throw;
    }
    return refused;
}

void TSmtpKlient::Disconnect() {
    if (!connected_) return;
    Command("QUIT");  // the reply's code does not matter, the session ends either way
    socket_.Close();
    connected_ = false;
}

}  // namespace vx
