// Scratch folders and file helpers for tests that touch the file system.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace korvalt::testing {

// A fresh folder under the system's temporary directory, removed with all it
// holds when the object goes.
class TempDir {
  public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();

    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

  private:
    std::filesystem::path m_path;
};

void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path);

// Names of the entries of a folder, sorted; empty when it does not exist.
std::vector<std::string> ListFolder(const std::filesystem::path& folder);

// The path as korvalt-extract prints it.
std::string Utf8(const std::filesystem::path& path);

}  // namespace korvalt::testing
