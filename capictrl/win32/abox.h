// The control's about box: product, version, the maker's legal line and
// note, a web link and a mail link, OK and Help.
#pragma once
#include <windows.h>

namespace vx {

// Control identifiers of the box; OKButton is IDOK.
enum : int {
    kIdAboxPanel = 1001,
    kIdProgramIcon = 1002,
    kIdProductName = 1003,
    kIdVersion = 1004,
    kIdCopyright = 1005,
    kIdComments = 1006,
    kIdURLLabel1 = 1007,  // the web link
    kIdURLLabel2 = 1008,  // the mail link
    kIdAboxHelp = 1009,   // Button1
};

// The icon of the control among the file's resources.
constexpr int kLinkorIconId = 1;

// Shows the about box modally, without owner, and frees it in every case.
// A box that cannot be shown is thrown as a failure.
void ShowAboutBox();

}  // namespace vx
