// An address-book window over the files of a target, with its own state,
// view and message pump, as each opening of the window has.
#pragma once
#include <string>

#include "../contacts_ui/fake_views.h"
#include "base/testing/fakes.h"
#include "contacts/core/adresar_okno.h"

namespace vx::fuzz {

struct TOknoAdresara : fake::VirtualTime {
    TStavAdresara stav;
    test::FakeAdresarView view;
    TAdresarOkno okno;
    TOknoAdresara(IFileSystem& fs, const std::string& cesta) : okno(fs, pump, cesta, test::Text, stav, view) {}
};

}  // namespace vx::fuzz
