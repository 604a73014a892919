// Each control gets its own CAPI engine, run on the thread that creates the
// control: the hidden hand-over window, the clock, TCapiCtrl and its voice
// path (voice-mail files and the phone-conversation sound object).
#include "capictrl/win32/engine.h"

#include "capictrl/win32/capihost_win32.h"
#include "capictrl/win32/voicepath_win32.h"

#include "capictrl/core/linkorbinding.h"

namespace vx {
namespace {

// The host and the clock are made before the engine and outlive it.
struct THostAndClock {
    TWin32CapiHost Host;
    TWin32SystemTime Clock;
};

class TWin32LinkorEngine : private THostAndClock, public TCapiCtrlEngine {
public:
    TWin32LinkorEngine() : THostAndClock(), TCapiCtrlEngine(Host, Clock) {
        AttachVoice(CreateWin32VoicePath(Ctrl(), Host));
    }
};

}  // namespace

std::unique_ptr<ILinkorEngine> CreateLinkorEngine() { return std::make_unique<TWin32LinkorEngine>(); }

}  // namespace vx
