// The stored description of the main window's embedded telephony control
// Linkor1: the control's settings as the monitor keeps them, and the
// component stream that is handed to the control when it is created.
// Portable: no windows.h.
#pragma once
#include <string>

#include "capictrl/core/settings.h"

namespace vx {

// Listens to calls of every service, accepts none, keeps the clock updated
// and loads "capi2032.dll"; every other value as the control's design has it.
TLinkorSettings Linkor1Nastavenia();

// The control's stream ("TPF0" ... ) of those settings with the control
// form's design appearance, byte for byte as the control itself saves it.
std::string Linkor1Data();

}  // namespace vx
