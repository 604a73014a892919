// The dialling window's two actions (TFormVytocenie): have the TODOS
// SurfLITE dial a number and hang it up again, pausing the poll cycle for
// the time the port is used.
#pragma once
#include <functional>
#include <string>

#include "base/pump.h"
#include "monitor/core/adapter_link.h"
#include "monitor/core/premenne.h"
#include "monitor/core/serial_port.h"

namespace vx {

class IDialView {
public:
    virtual ~IDialView() = default;
    virtual void SetCaption(const std::string& text) = 0;
    virtual void SetOznam(const std::string& text) = 0;  // stOznam
    virtual void SetButtonCaptions(const std::string& vytocit, const std::string& zrusit) = 0;
    virtual void ShowVytocit(bool visible) = 0;  // btVytocit
    virtual void ShowZrusit(bool visible) = 0;   // btZrusit
    virtual void EnableZrusit(bool enabled) = 0;
    virtual void CloseWindow() = 0;
};

struct TDialContext {
    TPremenne& P;
    TAdapterLink& Link;
    ISerialPort& Comm1;
    IMessagePump& Pump;
    IDialView& View;
    std::function<std::string(int line)> Texty;  // language line N
    TLogHook Log;
    std::string CisloNaVytocenie;  // the number to dial
    std::string PopisVytocenia;    // the number, two blanks and the name
};

void FormVytocenieCreate(TDialContext& c);
void btVytocitClick(TDialContext& c);
void btZrusitClick(TDialContext& c);

}  // namespace vx
