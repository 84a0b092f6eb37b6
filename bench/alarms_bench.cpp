#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "alarms/alarm_board.h"

namespace {

using namespace stillmon;

// Fifty alarms over every kind of value, half of them firing and repeating, evaluated after
// a cycle: what the main thread adds to each cycle with a large configuration.
void BM_AlarmBoardFiftyRulesAfterCycle(benchmark::State& state) {
    std::vector<AlarmRule> rules;
    for (int i = 0; i < 50; ++i) {
        AlarmRule rule;
        rule.name = "alarm-" + std::to_string(i);
        rule.value = static_cast<AlarmValue>(i % (static_cast<int>(AlarmValue::frame_age) + 1));
        rule.above = i % 2 == 0;
        rule.threshold = rule.clear = rule.above ? -1000.0 : 1000.0;  // fires from the start
        rule.for_s = 1.0;
        rule.repeat_s = 60.0;
        rules.push_back(rule);
    }
    AlarmBoard board(rules, 0.0, 0.0);
    CycleRecord record;
    record.has_stages = record.has_reflux_ratio = true;
    double now = 0.0;
    for (auto _ : state) {
        now += 0.85;
        ++record.record_number;
        record.temperatures_c[0] = static_cast<float>(record.record_number % 100);
        benchmark::DoNotOptimize(board.after_cycle(record, 0.4, now));
    }
}
BENCHMARK(BM_AlarmBoardFiftyRulesAfterCycle);

}  // namespace
