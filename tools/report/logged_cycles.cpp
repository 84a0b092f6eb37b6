#include "report/logged_cycles.h"

#include <cmath>
#include <limits>
#include <utility>

#include "base/channel_table.h"
#include "logging/log_lines.h"
#include "logging/run_sessions.h"

namespace stillmon::report {

namespace {

constexpr double unknown = std::numeric_limits<double>::quiet_NaN();

}  // namespace

LoggedCycles::LoggedCycles(std::vector<JournalEntry> journal) : placement_(std::move(journal)) {
    // The logged valve and flow are the live cycle's averages already.
    parameters_.valve_window = 0;
    parameters_.flow_window = 0;
}

CycleRecord LoggedCycles::derive(TelemetryFrame frame, const CycleContext& context) {
    // Without a journal the placement takes the numbers' word.
    place_ = placement_.next(
        context.record_number,
        !previous_record_ ||
            starts_session(*previous_record_, context.record_number, context.interval_s));
    previous_record_ = context.record_number;
    if (place_.starts_session) {
        derived_ = DerivedValues{};
    }
    const CycleReadouts readouts = derive_cycle_values(frame, derived_, parameters_);
    return make_cycle_record(frame, derived_, readouts, context);
}

CycleRecord LoggedCycles::from_frame(const TelemetryFrame& logged, double interval_s,
                                     double proof) {
    CycleContext context;
    context.record_number = logged.record_number();
    context.device_time = compose_device_time_text(logged);
    context.interval_s = interval_s;
    context.proof = static_cast<float>(proof);
    return derive(logged, context);
}

CycleRecord LoggedCycles::from_line(const RecordLine& line) {
    TelemetryFrame frame;
    for (int c = 0; c < CycleRecord::temperature_count; ++c) {
        const auto at = static_cast<std::size_t>(c);
        // read_record_line took only values whose raw form fits 16 bits.
        frame[c] = static_cast<std::int16_t>(
            std::nearbyint(line.temperatures_c[at] * channel_table[at].divisor));
    }
    CycleContext context;
    context.record_number = line.record_number;
    context.device_time = line.device_time;
    context.interval_s = line.interval_s;
    context.proof = static_cast<float>(line.proof);
    CycleRecord record = derive(frame, context);
    for (int c = 0; c < CycleRecord::temperature_count; ++c) {
        const auto at = static_cast<std::size_t>(c);
        record.temperatures_c[at] = static_cast<float>(line.temperatures_c[at]);
    }
    record.valve = static_cast<float>(unknown);
    record.flow = static_cast<float>(unknown);
    return record;
}

}  // namespace stillmon::report
