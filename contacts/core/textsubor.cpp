#include "contacts/core/textsubor.h"

#include <algorithm>
#include <cstring>

#include "base/errors.h"

namespace vx {

namespace {

[[noreturn]] void ChybaCitania(IFileSystem& fs, const std::string& cesta) {
    const int kod = IoErrorCode(fs, 0);
    throw EInOutError(kod ? kod : fs.Exists(cesta) ? kChybaObsadeny : kChybaNenajdeny);
}

}  // namespace

void CitajSubor(IFileSystem& fs, const std::string& cesta, std::string& out) {
    if (!fs.ReadAll(cesta, out)) {
        out.clear();
        ChybaCitania(fs, cesta);
    }
}

void CitajSubor(IFileSystem& fs, const std::string& cesta, std::string& out, const std::function<void()>& poKuse) {
    out.clear();
    const int64_t dlzka = fs.Size(cesta);
    if (dlzka < 0) ChybaCitania(fs, cesta);
    out.reserve(static_cast<size_t>(dlzka));
    TCitacRiadkov(fs, cesta, dlzka).Docitaj(poKuse, &out);
}

void ChybaSuboru(const IFileSystem& fs) { throw EInOutError(IoErrorCode(fs, kChybaObsadeny)); }

void RiadkyAkoCitanie(const std::string& text, std::vector<std::string>& riadky) {
    riadky.clear();
    SplitLines(text, riadky);
    if (riadky.empty()) riadky.emplace_back();
}

std::string OdrezPole(std::string& rest) {
    size_t p = rest.find(';');
    if (p == std::string::npos) return std::string();
    std::string pole = rest.substr(0, p);
    rest.erase(0, p + 1);
    return pole;
}

std::string BezKoncovRiadkov(const std::string& s) {
    std::string r = s;
    for (char& c : r)
        if (c == '\r' || c == '\n') c = ' ';
    return r;
}

TCitacRiadkov::TCitacRiadkov(IFileSystem& fs, const std::string& cesta, int64_t dlzka, size_t kus)
    : fs_(fs), cesta_(cesta), dlzka_(dlzka), kus_(kus > 0 ? kus : 1), odtlacok_(14695981039346656037ULL) {}

bool TCitacRiadkov::Dolej() {
    if (precitane_ >= dlzka_) return false;
    const size_t n = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(kus_), dlzka_ - precitane_));
    if (!fs_.ReadRange(cesta_, precitane_, n, buf_)) ChybaSuboru(fs_);
    if (buf_.size() != n) throw EInOutError(kChybaObsadeny);  // shorter than it was: changed meanwhile
    // The fingerprint: a multiplicative hash over the file's 8-byte words,
    // the same whatever the pieces.
    const unsigned char* b = reinterpret_cast<const unsigned char*>(buf_.data());
    size_t i = 0;
    for (; i < n && bajtov_ != 0; ++i) Bajt(b[i]);
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, b + i, 8);
        odtlacok_ = (odtlacok_ ^ w) * kNasobok;
    }
    for (; i < n; ++i) Bajt(b[i]);
    precitane_ += static_cast<int64_t>(n);
    posledny_ = buf_.back();
    poz_ = 0;
    return true;
}

bool TCitacRiadkov::Dalsi(std::string& riadok) {
    riadok.clear();
    bool nieco = false;  // bytes of this line were taken
    for (;;) {
        if (poz_ >= buf_.size() && !Dolej()) return nieco;
        const char* zaciatok = buf_.data() + poz_;
        const char* koniec = buf_.data() + buf_.size();
        const char* k = std::find_if(zaciatok, koniec, [](char c) { return c == '\r' || c == '\n'; });
        riadok.append(zaciatok, static_cast<size_t>(k - zaciatok));
        if (k == koniec) {
            poz_ = buf_.size();
            nieco = true;
            continue;
        }
        poz_ = static_cast<size_t>(k - buf_.data()) + 1;
        // CR LF ends one line, also when the piece ends between the two.
        if (*k == '\r') {
            if (poz_ >= buf_.size()) Dolej();
            if (poz_ < buf_.size() && buf_[poz_] == '\n') ++poz_;
        }
        return true;
    }
}

void TCitacRiadkov::Bajt(unsigned char b) {
    slovo_ |= static_cast<uint64_t>(b) << (8 * bajtov_);
    if (++bajtov_ == 8) {
        odtlacok_ = (odtlacok_ ^ slovo_) * kNasobok;
        slovo_ = 0;
        bajtov_ = 0;
    }
}

uint64_t TCitacRiadkov::Odtlacok() const { return ((odtlacok_ ^ slovo_) * kNasobok) ^ bajtov_; }

void TCitacRiadkov::Docitaj(const std::function<void()>& poKuse, std::string* kam) {
    while (Dolej()) {
        if (kam) kam->append(buf_);
        if (poKuse) poKuse();
    }
    poz_ = buf_.size();
}

}  // namespace vx
