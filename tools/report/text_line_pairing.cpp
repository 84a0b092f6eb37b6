#include "report/text_line_pairing.h"

#include "logging/record_line.h"

namespace stillmon::report {

TextLinePairing::TextLinePairing(std::FILE* text_log) : reader_(text_log) {}

bool TextLinePairing::read_one_more() {
    std::string fault;
    while (const auto line = reader_.next()) {
        if (!line->ended || line->too_long) {
            continue;
        }
        if (auto record = read_record_line(line->text, fault)) {
            ahead_.push_back({record->record_number,
                              std::move(record->device_time),
                              {record->interval_s, record->proof}});
            return true;
        }
    }
    return false;
}

std::optional<TextLogValues> TextLinePairing::values_of(std::uint16_t record_number,
                                                        const std::string& device_time) {
    for (std::size_t i = 0; i < lines_ahead; ++i) {
        if (i == ahead_.size() && !read_one_more()) {
            return std::nullopt;
        }
        if (ahead_[i].record_number == record_number && ahead_[i].device_time == device_time) {
            const TextLogValues values = ahead_[i].values;
            ahead_.erase(ahead_.begin(), ahead_.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            return values;
        }
    }
    return std::nullopt;
}

}  // namespace stillmon::report
