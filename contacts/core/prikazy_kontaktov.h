// The main window's commands that take a number from a grid row under the
// mouse: adding the calling number of a call to the address book, and
// dialling a contact of the address book.
#pragma once
#include <functional>
#include <string>

namespace vx {

// A grid cell by column and row.
using TBunkaFn = std::function<std::string(int col, int row)>;

// pridat: the number the add-number window opens with, column 1 of the row
// under the mouse, "anonymous" given as the empty text. False when the
// popup was opened outside the cells.
bool CisloNaPridanieZMriezky(int PopupStlpec, int PopupRiadok, const TBunkaFn& bunka, std::string& cislo);

// Zavolajslo1: the number to dial from the address-book row under the
// mouse and its label (number, two blanks, first name, blank, surname). A
// click on phone 2 dials phone 2, any other click phone 1, and an empty phone
// gives way to the other one. False when there is nothing to dial (outside
// the cells, no phone, or "anonymous").
bool CisloNaVytocenieZAdresara(int PopupStlpec, int PopupRiadok, const TBunkaFn& bunka, std::string& cislo,
                               std::string& popis);

}  // namespace vx
