// The control's property pages as COM objects: each page class has its own
// class identifier and factory; a page object shows its form inside a
// property frame and reads and writes the first object the frame gives it
// through IDispatch by member name.
#pragma once
#include <windows.h>
#include <ole2.h>

#include <vector>

#include "capictrl/core/proppages.h"

namespace vx {

struct TPageClass {
    const CLSID* Clsid;
    const wchar_t* ClsidText;  // "{...}" as the class key names it
    const TLinkorPage* Page;
};

// The three page classes: Operation, System, Formats.
const std::vector<TPageClass>& LinkorPageClasses();

// The factory of a page class; null for any other class identifier.
IClassFactory* PageClassFactory(REFCLSID clsid);

}  // namespace vx
