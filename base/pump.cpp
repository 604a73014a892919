#include "base/pump.h"

namespace vx {

void Cakaj(IMessagePump& pump, int total, int step) {
    if (step <= 0) return;
    for (int i = 0; i < total / step; ++i) {
        pump.Sleep(static_cast<uint32_t>(step));
        pump.ProcessMessages();
    }
}

}  // namespace vx
