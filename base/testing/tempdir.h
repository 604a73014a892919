// A scratch directory for one test, removed with everything in it.
#pragma once
#include <filesystem>
#include <random>
#include <string>

namespace vx::fake {

class TempDir {
public:
    TempDir() {
        std::random_device rd;
        auto base = std::filesystem::temp_directory_path();
        for (;;) {
            path_ = base / ("vx" + std::to_string(rd()));
            if (std::filesystem::create_directory(path_)) break;
        }
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    // The directory with a trailing separator, ready to prepend to a file name.
    std::string Dir() const { return path_.string() + static_cast<char>(std::filesystem::path::preferred_separator); }
    std::string operator/(const std::string& name) const { return Dir() + name; }

private:
    std::filesystem::path path_;
};

}  // namespace vx::fake
