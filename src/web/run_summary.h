#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/cycle_record.h"
#include "base/logged_clock.h"

namespace stillmon {

// A value of the run and the record it was found in (the first, when it came more than once).
struct RunPeak {
    double value = 0.0;
    std::uint16_t record_number = 0;
    std::string device_time;
};

// One run's session of a log that several runs appended to (logging/run_sessions.h).
struct RunSession {
    std::uint64_t first_index = 0;  // its first record's place among the log's records, from 1
    std::uint16_t first_record = 0;
    std::string first_device_time;
    std::uint64_t records = 0;
    std::optional<double> duration_s;  // by the device clock, as RunSummary::duration_s
};

// What a report says about a whole run, gathered record by record in constant memory.
class RunSummary {
  public:
    // The log's first record begins a session whatever `starts_session` says.
    void add(const CycleRecord& record, bool starts_session);

    std::uint64_t records() const { return records_; }
    // Lines of the log that held no whole record and were left out.
    void count_skipped_line() { ++skipped_lines_; }
    std::uint64_t skipped_lines() const { return skipped_lines_; }
    // As logged; empty before the first record.
    const std::string& first_device_time() const { return first_device_time_; }
    const std::string& last_device_time() const { return last_device_time_; }
    // By the device clock, which is what the start and end times show: the steps from each
    // readable time of day to the next within a session, each taken forward across midnight,
    // added up; the time between sessions, when no run logged, is not. Nothing before two
    // readable times in one session.
    std::optional<double> duration_s() const;
    // The longest interval logged after each session's first record: that one is measured
    // from its program's start, not from a frame before it.
    const std::optional<RunPeak>& longest_gap() const { return longest_gap_; }
    const std::optional<RunPeak>& highest_tank_temperature() const { return highest_tank_; }
    // Among the cycles whose vapour strength had a result (above 0).
    const std::optional<RunPeak>& highest_vapour_strength() const { return highest_vapour_; }
    // The fractional stage count, among the cycles that had one.
    const std::optional<RunPeak>& most_stages() const { return most_stages_; }
    const std::vector<RunSession>& sessions() const { return sessions_; }

  private:
    std::uint64_t records_ = 0;
    std::uint64_t skipped_lines_ = 0;
    std::string first_device_time_;
    std::string last_device_time_;
    std::optional<int> last_clock_s_;  // in the session so far
    std::vector<RunSession> sessions_;
    std::optional<RunPeak> longest_gap_;
    std::optional<RunPeak> highest_tank_;
    std::optional<RunPeak> highest_vapour_;
    std::optional<RunPeak> most_stages_;
};

}  // namespace stillmon
