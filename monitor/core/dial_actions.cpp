#include "monitor/core/dial_actions.h"

#include "base/pascal.h"

namespace vx {

namespace {

std::string Text(const TDialContext& c, int line) { return c.Texty ? c.Texty(line) : std::string(); }

void Zapis(const TDialContext& c, const std::string& line) {
    if (!c.Log) return;
    try {
        c.Log(line);
    } catch (...) {
    }
}

void ZatvorTicho(TDialContext& c) {
    try {
        c.Comm1.Close();
    } catch (...) {
    }
}

// Pauses polling and takes the port: a cycle under way gets 500 ms to
// finish; one that still awaits a reply is stopped, so it does not take the
// adapter's answer to our command for its own.
bool PrevezmiPort(TDialContext& c) {
    c.P.COMAktivny = false;
    Cakaj(c.Pump, 500, 10);
    c.Link.PozicajPort();
    try {
        c.Comm1.Open();
        return true;
    } catch (...) {
        return false;
    }
}

void VratPort(TDialContext& c) {
    ZatvorTicho(c);
    c.P.COMAktivny = true;
    c.Link.VratPort();
}

}  // namespace

void FormVytocenieCreate(TDialContext& c) {
    c.View.SetCaption(Text(c, 154));
    c.View.ShowZrusit(false);
    c.View.SetOznam(Text(c, 155) + c.PopisVytocenia);
    c.View.SetButtonCaptions(Text(c, 156), Text(c, 157));
}

void btVytocitClick(TDialContext& c) {
    c.View.ShowVytocit(false);
    c.View.ShowZrusit(true);
    c.View.SetOznam(Text(c, 158) + c.CisloNaVytocenie);
    if (!PrevezmiPort(c)) {
        c.View.SetOznam(Text(c, 159));
        Zapis(c, "CHYBA: Pri vytáčaní vynikla chyba pri otváraní portu ");
    }
    c.Link.PosliPrikaz102("AT%D" + c.CisloNaVytocenie + "\r\n", false);
    Zapis(c, "Vytočenie čísla " + c.CisloNaVytocenie);
    Cakaj(c.Pump, 300, 10);
    if (Pos("OK", c.Link.D.Odpoved) > 0) {
        c.View.SetOznam(Text(c, 160));
        Zapis(c, "Vytočenie čísla " + c.CisloNaVytocenie + " úspešné");
    } else {
        c.View.SetOznam(Text(c, 161));
        Zapis(c, "Vytočenie čísla " + c.CisloNaVytocenie + " neúspešné");
    }
    VratPort(c);
}

void btZrusitClick(TDialContext& c) {
    c.View.SetOznam(Text(c, 163));
    PrevezmiPort(c);  // a failed open shows nothing: the write below reports it
    c.Link.PosliPrikaz102("AT%H\r\n", false);
    Zapis(c, "Zrušenie volania");
    Cakaj(c.Pump, 300, 10);
    if (Pos("OK", c.Link.D.Odpoved) > 0) {
        c.View.SetOznam(Text(c, 164));
        Zapis(c, "Zrušenie volania úspešné");
    } else {
        c.View.SetOznam(Text(c, 159));
        Zapis(c, "Zrušenie volania neúspešné");
    }
    VratPort(c);
    c.View.EnableZrusit(false);
    Cakaj(c.Pump, 2000, 10);
    c.View.CloseWindow();
}

}  // namespace vx
