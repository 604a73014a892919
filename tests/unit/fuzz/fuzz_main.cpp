// libFuzzer's entry point for a program built from one target file.
#include <cstdio>
#include <cstdlib>

#include "fuzz_support.h"

// Before any input: a target built with other bytes than the product's
// texts would test another program.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::string rozdiel = vx::fuzz::RozdielKodovejStranky();
    if (!rozdiel.empty()) vx::fuzz::Broken("the texts are code page 1250", __FILE__, __LINE__, rozdiel);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static vx::fuzz::TTargetFn fn = [] {
        if (vx::fuzz::Targets().size() != 1) {
            std::fprintf(stderr, "a fuzz program holds exactly one target\n");
            std::abort();
        }
        return vx::fuzz::Targets()[0].fn;
    }();
    fn(data, size);
    return 0;
}
