#include "replay/replay_derivation.h"

#include <string_view>
#include <utility>

#include "base/numbers.h"
#include "logging/replay_record.h"
#include "process/cycle_record_builder.h"

namespace stillmon {

namespace {

// A logged field can be up to 4096 characters; a device time stamp is a dozen.
constexpr std::size_t longest_device_time = 31;

// "Proof= 12.5": the number after the equals sign.
float logged_proof(std::string_view field) {
    const auto equals = field.find('=');
    return equals == std::string_view::npos
               ? 0.0f
               : static_cast<float>(read_number(field.substr(equals + 1)));
}

}  // namespace

std::optional<ReplayedRecord> ReplayDerivation::next(TextLogReader& log,
                                                     const OperatorState& parameters,
                                                     const std::function<void()>& before_read) {
    TextLogRecord fields;
    while (true) {
        if (before_read) {
            before_read();
        }
        if (log.at_end()) {
            return std::nullopt;
        }
        fields = log.read_record();
        if (const auto count = logged_record_count(fields[12])) {
            last_record_count_ = *count;
        }
        if (last_record_count_ >= 1) {
            break;
        }
    }
    return derive(std::move(fields), static_cast<std::uint16_t>(last_record_count_), parameters);
}

ReplayedRecord ReplayDerivation::derive(TextLogRecord fields, std::uint16_t record_number,
                                        const OperatorState& parameters) {
    ReplayedRecord replayed;
    replayed.fields = std::move(fields);
    refill_frame_from_record(frame_, replayed.fields);
    replayed.readouts = derive_cycle_values(frame_, derived_, parameters);
    CycleContext context;
    context.record_number = record_number;
    context.device_time = replayed.fields[10].substr(0, longest_device_time);
    context.interval_s = read_number(replayed.fields[11]);
    context.proof = logged_proof(replayed.fields[9]);
    replayed.record = make_cycle_record(frame_, derived_, replayed.readouts, context);
    return replayed;
}

}  // namespace stillmon
