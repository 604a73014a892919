// What every fuzz target shares: registration, the input cut into sections,
// a file system in memory, and the checks that stop the run when something
// that must hold does not (libFuzzer then keeps the input as a crash).
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "base/files.h"

namespace vx::fuzz {

using TTargetFn = void (*)(const uint8_t* data, size_t size);
struct TTarget {
    const char* name;
    TTargetFn fn;
};
std::vector<TTarget>& Targets();
struct TRegistration {
    TRegistration(const char* name, TTargetFn fn) { Targets().push_back({name, fn}); }
};

// A broken invariant: what failed, where, and the values that show it.
[[noreturn]] void Broken(const char* what, const char* file, int line, const std::string& detail);

#define VX_FUZZ_TARGET(name)                                                   \
    static void FuzzTarget_##name(const uint8_t* data, size_t size);           \
    static ::vx::fuzz::TRegistration registration_##name(#name, FuzzTarget_##name); \
    static void FuzzTarget_##name(const uint8_t* data, size_t size)

#define VX_CHECK(cond, detail)                                                   \
    do {                                                                         \
        if (!(cond)) ::vx::fuzz::Broken(#cond, __FILE__, __LINE__, (detail)); \
    } while (0)

// The input as sections separated by the byte 0x1E (record separator), so
// one input carries a file, a datagram and a few settings at once. A
// section that is not there reads as empty.
class TVstup {
public:
    static constexpr char kOddelovac = '\x1e';
    TVstup(const uint8_t* data, size_t size);
    const std::string& operator[](size_t i) const;
    size_t Pocet() const { return casti_.size(); }
    // Byte i of section 0, the settings of the run (0 when missing).
    uint8_t Volba(size_t i) const;

private:
    std::vector<std::string> casti_;
};

// Empty when the texts the targets were built with are the product's code
// page 1250 bytes: the diacritics table of the product code and a literal
// of the target sources, each against its bytes written as escapes. Else
// what differs. (clang takes no -fexec-charset; its sources are converted.)
std::string RozdielKodovejStranky();

// Printable form of bytes for the messages of a broken invariant.
std::string Ukaz(const std::string& s);
std::string Ukaz(const std::vector<std::string>& v);
// CR, LF or NUL inside a text.
bool MaZlom(const std::string& s);
// The lines of a text as a text-file reader sees them.
std::vector<std::string> Riadky(const std::string& text);
// a is a prefix of b, line by line.
bool JePredponou(const std::vector<std::string>& a, const std::vector<std::string>& b);
// A log line's stamp: "dd.mm.yyyy hh:mm:ss  ".
bool MaPeciatku(const std::string& riadok);

// Files in memory, with the rules of the product's file system: a rename
// never replaces an existing file, a replace does.
class TPamatoveSubory : public IFileSystem {
public:
    std::map<std::string, std::string> subory;
    bool Exists(const std::string& p) override { return subory.count(p) > 0; }
    int64_t Size(const std::string& p) override;
    bool ReadAll(const std::string& p, std::string& out) override;
    bool WriteAll(const std::string& p, const std::string& d) override;
    int Append(const std::string& p, const std::string& d) override;
    bool Rename(const std::string& from, const std::string& to) override;
    bool Replace(const std::string& from, const std::string& to) override;
    bool Remove(const std::string& p) override { return subory.erase(p) > 0; }
    // The file's bytes, or "" when it is missing.
    std::string Obsah(const std::string& p) const;
};

}  // namespace vx::fuzz
