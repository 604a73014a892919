// libFuzzer entry point.
#include "dispatch_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CapiFuzzOneInput(data, size);
    return 0;
}
