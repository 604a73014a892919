#include "monitor/core/koniec.h"

#include <string>

namespace vx {

void ZavriLog(TLog* log) {
    if (!log || log->Zavrety()) return;
    log->Add("Ukončenie programu Vestrix");
    log->Add(std::string(42, '-'));
    log->Zavri();
}

void KoniecRelacie(TLog* log, ILinkorBinding* linkor) {
    ZavriLog(log);
    StopCapiIfRegistered(linkor);
}

}  // namespace vx
