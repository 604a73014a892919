// The language table: 170 texts, entry N the first 255 characters of line N
// of vestrix.lng (code page 1250, taken without conversion).
#pragma once
#include <array>
#include <string>

#include "base/files.h"

namespace vx {

class TTexty {
public:
    static constexpr int kPocet = 170;      // number of entries
    static constexpr size_t kDlzka = 255;   // longest text kept

    // Entry n (1-based); empty for every n outside 1..170, so a window never
    // reads out of the table.
    const std::string& operator[](int n) const;
    // Sets entry n; raises ERangeError outside 1..170.
    void Set(int n, const std::string& text);

private:
    std::array<std::string, kPocet> e_;
};

// Fills texty from the file at path (CestaProgramu + "vestrix.lng"). A missing
// file changes nothing. A 171st line (even an empty one) raises ERangeError
// ("Range check error") with entries 1..170 already filled; a file that
// cannot be read raises EInOutError.
void NacitajTexty(TTexty& texty, IFileSystem& fs, const std::string& path);

}  // namespace vx
