#include "contacts/core/mriezka_historie.h"

#include <limits>

#include "contacts/core/historia.h"

namespace vx {

TMriezkaHistorie::TMriezkaHistorie() : riadky_(1) {}

std::string TMriezkaHistorie::Cell(int col, int row) const {
    if (col < 0 || col >= kStlpce || row < 0 || row >= RowCount()) return std::string();
    if (row == 0) return hlavicka_[col];
    const TRiadok& r = riadky_[static_cast<size_t>(row - 1)];
    TRezyZaznamu rezy;
    for (int i = 0; i < 4; ++i) rezy.Bodkociarka[i] = r.bodkociarky[i] == kZiadna ? std::string_view::npos : r.bodkociarky[i];
    return std::string(PoleZaznamu(Riadok(r), rezy, col));
}

void TMriezkaHistorie::SetHeader(int col, const std::string& text) {
    if (col >= 0 && col < kStlpce) hlavicka_[col] = text;
}

void TMriezkaHistorie::NechajPrvyRiadok() {
    riadky_.resize(1);
    riadky_.shrink_to_fit();
    Zhustni();
}

void TMriezkaHistorie::VyprazdniPrvyRiadok() {
    riadky_.assign(1, TRiadok{});
    riadky_.shrink_to_fit();
    Zhustni();
}

void TMriezkaHistorie::NovyText(std::string text) {
    // Row 1 shows what it showed until a new row takes its place: its line
    // goes along at the end of the new text.
    TRiadok r = riadky_.front();
    const std::string_view prvy = Riadok(r);
    r.od = text.size();
    text.append(prvy);
    text_ = std::move(text);
    riadky_.assign(1, r);
    novy_ = true;
}

void TMriezkaHistorie::PridajRiadok(size_t od, size_t dlzka) {
    if (od > text_.size()) return;
    if (dlzka > text_.size() - od) dlzka = text_.size() - od;
    // A line beyond 4 GB is shown cut there.
    if (dlzka >= kZiadna) dlzka = kZiadna - 1;
    TRiadok r;
    r.od = od;
    r.dlzka = static_cast<uint32_t>(dlzka);
    const TRezyZaznamu rezy = RezyZaznamu(Riadok(r));
    for (int i = 0; i < 4; ++i)
        r.bodkociarky[i] = rezy.Bodkociarka[i] == std::string_view::npos ? kZiadna : static_cast<uint32_t>(rezy.Bodkociarka[i]);
    if (novy_) {
        riadky_.front() = r;
        novy_ = false;
    } else {
        riadky_.push_back(r);
    }
}

void TMriezkaHistorie::Dokonci() {
    novy_ = false;
    size_t potrebne = 0;
    for (const TRiadok& r : riadky_) potrebne += r.dlzka;
    if (potrebne < text_.size() / 2) Zhustni();
    if (riadky_.size() < riadky_.capacity() / 2) riadky_.shrink_to_fit();
}

void TMriezkaHistorie::Zhustni() {
    std::string novy;
    size_t potrebne = 0;
    for (const TRiadok& r : riadky_) potrebne += r.dlzka;
    novy.reserve(potrebne);
    for (TRiadok& r : riadky_) {
        const size_t od = novy.size();
        novy.append(Riadok(r));
        r.od = od;
    }
    text_.swap(novy);
}

}  // namespace vx
