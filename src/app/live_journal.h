#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "base/cycle_record.h"
#include "base/journal_entry.h"
#include "logging/journal_file.h"

namespace stillmon {

// The journal file of a live run: each entry as it is made (main thread), and the run's end
// with its exit status at the last drawn record, said by whichever thread ends the process
// before the logs close. Nothing is written after the end: a mark made while the process ends
// would stand after it.
class LiveJournal {
  public:
    using WallTime = std::function<std::string()>;

    LiveJournal(std::string path, LogFile::ErrorReporter report_error, WallTime wall_time)
        : file_(std::move(path), std::move(report_error)), wall_time_(std::move(wall_time)) {}

    void record_drawn(const CycleRecord& record);
    void write(const JournalEntry& entry);
    // Any thread.
    void end(int exit_status);

  private:
    std::mutex mutex_;  // the main thread's entries and records against the end
    JournalFile file_;
    WallTime wall_time_;
    std::uint16_t record_number_ = 0;
    std::string device_time_;
    bool ended_ = false;
};

}  // namespace stillmon
