// libFuzzer's entry point for a program built from one target file.
#include <cstdio>
#include <cstdlib>

#include "fuzz_support.h"

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
