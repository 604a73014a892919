// Small text rules shared by the call-log readers, on top of the run-time
// library's 1-based Copy/Pos/Delete (base/pascal.h).
#pragma once
#include <string>

#include "base/clock.h"

namespace vx {

// Takes the line before the first line feed, less the character just before
// the line feed (its carriage return), and removes it together with the line
// feed from s. With no line feed the line is empty and s stays as it is.
std::string VezmiRiadok(std::string& s);

// Removes the first n characters (nothing for n below 1).
void VymazZaciatok(std::string& s, int n);

// Sets the 1-based character i when s is that long.
void NastavZnak(std::string& s, int i, char c);

// The text is not empty and begins with a digit "0" to "9".
bool ZacinaCislicou(const std::string& s);

// A calling number as the readers pass it: "anonymous" when it is empty or
// does not begin with a digit.
std::string CisloAleboAnonym(const std::string& s);

// Counts Sub in S by repeated search from the front, each time dropping the
// text up to and including the character after the occurrence found.
int PocetVyskytov(const std::string& sub, const std::string& s);

// Time of an entry given to the minute: the current time with its seconds
// when hh:mm is the current minute, else hh:mm + ":00".
std::string CasNaMinutu(const std::string& hhmm, const DateTime& now);

}  // namespace vx
