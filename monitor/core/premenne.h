// Program-wide values of the monitor: the settings with their built-in
// defaults and the shared state of the call path. Touched only by the
// user-interface thread.
#pragma once
#include <cstdint>
#include <string>

#include "monitor/core/texty.h"

namespace vx {

// One field per key of vestrix.ini, named like the key, initialised with the
// built-in default. Listed in the order the writer puts the keys in the file.
struct TConfig {
    bool showhint = true;
    bool ring = true;
    bool cid = true;
    int32_t cidinterval = 10000;
    bool startminimized = false;
    std::string countryprefix = "00421";
    bool notify = false;
    std::string SMTPaddress = "127.0.0.1";
    std::string SMTPport = "25";
    std::string email1 = "";
    std::string email2 = "";
    std::string email3 = "";
    bool DUPconnection = false;
    std::string DUPname = "";
    int32_t maxtries = 3;
    int32_t repeatafter = 60000;
    bool messanger = false;
    std::string namemess1 = "";
    std::string namemess2 = "";
    std::string namemess3 = "";
    std::string PCIP1 = "";
    std::string PCport1 = "8888";
    std::string PCIP2 = "";
    std::string PCport2 = "8888";
    std::string PCIP3 = "";
    std::string PCport3 = "8888";
    std::string UDPserverport = "8888";
    bool acceptname = true;
    bool sendUDP = false;
    bool action = false;
    std::string actionprogram1 = "";
    std::string actioncalling1 = "";
    std::string actioncalled1 = "";
    std::string actionprogram2 = "";
    std::string actioncalling2 = "";
    std::string actioncalled2 = "";
    std::string actionprogram3 = "";
    std::string actioncalling3 = "";
    std::string actioncalled3 = "";
    bool history = true;
    bool cuthistory = true;
    int32_t maxrowshistory = 0;
    int32_t cutrowshistory = 0;
    bool isnet = false;
    bool isCAPI = true;
    bool isCOM = false;
    std::string COMdevice = "TODOS";
    std::string COMport = "Com2";
    std::string COMbaudrate = "br115200";
    int32_t COMinterval = 2000;
    bool startup = false;
};

// The current call.
struct TVolanie {
    std::string Cislo;        // calling number
    std::string VolaneCislo;  // called number, or the adapter's port text
    std::string Meno;         // name
    std::string Firma;        // firm or place
    std::string Datum;        // "dd.mm.yyyy"
    std::string Cas;          // "hh:mm:ss"
};

// The four switches that steer the call routine.
struct TPrepinace {
    bool notify = false;
    bool action = false;
    bool ring = false;
    bool cid = false;
};

// A 3Com call-log entry as the reader remembers it.
struct T3COMZaznam {
    std::string Cislo;
    std::string Datum;  // "dd-mm-yyyy"
    std::string Cas;    // "hh:mm"
    // Listed lines with these three fields that are passed: two calls from
    // one number within one minute are listed alike.
    int Vyskyty = 1;
    // The fields as the call routine stored them (the last-calls grid at
    // start): a number that is not a number as "anonymous", a ";" as a
    // blank. A listed line is then compared in that form.
    bool AkoOdovzdane = false;
};

// One slot of the mail retry queue; an empty Text is a free slot.
struct TPolozkaFronty {
    std::string Text;
    int Pokusy = 0;
    // Which of email1, email2, email3 (bits 0, 1, 2) are done with this
    // mail (it got there, or was refused for good) when a broken connection
    // or a refusal for the time being held it back; they are not mailed
    // again. The addresses themselves are read when the mail goes out.
    unsigned Vybavene = 0;
};

// A row of the serial device table.
struct TZariadenie {
    std::string Nazov;
    std::string Kod;
};

// Shared state of the call path.
struct TPremenne {
    TConfig Config;
    std::string CestaProgramu;  // program directory with its trailing backslash
    TVolanie Volanie;
    TTexty Texty;  // the language table, filled once at start-up
    TPrepinace Prepinace;
    bool PoslednyVDavke = true;  // the call handed over is the last of its batch
    bool COMAktivny = false;     // serial polling is allowed
    T3COMZaznam Posledny3COM, Aktualny3COM;
    TPolozkaFronty Fronta[20];
    TZariadenie Zariadenia[10];
    // Dial-up flags of the mail dispatch.
    bool VytacaneTeraz = false, SpojenieVytocene = false, DUPSpojene = false, DUPChyba = false;
    std::string AktivneSpojenie;  // entry name of the active connection reported last
    bool HistoriaObsadena = false;
    bool HistoriaOtvorena = false;
    bool PrveCitanie = true;
};

}  // namespace vx
