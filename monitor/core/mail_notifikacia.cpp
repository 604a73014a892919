#include "monitor/core/mail_notifikacia.h"

#include "base/busy.h"
#include "base/pascal.h"

namespace vx {

TMailNotifikacia::TMailNotifikacia(TPremenne& p, IDialUp& dialUp, ITcpSocket& socket, ITimerFactory& timers,
                                   IMessagePump& pump, IClock& clock, LogFn log)
    : P(p), DialUp1(dialUp), pump_(pump), log_(std::move(log)), smtp_(socket, clock) {
    timer4_ = timers.CreateTimer();
    timer6_ = timers.CreateTimer();
    timer4_->SetEnabled(false);
    timer4_->SetInterval(60000);
    timer6_->SetEnabled(false);
    timer6_->SetInterval(60000);
    timer4_->OnTimer = [this] { Timer4Timer(); };
    timer6_->OnTimer = [this] { Timer6Timer(); };
    DialUp1.OnConnect = [this] { DialUp1Connect(); };
    DialUp1.OnError = [this](int c, const std::string& m) { DialUp1Error(c, m); };
    DialUp1.OnNotConnected = [this](int c, const std::string& m) { DialUp1Error(c, m); };
    DialUp1.OnAsyncEvent = [this](int s, int e, const std::string& t) { DialUp1AsyncEvent(s, e, t); };
    DialUp1.OnActiveConnection = [this](uintptr_t, const TRasConnStav&, const std::string&, const std::string& entry,
                                        const std::string&, const std::string&) { DialUp1ActiveConnection(entry); };
}

void TMailNotifikacia::Zapis(const std::string& line) {
    if (log_) log_(line);
}

bool TMailNotifikacia::FrontaPrazdna() const {
    for (const TPolozkaFronty& f : P.Fronta)
        if (!f.Text.empty()) return false;
    return true;
}

bool TMailNotifikacia::OdosliNotifikaciu(const std::string& Text) {
    if (dispatchBezi_) {
        // A call handled inside the waits of a running dispatch: its mail
        // waits in the queue; the running dispatch sends it or arms the retry.
        if (!Text.empty()) VlozDoFronty(Text);
        return false;
    }
    const TBusy straz(dispatchBezi_);
    spojenieStratene_ = false;
    bool vysledok = Odosli(Text);
    if (!FrontaPrazdna() && !timer6_->Enabled()) {
        timer6_->SetInterval(static_cast<uint32_t>(P.Config.repeatafter));
        timer6_->SetEnabled(true);
    }
    return vysledok;
}

bool TMailNotifikacia::Odosli(const std::string& Text) {
    const TConfig& c = P.Config;
    timer6_->SetEnabled(false);
    P.VytacaneTeraz = false;
    P.AktivneSpojenie = "";
    // The mails queued now are the ones this dispatch tries; a mail queued
    // while it waits (a call handled meanwhile) has had no attempt yet.
    for (int i = 0; i < 20; ++i) vPokuse_[i] = !P.Fronta[i].Text.empty();

    if (c.DUPconnection) {
        try {
            DialUp1.GetConnections();
        } catch (const std::exception&) {
            Zapis("Chyba pri zistovaní aktivnych DUP");
        }
        if (!P.AktivneSpojenie.empty()) Zapis("Zistene aktivne spojenie " + P.AktivneSpojenie);
        if (P.AktivneSpojenie != c.DUPname) {
            Zapis("Vytáčam spojenie " + c.DUPname);
            // Set before the dial: the component may report while Dial runs.
            P.VytacaneTeraz = true;
            P.SpojenieVytocene = true;
            P.DUPSpojene = false;
            P.DUPChyba = false;
            DialUp1.DialMode = TDialMode::dmAsync;
            DialUp1.Entry = c.DUPname;
            timer4_->SetEnabled(false);
            timer4_->SetInterval(60000);
            timer4_->SetEnabled(true);
            try {
                DialUp1.Dial();
            } catch (const std::exception&) {
                Zapis("Exception pri vytáčaní " + c.DUPname);
                timer4_->SetEnabled(false);
                P.SpojenieVytocene = false;
                ZaradDoFronty(Text);
                return false;
            }
            for (;;) {
                pump_.ProcessMessages();
                if (P.DUPSpojene || P.DUPChyba) break;
                pump_.Sleep(10);
            }
            timer4_->SetEnabled(false);
            if (P.DUPChyba) {
                Zapis("Vytočenie " + c.DUPname + " sa nepodarilo, koniec odosielania");
                try {
                    DialUp1.HangUp();
                } catch (const std::exception&) {
                    Zapis("Exception - Hang-Up " + c.DUPname + " po odoslaní");
                }
                P.SpojenieVytocene = false;
                ZaradDoFronty(Text);
                return false;
            }
            Zapis("Vytočenie " + c.DUPname + " úspešné");
        }
    }

    // A port that is not a number fails like a connection that cannot be
    // made, so a dialled connection is hung up and the mail kept.
    int32_t port = 0;
    bool portPlatny = TryStrToInt(c.SMTPport, port) && port > 0 && port <= 65535;
    Zapis("Connect na SMTP server " + c.SMTPaddress);
    if (!portPlatny || !smtp_.Connect(c.SMTPaddress, static_cast<uint16_t>(port))) {
        if (portPlatny) ZapisPoruchu(smtp_.Porucha());
        Zapis("Connect na SMTP server sa nepodaril");
        if (P.VytacaneTeraz) {
            try {
                DialUp1.HangUp();
                Zapis("Hang-Up " + c.DUPname +
                      " nakolko sa connect na SMTP server nepodaril, ukoncenie odosielania");
                P.SpojenieVytocene = false;
            } catch (const std::exception&) {
            }
        }
        ZaradDoFronty(Text);
        return false;
    }

    // A mail cut off by a broken connection, or refused for the time being
    // for an address, waits for the addresses that did not get it; those
    // that did are not mailed again. It waits for the next dispatch, not
    // for this one's pass over the queue.
    bool vysledok = false;
    int odlozeny = -1;
    if (!Text.empty()) {
        unsigned vybavene = 0;
        vysledok = Posli(Text, vybavene);
        if (spojenieStratene_ || odlozene_) odlozeny = VlozDoFronty(Text, vybavene);
    }
    for (int i = 0; i < 20; ++i) {
        if (spojenieStratene_) break;
        TPolozkaFronty& f = P.Fronta[i];
        if (f.Text.empty() || i == odlozeny) continue;
        std::string text = f.Text;
        unsigned vybavene = f.Vybavene;
        vysledok = Posli(text, vybavene);
        if (spojenieStratene_ || odlozene_) {
            f.Vybavene = vybavene;
            ZapocitajPokus(f);
        } else {
            f = TPolozkaFronty{};  // sent or refused: it leaves the queue
        }
    }

    if (!spojenieStratene_) {
        try {
            smtp_.Disconnect();
        } catch (const std::exception&) {
            Zapis("Exception pri disconnecte SMTP serveru");
        }
    } else {
        vysledok = false;
    }

    if (P.PoslednyVDavke && (P.VytacaneTeraz || P.SpojenieVytocene)) HangUpPoOdoslani();
    return vysledok;
}

void TMailNotifikacia::HangUpPoOdoslani() {
    const std::string& n = P.Config.DUPname;
    Zapis("Hang-Up " + n + " po odoslaní");
    try {
        DialUp1.HangUp();
    } catch (const std::exception&) {
        Zapis("Exception - Hang-Up " + n + " po odoslaní");
    }
}

bool TMailNotifikacia::PosliMail(const std::string& Text) {
    unsigned vybavene = 0;
    return Posli(Text, vybavene);
}

// Sends the mail to the keys not yet in `vybavene` and adds each one there
// once it is done with (sent or refused). A lost connection ends it with
// the rest left out.
bool TMailNotifikacia::Posli(const std::string& Text, unsigned& vybavene) {
    bool vysledok = true;
    odlozene_ = false;
    const std::string* kluce[] = {&P.Config.email1, &P.Config.email2, &P.Config.email3};
    for (unsigned k = 0; k < 3; ++k) {
        const unsigned bit = 1u << k;
        if (vybavene & bit) continue;
        const std::string a = *kluce[k];
        if (!a.empty()) {
            Zapis("Odosielanie mailu na adresu " + a + " s textom " + Text);
            try {
                TSmtpSprava m;
                m.Subject = Text;
                m.Recipients = a;
                if (DatumMailu) m.Date = DatumMailu();
                // A key may list several addresses; the server may refuse
                // some of them and take the mail for the rest.
                for (const std::string& odmietnuta : smtp_.Send(m)) {
                    vysledok = false;
                    Zapis("Chyba pri odoslani mailu na adresu " + odmietnuta + " s textom " + Text);
                }
            } catch (const ESmtpSpojenie& e) {
                ZapisPoruchu(e.Porucha);
                Zapis("Chyba pri odoslani mailu na adresu " + a + " s textom " + Text);
                spojenieStratene_ = true;
                return false;  // nothing more goes over a lost connection
            } catch (const ESmtpOdmietnutie& e) {
                vysledok = false;
                Zapis("Chyba pri odoslani mailu na adresu " + a + " s textom " + Text);
                // Refused for now (a busy or greylisting server): this key
                // gets the mail with the next try.
                if (e.Docasne) {
                    odlozene_ = true;
                    continue;
                }
            } catch (const Exception&) {
                vysledok = false;
                Zapis("Chyba pri odoslani mailu na adresu " + a + " s textom " + Text);
            }
        }
        vybavene |= bit;
    }
    return vysledok;
}

void TMailNotifikacia::ZapisPoruchu(TSmtpPorucha p) {
    if (p == TSmtpPorucha::CasVyprsal) Zapis("SMTP server neodpovedal včas");
    if (p == TSmtpPorucha::PrilisDlha) Zapis("Odpoveď SMTP servera je príliš dlhá");
}

int TMailNotifikacia::VlozDoFronty(const std::string& Text, unsigned vybavene) {
    Zapis("Zaradenie mailu " + Text + " po neúspešnom odoslaní do fronty");
    int slot = 19;
    for (int i = 0; i < 19; ++i)
        if (P.Fronta[i].Text.empty()) {
            slot = i;
            break;
        }
    P.Fronta[slot] = TPolozkaFronty{Text, 1, vybavene};
    vPokuse_[slot] = false;
    return slot;
}

void TMailNotifikacia::ZapocitajPokus(TPolozkaFronty& f) {
    ++f.Pokusy;
    Zapis("Notifikácia: " + IntToStr(f.Pokusy) + ". neúspešný pokus pre správu - " + f.Text);
    if (f.Pokusy >= P.Config.maxtries) {
        Zapis("Vymazanie správy z fronty: " + f.Text);
        f = TPolozkaFronty{};
    }
}

void TMailNotifikacia::ZaradDoFronty(const std::string& Text) {
    if (!Text.empty()) {
        VlozDoFronty(Text);
    } else {
        // Only the mails this dispatch tried count: one queued while it
        // waited has not been tried yet.
        for (int i = 0; i < 20; ++i)
            if (!P.Fronta[i].Text.empty() && (!dispatchBezi_ || vPokuse_[i])) ZapocitajPokus(P.Fronta[i]);
    }
    if (!FrontaPrazdna()) {
        timer6_->SetInterval(static_cast<uint32_t>(P.Config.repeatafter));
        timer6_->SetEnabled(true);
    }
}

void TMailNotifikacia::Timer6Timer() {
    timer6_->SetEnabled(false);
    if (FrontaPrazdna() || dispatchBezi_) return;
    // The port is lent to the dispatch, not switched off: a call source
    // chosen or a pause from the tray menu while the mail waits must hold
    // when the port is handed back.
    const bool com = P.Config.isCOM;
    if (com) {
        pump_.Sleep(500);
        if (ZatvorComm) ZatvorComm();
    }
    auto obnov = [&] {
        if (com && ObnovPolling) ObnovPolling();
    };
    bool r;
    try {
        Zapis("Opakovanie pokusu o odoslanie notifikácie");
        r = OdosliNotifikaciu("");
        if (ZobrazVysledok) ZobrazVysledok(r);
    } catch (...) {
        obnov();
        throw;
    }
    obnov();
}

void TMailNotifikacia::Timer4Timer() {
    P.DUPChyba = true;
    timer4_->SetEnabled(false);
    Zapis("Timeout pri vytáčaní spojenia");
}

void TMailNotifikacia::DialUp1Connect() { P.DUPSpojene = true; }

void TMailNotifikacia::DialUp1Error(int, const std::string&) {
    P.DUPChyba = true;
    Zapis("Chyba pri vytáčaní spojenia: DUP Error");
}

void TMailNotifikacia::DialUp1AsyncEvent(int, int Error, const std::string& MessageText) {
    if (MessageText == "Connected") P.DUPSpojene = true;
    if (Error != 0) {
        P.DUPChyba = true;
        Zapis("Chyba pri vytáčaní spojenia: " + IntToStr(Error) + " " + MessageText);
    }
}

void TMailNotifikacia::DialUp1ActiveConnection(const std::string& EntryName) {
    P.AktivneSpojenie = EntryName.substr(0, EntryName.find('\0'));
}

}  // namespace vx
