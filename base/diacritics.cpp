#include "base/diacritics.h"

#include <cstring>

namespace vx {

const char* const kDiakritikaAccented = "üéâäůćëŐőîŹÄĆÉĹĺôöĽľŚśÖÜŤťčáíóúŽžźČÁÂĚĎËďŇÍÎěŮÓÔŃńňŠšŔÚŕŰýÝűŘř";
const char* const kDiakritikaPlain = "ueaauceOoiZACELlooLlSsOUTtcaiouZzzCAAEDEdNIIeUOONnnSsRUrUyYuRr";

char BezDiakritiky(char c) {
    const char* p = c ? std::strchr(kDiakritikaAccented, c) : nullptr;
    return p ? kDiakritikaPlain[p - kDiakritikaAccented] : c;
}

std::string BezDiakritiky(const std::string& s) {
    std::string r(s);
    for (char& c : r) c = BezDiakritiky(c);
    return r;
}

}  // namespace vx
