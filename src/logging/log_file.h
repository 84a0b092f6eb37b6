#pragma once

#include <string>
#include <string_view>

#include "base/error_lines.h"
#include "system/append_file.h"

namespace stillmon {

// One file a live run logs to, opened for appending and held exclusively: each piece reaches
// the disk whole or not at all (system/append_file.h). A file that cannot be opened (or that
// another stillmon holds) is reported once and left alone for the run; a write that fails is
// reported once, and once more when the file takes writes again. The run goes on in every
// case.
class LogFile {
  public:
    LogFile(std::string path, Say report_error);

    // True when the file was opened and holds nothing yet: a file with a header line needs it.
    bool opened_empty() const { return opened_empty_; }
    void append(std::string_view piece);
    void close() { file_.close(); }

  private:
    std::string path_;
    Say report_error_;
    AppendFile file_;
    bool opened_empty_ = false;
    bool failing_ = false;  // the last write failed and was reported
};

}  // namespace stillmon
