// Adapter replies as the devices print them.
#pragma once
#include <string>
#include <vector>

namespace vx::test {

inline std::string Pad(const std::string& s, size_t n) {
    std::string r = s;
    if (r.size() < n) r.append(n - r.size(), ' ');
    return r;
}

// One TODOS log entry: optional port prefix "Pnn: ", MMDDHHMM, the number.
inline std::string TodosEntry(const std::string& code, const std::string& mmddhhmm,
                              const std::string& number) {
    std::string e = "\r\n";
    if (!code.empty()) e += "P" + code + ": ";
    return e + mmddhhmm + " " + number + "\r\nOK\r\n";
}
inline const std::string kTodosEmpty = "\r\nOK\r\n";

// A line of the ZyXEL dial-in log table (number 17-32, date 46-55, time 59-63).
inline std::string ZyxelLine(int no, const std::string& number, const std::string& ddmmyyyy,
                             const std::string& hhmm) {
    return Pad("  " + std::to_string(no), 16) + Pad(number, 16) + Pad("  64K", 13) + ddmmyyyy +
           "   " + hhmm + "\r\n";
}
inline std::string ZyxelListing(const std::vector<std::string>& lines) {
    std::string s = "\r\n<Dial In  Log>\r\n  No.          Caller ID       Service      Date/Time\r\n";
    for (auto& l : lines) s += l;
    return s + "\r\nOK\r\n";
}

// A "30.(" record: port A's number, port B's number.
inline std::string Zyxel2Record(const std::string& a, const std::string& b) {
    return Pad("30.(" + a + ")", 44) + b + ")\r\n";
}

// A line of the 3Com incoming call log (number, port 22-25, date 28-37, time 39-43).
inline std::string ThreeComLine(const std::string& number, const std::string& port,
                                const std::string& ddmmyyyy, const std::string& hhmm) {
    return Pad(number, 21) + port + "  " + ddmmyyyy + " " + hhmm + "  Voice\r\n";
}
inline std::string ThreeComListing(const std::vector<std::string>& lines) {
    std::string s =
        "\r\nUSR ISDN Pro TA - Incoming Call Logging (newest first)\r\n\r\n"
        "Calling Number       Port  Date       Time   Type\r\n";
    for (auto& l : lines) s += l;
    return s + "\r\nOK\r\n";
}

}  // namespace vx::test
