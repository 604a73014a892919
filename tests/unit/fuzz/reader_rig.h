// One call-log reader on its own: the entries it stores from an adapter's
// reply and the calls it hands over. What every reader must hold: no CR, LF
// or NUL in a field it hands over or a line it logs, no more calls than
// entries, and no call marked as the last of its batch before its end.
#pragma once
#include <string>
#include <vector>

#include "base/testing/fakes.h"
#include "fuzz_support.h"
#include "monitor/core/adapter_readers.h"

namespace vx::fuzz {

struct TReaderRig : fake::VirtualTime {
    struct TVolanie {
        std::string called, calling, datum, cas;
        bool posledny;
    };
    TPremenne P;
    TSerialDialog D;
    std::vector<TVolanie> volania;
    std::vector<std::string> log;

    TReaderRig() { clock.now = DateTime{2026, 12, 10, 11, 0, 27, 0}; }
    TReaderContext Kontext() {
        return TReaderContext{P, D, clock, pump, [this](const std::string& l) { log.push_back(l); },
                              [this](const std::string& called, const std::string& calling) {
                                  volania.push_back({called, calling, P.Volanie.Datum, P.Volanie.Cas,
                                                     P.PoslednyVDavke});
                              }};
    }
    void Over(int zaznamov) const {
        VX_CHECK(static_cast<int>(volania.size()) <= zaznamov, "more calls than entries");
        for (const TVolanie& v : volania)
            for (const std::string* f : {&v.called, &v.calling, &v.datum, &v.cas})
                VX_CHECK(!MaZlom(*f), "a line break or NUL inside a handed-over field: " + Ukaz(*f));
        for (const std::string& l : log) VX_CHECK(!MaZlom(l), "a line break inside a log line: " + Ukaz(l));
        // The last entry marks its call last; an entry with an unreadable
        // date is not handed over, so a batch may end without one.
        for (size_t i = 0; i + 1 < volania.size(); ++i)
            VX_CHECK(!volania[i].posledny, "a call before the end of its batch is marked last");
    }
};

}  // namespace vx::fuzz
