// Every fuzz target over its checked-in inputs: the seeds of corpus/<name>
// and the inputs that once broke it, regress/<name>. Built with the
// sanitizers, so a regression input fails here as it did under the fuzzer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "fuzz_support.h"

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> Subory(const fs::path& dir) {
    std::vector<fs::path> r;
    if (fs::is_directory(dir))
        for (const auto& e : fs::directory_iterator(dir))
            if (e.is_regular_file()) r.push_back(e.path());
    std::sort(r.begin(), r.end());
    return r;
}

// The bytes every target compares against are the product's; the fuzz
// programs check the same when they start.
TEST(FuzzReplay, TheTextsAreTheProductsCodePage1250Bytes) { EXPECT_EQ(vx::fuzz::RozdielKodovejStranky(), ""); }

TEST(FuzzReplay, EveryTargetOverItsSeedsAndRegressionInputs) {
    const fs::path koren = VX_FUZZ_DIR;
    ASSERT_GE(vx::fuzz::Targets().size(), 18u);
    std::set<std::string> mena;
    for (const auto& t : vx::fuzz::Targets()) {
        EXPECT_TRUE(mena.insert(t.name).second) << t.name;
        const auto seeds = Subory(koren / "corpus" / t.name);
        EXPECT_FALSE(seeds.empty()) << "no seeds for " << t.name;
        auto vstupy = seeds;
        const auto regress = Subory(koren / "regress" / t.name);
        vstupy.insert(vstupy.end(), regress.begin(), regress.end());
        for (const auto& p : vstupy) {
            std::ifstream f(p, std::ios::binary);
            const std::string d((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
            // Named before it runs: a sanitizer report or a broken invariant
            // ends the process.
            std::fprintf(stderr, "%s: %s\n", t.name, p.filename().string().c_str());
            t.fn(reinterpret_cast<const uint8_t*>(d.data()), d.size());
        }
        // The empty input too.
        t.fn(reinterpret_cast<const uint8_t*>(""), 0);
    }
}

}  // namespace
