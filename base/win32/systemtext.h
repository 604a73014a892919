// The system's own words for a failure code (an HRESULT or a system error
// code), for every place that shows one; each caller trims and words it as
// its readers have always seen it.
#pragma once
#include <windows.h>

#include <string>

namespace vx {

// As the system words it, in the user's language, line end and all; empty
// when the system has no text for the code.
std::wstring SystemText(DWORD code);

// "OLE error 8000FFFF": a code without any text.
std::string OleErrorText(HRESULT hr);

}  // namespace vx
