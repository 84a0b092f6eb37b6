#pragma once

#include <filesystem>
#include <string>

namespace stillmon::test_support {

// A fresh directory under the system's temporary directory, removed with its contents.
class TempDirectory {
  public:
    TempDirectory();
    ~TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

std::string read_file_bytes(const std::string& path);

}  // namespace stillmon::test_support
