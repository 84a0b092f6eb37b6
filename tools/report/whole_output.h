#pragma once

#include <cstdio>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace stillmon::report {

// The outputs of a run while they are written: each goes to a temporary file beside its
// target and replaces it only once every output is complete, so that a run that fails or is
// interrupted leaves the files of those names as they were. Shared with the thread that
// takes an interrupt (system/ending_signals.h); each step that creates, moves or removes files
// holds the lock, so an interrupt never finds an output half moved into place.
class TemporaryOutputs {
  public:
    // Creates a file of a new name beside `target`, open for writing; null with the
    // system's error number in `error` when it cannot.
    std::FILE* create_beside(const std::string& target, std::string& temporary, int& error);
    // Removes a temporary not yet moved into place (nothing once it has been).
    void remove(const std::string& temporary);
    // Moves each temporary over its target. On a failure the rest are removed and the
    // target that failed is named in `failed_target`, with the error number in `error`.
    bool move_all_into_place(std::string& failed_target, int& error);
    // Called from the interrupt's thread: no output is moved into place after this.
    [[noreturn]] void remove_all_and_exit(int status);

  private:
    std::mutex files_mutex_;  // never unlocked once the process is ending
    std::vector<std::pair<std::string, std::string>> files_;  // temporary, target
};

// One output of the report. A plain file (or a name not taken yet) is written under a
// temporary name; anything else, such as /dev/stdout, directly. A failure is named on
// `errors` and leaves nothing behind.
class WholeOutput {
  public:
    WholeOutput(const std::string& path, TemporaryOutputs& temporaries, std::ostream& errors);
    ~WholeOutput();
    WholeOutput(const WholeOutput&) = delete;
    WholeOutput& operator=(const WholeOutput&) = delete;

    bool ok() const { return file_ != nullptr; }
    void write(std::string_view bytes);
    // True when every byte is written and the file closed; a temporary then waits for
    // TemporaryOutputs::move_all_into_place, and is removed with this object otherwise.
    bool finish();

  private:
    void remove_temporary();

    std::string path_;
    std::string temporary_;  // empty when written directly
    TemporaryOutputs& temporaries_;
    std::ostream& errors_;
    std::FILE* file_ = nullptr;
};

void report_error(std::ostream& errors, std::string_view what, const std::string& path, int reason);

}  // namespace stillmon::report
