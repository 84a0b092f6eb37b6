#pragma once

#include <string>
#include <string_view>
#include <system_error>

namespace stillmon {

// A log file that grows by whole pieces only. Each append reaches the disk complete (written
// and synced) or not at all: a piece that cannot be written whole is cut off again, so the
// file always ends with the last piece that made it, whatever a full disk did to this one.
// The file is held with an exclusive lock while it is open, so two programs never append to
// it at once. This is the operating-system side of the logs; a port swaps this file.
class AppendFile {
  public:
    // The open fails with this code when another program holds the file.
    static constexpr std::errc held_elsewhere = std::errc::device_or_resource_busy;

    AppendFile() = default;
    ~AppendFile() { close(); }
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Opens for appending, creating a missing file with the user's umask.
    std::error_code open(const std::string& path);
    bool is_open() const { return fd_ >= 0; }

    std::error_code append(std::string_view piece);

    void close();

  private:
    int fd_ = -1;
};

}  // namespace stillmon
