// Starting a command line as WinExec does, with the text converted from
// code page 1250 explicitly.
#pragma once
#include "monitor/core/netsend_programs.h"

namespace vx {

class TWinExecStarter : public IProcessStarter {
public:
    // The outcome is not followed up, as with WinExec; nothing is raised.
    void WinExec(const std::string& commandLine, int show) override;
};

}  // namespace vx
