// Helpers of the contacts tests: files in a scratch directory and a file
// system that fails or "dies" at a chosen operation.
#pragma once
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/files.h"
#include "base/guard.h"
#include "base/stdfiles.h"
#include "base/testing/passthroughfs.h"
#include "base/testing/tempdir.h"
#include "contacts/core/adresar.h"

namespace vx::test {

// The address-book grid: row 0 headers, columns 0 to 5.
class Mriezka : public IAdresarMriezka {
public:
    int RowCount() const override { return rows; }
    void SetRowCount(int n) override { rows = n; }
    std::string Cell(int col, int row) const override {
        auto it = cells.find({col, row});
        return it == cells.end() ? std::string() : it->second;
    }
    void SetCell(int col, int row, const std::string& t) override { cells[{col, row}] = t; }
    void Riadok(int r, const TKontakt& k) {
        SetCell(1, r, k.Krstne);
        SetCell(2, r, k.Priezvisko);
        SetCell(3, r, k.Firma);
        SetCell(4, r, k.Cislo);
        SetCell(5, r, k.Cislo2);
    }
    int rows = 2;
    std::map<std::pair<int, int>, std::string> cells;
};

inline std::string Citaj(IFileSystem& fs, const std::string& path) {
    std::string s;
    if (!fs.ReadAll(path, s)) return "<missing>";
    return s;
}

// Counts every reading or changing operation (ReadAll, ReadRange, WriteAll, Append(Line),
// Rename, Replace, Remove). At operation failAt it either fails that
// operation (with sticky every later one too), or, with crash set, stops the
// "process": the operation throws (a WriteAll leaves half of its data
// behind) and so does everything after it.
class FaultFs : public IFileSystem {
public:
    struct Crash {};
    explicit FaultFs(IFileSystem& inner) : in_(inner) {}
    int failAt = 0;
    int code = 0;  // the system's error code an injected failure reports (0: none)
    bool crash = false;
    bool sticky = false;  // every operation from failAt on fails
    int ops = 0;
    bool dead = false;

    bool Exists(const std::string& p) override {
        Alive();
        return in_.Exists(p);
    }
    int64_t Size(const std::string& p) override {
        Alive();
        return in_.Size(p);
    }
    bool ReadAll(const std::string& p, std::string& out) override { return Step() && in_.ReadAll(p, out); }
    bool ReadRange(const std::string& p, int64_t od, size_t n, std::string& out) override {
        return Step() && in_.ReadRange(p, od, n, out);
    }
    bool WriteAll(const std::string& p, const std::string& d) override {
        Alive();
        if (Due(++ops)) {
            if (!crash) {
                injected_ = true;
                return false;
            }
            in_.WriteAll(p, d.substr(0, d.size() / 2));
            dead = true;
            throw Crash{};
        }
        return in_.WriteAll(p, d);
    }
    int Append(const std::string& p, const std::string& d) override { return Step() ? in_.Append(p, d) : -1; }
    int AppendLine(const std::string& p, const std::string& l) override {
        return Step() ? in_.AppendLine(p, l) : -1;
    }
    bool Rename(const std::string& a, const std::string& b) override { return Step() && in_.Rename(a, b); }
    bool Replace(const std::string& a, const std::string& b) override { return Step() && in_.Replace(a, b); }
    bool Remove(const std::string& p) override { return Step() && in_.Remove(p); }
    int LastError() const override { return injected_ ? code : in_.LastError(); }

private:
    bool Due(int n) const { return failAt > 0 && (n == failAt || (sticky && n > failAt)); }
    void Alive() {
        if (dead) throw Crash{};
    }
    bool Step() {
        Alive();
        if (!Due(++ops)) return true;
        if (crash) {
            dead = true;
            throw Crash{};
        }
        injected_ = true;
        return false;
    }
    IFileSystem& in_;
    bool injected_ = false;
};

// Stamps as a test wants them: the real ones with the clock moved on, or one
// fixed stamp whatever the file holds (a rewrite of the same size within one
// step of the file times); counts the readings.
class StampFs : public fake::PassThroughFs {
public:
    explicit StampFs(IFileSystem& in) : PassThroughFs(in) {}
    int64_t posun = 0;            // added to Now
    bool pevny = false;           // every stamp is `stamp`
    TFileStamp stamp;
    int citania = 0;
    std::map<std::string, int> citaniaSuborov;
    int Citania(const std::string& p) const {
        auto it = citaniaSuborov.find(p);
        return it == citaniaSuborov.end() ? 0 : it->second;
    }
    bool ReadAll(const std::string& p, std::string& out) override {
        ++citania;
        ++citaniaSuborov[p];
        return in_.ReadAll(p, out);
    }
    // A reading piece by piece counts once, at its first piece.
    bool ReadRange(const std::string& p, int64_t od, size_t n, std::string& out) override {
        if (od == 0) {
            ++citania;
            ++citaniaSuborov[p];
        }
        return in_.ReadRange(p, od, n, out);
    }
    int AppendLine(const std::string& p, const std::string& l) override { return in_.AppendLine(p, l); }
    int stampy = 0;
    bool Stamp(const std::string& p, TFileStamp& out) override {
        ++stampy;
        if (pevny) {
            out = stamp;
            return in_.Exists(p);
        }
        if (!in_.Stamp(p, out)) return false;
        out.Now += posun;
        return true;
    }
};

// Rewrites that fail where the system refuses them: rewrite n (counted by
// the start of its new file, from 1) fails with the system's code as its
// new file is created, or as the new file takes the history's place.
class ZlePrepisyFs : public fake::PassThroughFs {
public:
    struct TChyba {
        bool naMieste;  // as the new file takes the history's place, else at its start
        int kod;
    };
    ZlePrepisyFs(IFileSystem& in, std::string novy) : PassThroughFs(in), novy_(std::move(novy)) {}
    std::map<int, TChyba> zle;
    bool WriteAll(const std::string& p, const std::string& d) override {
        if (p == novy_ && Zlyha(++prepis_, false)) return false;
        return in_.WriteAll(p, d);
    }
    bool Rename(const std::string& a, const std::string& b) override {
        if (a == novy_ && Zlyha(prepis_, true)) return false;
        return in_.Rename(a, b);
    }
    int LastError() const override { return kod_; }

private:
    bool Zlyha(int prepis, bool naMieste) {
        auto it = zle.find(prepis);
        if (it == zle.end() || it->second.naMieste != naMieste) return false;
        kod_ = it->second.kod;
        return true;
    }
    const std::string novy_;
    int prepis_ = 0;
    int kod_ = 0;
};

// The errors handed to the program's error handler while it lives: the
// messages its standard error box would show, in order.
struct HlaseneChyby {
    std::vector<std::string> spravy;
    HlaseneChyby() {
        SetExceptionHandler([this](const std::string& m) { spravy.push_back(m); });
    }
    ~HlaseneChyby() { SetExceptionHandler(nullptr); }
    HlaseneChyby(const HlaseneChyby&) = delete;
    HlaseneChyby& operator=(const HlaseneChyby&) = delete;
};

constexpr int64_t kSekunda = 10000000;  // in the ticks of TFileStamp

}  // namespace vx::test
