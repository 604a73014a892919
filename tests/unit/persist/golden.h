// The control's stored descriptions that make_golden.py wrote for this test
// (golden.cmake), byte for byte.
#pragma once
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace vx {
namespace test {

inline std::string Golden(const std::string& name) {
    std::ifstream f(std::string(VX_GOLDEN_DIR) + "/" + name, std::ios::binary);
    EXPECT_TRUE(f.good()) << name;
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

}  // namespace test
}  // namespace vx
