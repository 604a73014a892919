// Net-send messages and the configured external programs of a call.
#pragma once
#include <functional>
#include <string>

#include "base/files.h"
#include "monitor/core/premenne.h"

namespace vx {

// Window modes of WinExec.
enum : int { kSwHide = 0, kSwShowNormal = 1 };

// Starts a command line the way WinExec does: the first word names the
// program (found in the program's own directory first), the rest are its
// arguments. May raise vx::Exception.
class IProcessStarter {
public:
    virtual ~IProcessStarter() = default;
    virtual void WinExec(const std::string& commandLine, int show) = 0;
};

// A value for a command line with every character removed that a command
// interpreter (a batch file, cmd) would act on: " & | < > ^ % and all
// control characters. Blanks stay, so "Port 1" is still two arguments.
std::string VycistiPrePrikaz(const std::string& value);
// One argument of a program's command line, whatever the value holds: the
// command interpreter's characters (" stays) and control characters are
// taken out as above, then the rest is put in double quotes the way the C
// runtime and CommandLineToArgvW take them apart: a quote inside becomes \",
// and backslashes in front of a quote or of the closing quote are doubled.
std::string ArgumentPrikazu(const std::string& value);

class TNotifikacieProgramov {
public:
    using LogFn = std::function<void(const std::string&)>;
    TNotifikacieProgramov(TPremenne& p, IProcessStarter& starter, IFileSystem& files, LogFn log)
        : P(p), starter_(starter), files_(files), log_(std::move(log)) {}

    // The fixed label in front of every messenger text.
    std::string Oznacenie = "VESTRIX - volanie: ";

    void PosliKurierom(const std::string& Cislo);
    // False when a configured program file does not exist.
    bool SpustiProgram(const std::string& Cislo, const std::string& VolaneCislo);

private:
    TPremenne& P;
    IProcessStarter& starter_;
    IFileSystem& files_;
    LogFn log_;
};

}  // namespace vx
