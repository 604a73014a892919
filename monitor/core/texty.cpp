#include "monitor/core/texty.h"

#include <vector>

#include "base/errors.h"

namespace vx {

const std::string& TTexty::operator[](int n) const {
    static const std::string empty;
    if (n < 1 || n > kPocet) return empty;
    return e_[static_cast<size_t>(n - 1)];
}

void TTexty::Set(int n, const std::string& text) {
    if (n < 1 || n > kPocet) throw ERangeError();
    e_[static_cast<size_t>(n - 1)] = text;
}

void NacitajTexty(TTexty& texty, IFileSystem& fs, const std::string& path) {
    if (!fs.Exists(path)) return;
    std::string data;
    if (!fs.ReadAll(path, data)) throw EInOutError(IoErrorCode(fs, 5));
    std::vector<std::string> lines;
    SplitLines(data, lines);
    // A file of zero bytes reads as one empty line.
    if (lines.empty()) lines.emplace_back();
    int n = 1;
    for (const std::string& line : lines) {
        if (n > TTexty::kPocet) throw ERangeError();
        texty.Set(n, line.size() > TTexty::kDlzka ? line.substr(0, TTexty::kDlzka) : line);
        ++n;
    }
}

}  // namespace vx
