// Texts of the dial states in the three languages of the dial-up component.
#pragma once
#include <functional>
#include <string>

#include "monitor/core/dialup_api.h"

namespace vx {

// The table text of a dial state; "" for a state that is not in the table.
std::string DialUpStateText(int state, TLanguage language);
// StatusText(State, Error): the platform's error text (from errorText) when
// Error is not 0, whatever the state; otherwise the state's table text.
std::string DialUpStatusText(int state, int error, TLanguage language,
                             const std::function<std::string(int)>& errorText);

}  // namespace vx
