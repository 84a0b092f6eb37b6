#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/cycle_record.h"
#include "web/run_summary.h"

namespace stillmon {

// The report of a saved run, built record by record: one HTML page that needs nothing beside
// it and no network. It shows the run's summary as a table and draws the live page's charts
// over the whole run, with the same chart script, styles and Chart.js, from the records
// inlined in the page as compact rows (record_json.h), which is all the memory it keeps.
class ReportPage {
  public:
    explicit ReportPage(std::string log_name) : log_name_(std::move(log_name)) {}

    void add(const CycleRecord& record);
    void count_skipped_line() { summary_.count_skipped_line(); }
    const RunSummary& summary() const { return summary_; }
    std::string html() const;

  private:
    std::string log_name_;
    RunSummary summary_;
    std::string rows_;  // the JSON rows so far, comma-separated
};

}  // namespace stillmon
