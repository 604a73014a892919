// vestrix.ini as any file (section 1): what reads without a conversion error
// is saved, read back and saved again. What must hold: the saved file reads
// without error into the same values (text values with their line breaks
// blanked, a device or speed the window cannot choose left out), and the
// second save gives the same bytes as the first.
#include "base/pascal.h"
#include "fuzz_support.h"
#include "monitor/core/config.h"

using namespace vx;
using namespace vx::fuzz;

namespace {
struct TRun : IRunKey {
    Result SetValue(const std::string&, const std::string&) override { return Ok; }
    Result DeleteValue(const std::string&) override { return Ok; }
};

std::string Porovnaj(const TConfig& a, const TConfig& b) {
    // Every value through the writer's own text, one key per line.
    return TextConfigu(a) == TextConfigu(b) ? std::string() : Ukaz(TextConfigu(a)) + "\n" + Ukaz(TextConfigu(b));
}
}  // namespace

VX_FUZZ_TARGET(config) {
    const TVstup in(data, size);
    TPamatoveSubory fs;
    const std::string ini = "C:\\Vestrix\\vestrix.ini";
    fs.subory[ini] = in[1];
    TConfig c;
    try {
        NacitajConfig(c, fs, ini);
    } catch (const EConvertError&) {
        // The lines before the bad one took effect; the rest still must save.
    }
    TRun run;
    TConfig precitane = c;
    ZapisConfig(c, precitane, fs, ini, run, "C:\\Vestrix\\Vestrix.exe");
    const std::string prvy = fs.Obsah(ini);
    VX_CHECK(prvy == TextConfigu(c), "the file is not the values' text");
    for (const std::string& r : Riadky(prvy)) VX_CHECK(r.find('=') != std::string::npos, Ukaz(r));
    const size_t n = Riadky(prvy).size();
    VX_CHECK(n >= 49 && n <= 51, "the file has " + std::to_string(n) + " lines");

    // Read back: the values as written.
    TConfig ocakavane = c;
    for (std::string* t : {&ocakavane.countryprefix, &ocakavane.SMTPaddress, &ocakavane.SMTPport, &ocakavane.email1,
                           &ocakavane.email2, &ocakavane.email3, &ocakavane.DUPname, &ocakavane.namemess1,
                           &ocakavane.namemess2, &ocakavane.namemess3, &ocakavane.PCIP1, &ocakavane.PCport1,
                           &ocakavane.PCIP2, &ocakavane.PCport2, &ocakavane.PCIP3, &ocakavane.PCport3,
                           &ocakavane.UDPserverport, &ocakavane.actionprogram1, &ocakavane.actioncalling1,
                           &ocakavane.actioncalled1, &ocakavane.actionprogram2, &ocakavane.actioncalling2,
                           &ocakavane.actioncalled2, &ocakavane.actionprogram3, &ocakavane.actioncalling3,
                           &ocakavane.actioncalled3, &ocakavane.COMport})
        *t = BlankLineBreaks(*t);
    const std::string rozdiel = Porovnaj(precitane, ocakavane);
    VX_CHECK(rozdiel.empty(), "read back differently:\n" + rozdiel);

    // Save, load, save: the same bytes. The program reads into its one
    // configuration, so a key the file leaves out keeps its value.
    TConfig znova = precitane;
    NacitajConfig(znova, fs, ini);
    TConfig druhe = znova;
    ZapisConfig(znova, druhe, fs, ini, run, "C:\\Vestrix\\Vestrix.exe");
    VX_CHECK(fs.Obsah(ini) == prvy, "the second save differs: " + Ukaz(prvy) + "\n" + Ukaz(fs.Obsah(ini)));
}
