// Mail notification of a call: the dispatch over SMTP (dialling the
// configured dial-up entry first when asked to), the retry queue Fronta and
// its timer, and the handlers of the dial-up component's events.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "base/clock.h"
#include "base/pump.h"
#include "monitor/core/dialup_api.h"
#include "monitor/core/premenne.h"
#include "monitor/core/smtp_client.h"

namespace vx {

class TMailNotifikacia {
public:
    using LogFn = std::function<void(const std::string&)>;
    TMailNotifikacia(TPremenne& p, IDialUp& dialUp, ITcpSocket& socket, ITimerFactory& timers, IMessagePump& pump,
                     IClock& clock, LogFn log);

    // One dispatch: Text is the new mail's subject, or "" for a retry of the
    // queue only. True when the last mail handed to the server was accepted
    // for every address.
    bool OdosliNotifikaciu(const std::string& Text);
    // Sends one mail to each configured address over the open connection.
    bool PosliMail(const std::string& Text);
    // Queues a new mail, or ("" ) counts a failed retry for every queued
    // mail; arms Timer6 while the queue holds mails.
    void ZaradDoFronty(const std::string& Text);

    void Timer6Timer();
    void Timer4Timer();
    void DialUp1Connect();
    void DialUp1Error(int ErrorCode, const std::string& ErrorMessage);
    void DialUp1AsyncEvent(int State, int Error, const std::string& MessageText);
    void DialUp1ActiveConnection(const std::string& EntryName);

    ITimer& Timer4() { return *timer4_; }  // time-out of a dial
    ITimer& Timer6() { return *timer6_; }  // retry of the queue

    // Hooks of the main window used by the retry.
    std::function<void()> ZatvorComm;          // take the serial port from polling and close it
    std::function<void()> ObnovPolling;        // hand it back: polling resumes if it is allowed now
    std::function<void(bool)> ZobrazVysledok;  // swNotif / swNotifErr from a retry's result
    std::function<std::string()> DatumMailu;   // value of the mail's Date header ("" leaves it out)

private:
    bool Odosli(const std::string& Text);
    bool Posli(const std::string& Text, unsigned& vybavene);
    // The slot the mail went into.
    int VlozDoFronty(const std::string& Text, unsigned vybavene = 0);
    void ZapocitajPokus(TPolozkaFronty& f);
    void ZapisPoruchu(TSmtpPorucha p);
    bool FrontaPrazdna() const;
    void Zapis(const std::string& line);
    void HangUpPoOdoslani();

    TPremenne& P;
    IDialUp& DialUp1;
    IMessagePump& pump_;
    LogFn log_;
    TSmtpKlient smtp_;
    std::unique_ptr<ITimer> timer4_, timer6_;
    bool dispatchBezi_ = false;     // a dispatch is under way (its waits let calls in)
    bool spojenieStratene_ = false; // the mail server went away during this dispatch
    bool odlozene_ = false;         // the last mail sent was refused for now for an address
    bool vPokuse_[20] = {};         // slots whose mail the running dispatch tries
};

}  // namespace vx
