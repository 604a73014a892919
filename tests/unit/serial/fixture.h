// A virtual adapter link: fake port, view, log and call recorder on a
// virtual time line.
#pragma once
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/testing/fakes.h"
#include "monitor/core/adapter_link.h"
#include "monitor/core/dial_actions.h"
#include "monitor/core/serial_errors.h"
#include "listings.h"

namespace vx::test {

// The port: replies are scheduled on the virtual time line when a command
// is written, then handed over through OnRxChar like the event thread does.
class FakePort : public ISerialPort {
public:
    explicit FakePort(fake::FakeTimerFactory& f) : f_(f) {}
    void Open() override {
        if (openFails) throw EComError("Error 5 Access is denied. in function: CreateFile");
        if (!active) ++opens;
        active = true;
    }
    void Close() override {
        if (active) ++closes;
        active = false;
        if (closeFails) throw EComError("Error 6 The handle is invalid. in function: CloseHandle");
    }
    bool Active() const override { return active; }
    int WriteString(const std::string& s) override {
        if (!active || writeFails) throw EComError("Error 6 The handle is invalid. in function: WriteFile");
        written.push_back(s);
        if (responder)
            for (auto& [ms, bytes] : responder(s)) DeliverAfter(ms, bytes);
        return static_cast<int>(s.size());
    }
    std::string ReadString(int count) override {
        std::string r = rx.substr(0, static_cast<size_t>(count));
        rx.erase(0, r.size());
        return r;
    }
    void SetBaudrate(uint32_t b) override { baud = b; }
    void SetDeviceName(const std::string& n) override { device = n; }

    void Deliver(const std::string& bytes) {
        if (!active) return;  // nobody listens on a closed port
        rx += bytes;
        if (OnRxChar && !rx.empty()) OnRxChar(static_cast<int>(rx.size()));
    }
    void DeliverAfter(uint32_t ms, const std::string& bytes) {
        auto t = f_.CreateTimer();
        ITimer* raw = t.get();
        t->SetInterval(ms == 0 ? 1 : ms);
        t->OnTimer = [this, raw, bytes] {
            raw->SetEnabled(false);
            Deliver(bytes);
        };
        t->SetEnabled(true);
        deliveries_.push_back(std::move(t));
    }
    // Splits a reply into pieces of n bytes, one every ms milliseconds.
    static std::vector<std::pair<uint32_t, std::string>> Fragments(const std::string& s, size_t n,
                                                                   uint32_t ms, uint32_t first = 10) {
        std::vector<std::pair<uint32_t, std::string>> r;
        uint32_t at = first;
        for (size_t i = 0; i < s.size(); i += n, at += ms) r.push_back({at, s.substr(i, n)});
        return r;
    }

    bool active = false, openFails = false, writeFails = false, closeFails = false;
    int opens = 0, closes = 0;
    uint32_t baud = 0;
    std::string device, rx;
    std::vector<std::string> written;
    std::function<std::vector<std::pair<uint32_t, std::string>>(const std::string&)> responder;

private:
    fake::FakeTimerFactory& f_;
    std::vector<std::unique_ptr<ITimer>> deliveries_;
};

// A TODOS adapter: log newest first; "&U0" reads the first entry, "&U1" the
// next, "AT&U2" removes one entry (the newest); a dial command is accepted.
struct TodosAdapter {
    std::deque<std::string> log;
    size_t cursor = 0;
    uint32_t delay = 30;
    std::vector<std::pair<uint32_t, std::string>> operator()(const std::string& cmd) {
        if (cmd == "ATE0&K3&U0\r\n") {
            cursor = 0;
            return {{delay, cursor < log.size() ? log[cursor] : kTodosEmpty}};
        }
        if (cmd == "AT&K3&U1\r\n") {
            ++cursor;
            return {{delay, cursor < log.size() ? log[cursor] : kTodosEmpty}};
        }
        if (cmd == "AT&U2\r\n") {
            if (!log.empty()) log.pop_front();
            return {{delay, kTodosEmpty}};
        }
        if (cmd.rfind("AT%D", 0) == 0 || cmd == "AT%H\r\n") return {{delay, kTodosEmpty}};
        return {{delay, "\r\nERROR\r\n"}};
    }
};

class FakeView : public ISerialView {
public:
    bool COMONVisible() override { return comOn; }
    bool COMOFFVisible() override { return comOff; }
    void ShowCOMON(bool v) override { comOn = v; }
    void ShowCOMOFF(bool v) override { comOff = v; }
    void ZmenIkonu(const std::string& s) override { icons.push_back(s); }
    void ShowAktivuj(bool v) override { aktivuj = v; }
    void ShowDeaktivuj(bool v) override { deaktivuj = v; }
    bool comOn = true, comOff = false, aktivuj = false, deaktivuj = true;
    std::vector<std::string> icons;
};

class FakeDialView : public IDialView {
public:
    void SetCaption(const std::string& t) override { caption = t; }
    void SetOznam(const std::string& t) override { oznam.push_back(t); }
    void SetButtonCaptions(const std::string& v, const std::string& z) override {
        vytocitCaption = v;
        zrusitCaption = z;
    }
    void ShowVytocit(bool v) override { vytocit = v; }
    void ShowZrusit(bool v) override { zrusit = v; }
    void EnableZrusit(bool e) override { zrusitEnabled = e; }
    void CloseWindow() override { closed = true; }
    std::string caption, vytocitCaption, zrusitCaption;
    std::vector<std::string> oznam;
    bool vytocit = true, zrusit = true, zrusitEnabled = true, closed = false;
};

struct Call {
    std::string called, calling, datum, cas;
    bool posledny;
    bool operator==(const Call& o) const {
        return called == o.called && calling == o.calling && datum == o.datum && cas == o.cas &&
               posledny == o.posledny;
    }
};

inline std::ostream& operator<<(std::ostream& os, const Call& c) {
    return os << "{" << c.called << "|" << c.calling << "|" << c.datum << "|" << c.cas << "|"
              << c.posledny << "}";
}

// Everything a link needs, on one virtual time line.
struct LinkRig : fake::VirtualTime {
    TPremenne P;
    FakePort port{timers};
    FakeView view;
    std::vector<std::string> log;
    std::vector<Call> calls;
    std::function<void()> duringCall;  // runs inside each handed-over call
    std::unique_ptr<TAdapterLink> link;

    explicit LinkRig(const std::string& device) {
        clock.now = DateTime{2024, 6, 12, 14, 30, 27, 0};
        P.Config.COMdevice = device;
        P.Config.COMinterval = 2000;
        P.COMAktivny = true;
        link = std::make_unique<TAdapterLink>(
            P, port, timers, pump, clock, view, [this](const std::string& l) { log.push_back(l); },
            [this](const std::string& called, const std::string& calling) {
                // As the call routine does: the entry handed over is now seen.
                P.Posledny3COM = P.Aktualny3COM;
                calls.push_back({called, calling, P.Volanie.Datum, P.Volanie.Cas, P.PoslednyVDavke});
                if (duringCall) duringCall();
            });
        link->ArmTimer100();
    }
    void Run(uint32_t ms) { timers.Advance(ms); }
    int Count(const std::string& cmd) const {
        int n = 0;
        for (auto& w : port.written) n += w == cmd;
        return n;
    }
};

}  // namespace vx::test
