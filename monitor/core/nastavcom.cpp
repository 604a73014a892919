#include "monitor/core/nastavcom.h"

#include "base/pascal.h"

namespace vx {

int BaudRateFromConfig(const std::string& b) {
    if (b == "br38400") return 38400;
    if (b == "br57600") return 57600;
    return 115200;
}

namespace {

bool IsRegistered(ILinkorBinding* l) {
    if (!l) return false;
    try {
        return l->AppIsRegistered();
    } catch (...) {
        return false;
    }
}

}  // namespace

void StopCapiIfRegistered(ILinkorBinding* l) {
    if (!l) return;
    try {
        if (l->AppIsRegistered()) l->StopCapi();
    } catch (...) {
    }
}

void NastavCOM(NastavComContext& c) {
    const TConfig& cfg = c.p.Config;
    c.view.ZmenIkonu("ON");
    c.view.Show(SourceItem::Zavolat, cfg.isCOM && cfg.COMdevice == "TODOS");

    if (cfg.isCAPI) {
        c.udp.SetActive(false);
        c.p.COMAktivny = false;
        c.view.Show(SourceItem::pumAktivuj, false);
        c.view.Show(SourceItem::pumDeaktivuj, false);
        c.view.Show(SourceItem::N3, false);
        c.view.Show(SourceItem::swLAN, false);
        c.view.Show(SourceItem::swCOMON, false);
        c.view.Show(SourceItem::swCOMOFF, false);
        if (c.linkor && !IsRegistered(c.linkor)) {
            try {
                c.linkor->StartCapi();
            } catch (...) {
            }
        }
        bool on = IsRegistered(c.linkor);
        c.view.Show(SourceItem::swCAPION, on);
        c.view.Show(SourceItem::swCAPIOFF, !on);
        c.view.ZmenIkonu(on ? "ON" : "OFF");
        if (c.linkor) {
            try {
                c.linkor->SetVoiceMailPlayFormat(0);
                c.linkor->SetVoiceMailRecordFormat(0);
                c.linkor->SetAudioFormat(0);
                c.linkor->SetPhoneConversation(false);
            } catch (...) {
                // The source is live; a property the control refuses does not change that.
            }
        }
    }

    if (cfg.isCOM) {
        StopCapiIfRegistered(c.linkor);
        c.udp.SetActive(false);
        c.view.Show(SourceItem::pumAktivuj, false);
        c.view.Show(SourceItem::pumDeaktivuj, true);
        c.view.Show(SourceItem::N3, true);
        c.view.Show(SourceItem::swLAN, false);
        c.view.Show(SourceItem::swCAPION, false);
        c.view.Show(SourceItem::swCAPIOFF, false);
        c.view.Show(SourceItem::swCOMON, true);
        c.view.Show(SourceItem::swCOMOFF, false);
        c.p.COMAktivny = false;
        Cakaj(c.pump, 500, 10);
        c.comm.Close();
        c.comm.SetBaudRate(BaudRateFromConfig(cfg.COMbaudrate));
        c.comm.SetDeviceName(cfg.COMport);
        c.p.COMAktivny = true;
        // A timer with no positive interval never fires, so no poll starts.
        c.timer100.SetEnabled(false);
        if (cfg.COMinterval > 0) {
            c.timer100.SetInterval(static_cast<uint32_t>(cfg.COMinterval));
            c.timer100.SetEnabled(true);
        }
    }

    if (cfg.isnet) {
        c.view.Show(SourceItem::swLAN, true);
        c.view.Show(SourceItem::swCAPION, false);
        c.view.Show(SourceItem::swCAPIOFF, false);
        c.view.Show(SourceItem::swCOMON, false);
        c.view.Show(SourceItem::swCOMOFF, false);
        c.p.COMAktivny = false;
        c.view.Show(SourceItem::pumAktivuj, false);
        c.view.Show(SourceItem::pumDeaktivuj, false);
        c.view.Show(SourceItem::N3, false);
        StopCapiIfRegistered(c.linkor);
        c.udp.SetPort(StrToInt(cfg.UDPserverport));
        c.udp.SetActive(true);
    }
}

}  // namespace vx
