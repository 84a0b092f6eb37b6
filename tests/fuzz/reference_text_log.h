#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "logging/text_log_reader.h"

namespace stillmon::fuzz {

// A second reading of the text-log field rules, over bytes in memory by index instead of a
// stream with look-ahead, written from the rules and not from TextLogReader. The fuzz
// targets run both over the same bytes and require the same fields.
//
// The rules: blanks and tabs before a field are skipped. A field that starts with a double
// quote runs to the next double quote (not stored), after which blanks and tabs are skipped
// and a comma or line end is consumed; a line end (LF, or CR LF) also ends it, and so does
// the end of the bytes. Any other field runs to a comma, a line end, or a CR alone (each
// consumed, not stored) or the end of the bytes. A field holds at most 4096 characters; after
// that, blanks and tabs are skipped and a comma or line end is consumed. Anything else,
// including a CR that no LF follows, is left to begin the next field.
class ReferenceTextLog {
  public:
    explicit ReferenceTextLog(std::string_view bytes) : bytes_(bytes) {}

    bool at_end() const { return position_ >= bytes_.size(); }
    std::size_t position() const { return position_; }

    std::string read_field() {
        std::string field;
        skip_blanks();
        if (at_end()) {
            return field;
        }
        const bool quoted = bytes_[position_] == '"';
        if (quoted) {
            ++position_;
        }
        while (true) {
            if (field.size() == TextLogReader::longest_field) {
                skip_blanks_and_one_delimiter();
                return field;
            }
            if (at_end()) {
                return field;
            }
            if (const std::size_t line_end = line_end_length(); line_end > 0) {
                position_ += line_end;
                return field;
            }
            const char c = bytes_[position_];
            if (quoted && c == '"') {
                ++position_;
                skip_blanks_and_one_delimiter();
                return field;
            }
            if (!quoted && (c == ',' || c == '\r')) {
                ++position_;
                return field;
            }
            field.push_back(c);
            ++position_;
        }
    }

    TextLogRecord read_record() {
        TextLogRecord record;
        for (auto& field : record) {
            field = read_field();
        }
        return record;
    }

  private:
    static bool is_blank(char c) { return c == ' ' || c == '\t'; }

    // 1 for LF, 2 for CR LF, 0 for anything else at the read position.
    std::size_t line_end_length() const {
        if (at_end()) {
            return 0;
        }
        if (bytes_[position_] == '\n') {
            return 1;
        }
        if (bytes_[position_] == '\r' && position_ + 1 < bytes_.size() &&
            bytes_[position_ + 1] == '\n') {
            return 2;
        }
        return 0;
    }

    void skip_blanks() {
        while (!at_end() && is_blank(bytes_[position_])) {
            ++position_;
        }
    }

    void skip_blanks_and_one_delimiter() {
        skip_blanks();
        if (!at_end() && bytes_[position_] == ',') {
            ++position_;
        } else {
            position_ += line_end_length();
        }
    }

    std::string_view bytes_;
    std::size_t position_ = 0;
};

}  // namespace stillmon::fuzz
