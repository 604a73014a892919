// The history window's grid as a model: the header row and the rows loaded
// from vestrix.hst. The rows are kept as the file's own text and, for each
// row, where in it the row and its ";" lie: a history of a million calls
// takes little more than the file's size, not a string for every cell.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

class TMriezkaHistorie {
public:
    static constexpr int kStlpce = 5;  // DatumCas, Cislo, Meno, Firma, VolaneCislo

    // The header row and one empty row.
    TMriezkaHistorie();

    int ColCount() const { return kStlpce; }
    // The header row, the rows, at least one more row.
    int RowCount() const { return 1 + static_cast<int>(riadky_.size()); }
    // Outside the grid: the empty text.
    std::string Cell(int col, int row) const;
    void SetHeader(int col, const std::string& text);

    // Back to the header and row 1, which keeps what it showed; the rest
    // goes, and with it the text behind it.
    void NechajPrvyRiadok();
    // Row 1 empty.
    void VyprazdniPrvyRiadok();
    // A new load over text (a file's whole content): row 1 is taken by the
    // first row added.
    void NovyText(std::string text);
    const std::string& Text() const { return text_; }
    // Room for this many rows, so that the rows are not moved while they grow.
    void Rezervuj(size_t riadkov) { riadky_.reserve(riadkov); }
    // The line at [od, od + dlzka) of the text as the next row (row 1 first).
    void PridajRiadok(size_t od, size_t dlzka);
    // After a load: when the rows take far less than the text (a filter
    // kept few of them), only their lines are kept.
    void Dokonci();

private:
    static constexpr uint32_t kZiadna = 0xFFFFFFFFu;
    struct TRiadok {
        size_t od = 0;
        uint32_t dlzka = 0;
        uint32_t bodkociarky[4] = {kZiadna, kZiadna, kZiadna, kZiadna};  // from od
    };
    std::string_view Riadok(const TRiadok& r) const { return std::string_view(text_).substr(r.od, r.dlzka); }
    void Zhustni();

    std::string hlavicka_[kStlpce];
    std::string text_;
    std::vector<TRiadok> riadky_;  // rows 1..
    bool novy_ = false;            // the next row added is row 1
};

}  // namespace vx
