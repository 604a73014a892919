// Runs the fuzz target without libFuzzer: a corpus of hand-made messages,
// every truncation of each, and a fixed series of random byte strings.
#include <gtest/gtest.h>

#include <random>

#include "../capi/capi_fakes.h"
#include "dispatch_target.h"

using namespace vx::fake;

namespace {

std::vector<Bytes> Corpus() {
    const Bytes nine = {'9', '0', '5', '1', '2', '3', '4', '5', '6'};
    const Bytes bc = {0x80, 0x90, 0xA3};
    auto ind = [&](uint16_t cip, const Bytes& calling) {
        return Msg(0x02, 0x82, 1, D(0x101) + W(cip) + S(B({0x80, '1'})) + S(calling) + S(B({})) + S(B({})) + S(bc) +
                                      S(B({})) + S(B({})) + S(B({})));
    };
    return {
        ind(16, B({0x21, 0x83}) + nine),
        ind(4, B({0x11})),
        ind(2, B({})),
        Msg(0x03, 0x82, 2, D(0x101) + S(B({0x01, 0xA0})) + S(B({})) + S(B({}))),
        Msg(0x82, 0x82, 3, D(0x10101) + S(B({}))),
        Msg(0x83, 0x82, 4, D(0x10101) + S(B({1, 2, 3}))),
        Msg(0x08, 0x82, 5, D(0x101) + W(0x0029) + S(B({24, 3, 15, 13, 45, 30}))),
        Msg(0x08, 0x82, 6, D(0x101) + W(0x0028) + S(Bytes(200, 'A'))),
        Msg(0x08, 0x82, 7, D(0x101) + W(0x8001) + S(B({}))),
        Msg(0x84, 0x82, 8, D(0x10101) + W(0x3301) + S(B({}))),
        Msg(0x04, 0x82, 9, D(0x101) + W(0x3490)),
        Msg(0x86, 0x82, 10, D(0x10101) + D(0) + W(2048) + W(1) + W(0) + Bytes(8, 0)),
        Msg(0x05, 0x81, 11, D(1) + W(0)),
        Msg(0x86, 0x81, 12, D(0x10101) + W(1) + W(0)),
    };
}

}  // namespace

TEST(CapiDispatchReplay, CorpusAndEveryTruncation) {
    for (uint8_t mode : {0, 1, 2, 3, 15}) {
        for (const Bytes& m : Corpus()) {
            for (size_t n = 0; n <= m.size(); ++n) {
                Bytes in = B({mode}) + Bytes(m.begin(), m.begin() + n);
                CapiFuzzOneInput(in.data(), in.size());
            }
        }
    }
    // All messages in one input, as a sequence.
    Bytes all = B({1});
    for (const Bytes& m : Corpus()) all = all + m;
    CapiFuzzOneInput(all.data(), all.size());
}

TEST(CapiDispatchReplay, RandomMessages) {
    std::mt19937 rng(20241);
    for (int i = 0; i < 20000; ++i) {
        size_t n = rng() % 64;
        Bytes in(n);
        for (auto& b : in) b = uint8_t(rng());
        // Mostly plausible headers: a known command and subcommand.
        static const uint8_t commands[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x08, 0x82, 0x83, 0x84, 0x86, 0x80};
        if (n >= 9) {
            in[3] = uint8_t(n - 1 - (rng() % 4));
            in[4] = 0;
            in[7] = commands[rng() % sizeof commands];
            in[8] = uint8_t(0x80 + rng() % 4);
        }
        CapiFuzzOneInput(in.data(), in.size());
    }
}
