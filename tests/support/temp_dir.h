#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

namespace testing_support {

// A folder of its own for one test, removed with everything in it.
class TempDir {
public:
    TempDir() {
        std::random_device device;
        std::mt19937_64 random(device());
        const auto root = std::filesystem::temp_directory_path();
        do {
            m_path = root / ("wbd_test_" + std::to_string(random()));
        } while (!std::filesystem::create_directory(m_path));
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::string File(std::string_view name) const { return (m_path / name).string(); }

    std::string Write(std::string_view name, std::string_view content) const {
        std::string path = File(name);
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

private:
    std::filesystem::path m_path;
};

} // namespace testing_support
