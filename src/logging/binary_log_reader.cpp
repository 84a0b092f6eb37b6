#include "logging/binary_log_reader.h"

#include <cerrno>
#include <cstring>
#include <span>
#include <string>

namespace stillmon {

namespace {

constexpr std::size_t block_bytes = 1 << 16;
constexpr std::size_t most_digits = 5;  // 65535

}  // namespace

BinaryLogReader::BinaryLogReader(std::FILE* stream) : stream_(stream), buffer_(block_bytes) {}

BinaryLogReader::~BinaryLogReader() {
    if (stream_ != nullptr) {
        std::fclose(stream_);
    }
}

std::size_t BinaryLogReader::available(std::size_t wanted) {
    while (filled_ - position_ < wanted && !ended_) {
        if (position_ > 0) {
            std::memmove(buffer_.data(), buffer_.data() + position_, filled_ - position_);
            filled_ -= position_;
            position_ = 0;
        }
        errno = 0;
        const std::size_t read = stream_ == nullptr ? 0
                                                    : std::fread(buffer_.data() + filled_, 1,
                                                                 buffer_.size() - filled_, stream_);
        filled_ += read;
        if (read == 0) {
            ended_ = true;
            if (stream_ != nullptr && std::ferror(stream_)) {
                read_error_ = errno != 0 ? errno : EIO;
            }
        }
    }
    return filled_ - position_;
}

void BinaryLogReader::advance(std::size_t bytes) {
    position_ += bytes;
    offset_ += bytes;
}

std::size_t BinaryLogReader::marker_length() {
    const std::size_t held = available(longest_record);
    const std::uint8_t* at = buffer_.data() + position_;
    if (held < 2 || at[0] != '=' || at[1] != '=') {
        return 0;
    }
    std::size_t digits = 0;
    while (2 + digits < held && digits <= most_digits && at[2 + digits] >= '0' &&
           at[2 + digits] <= '9') {
        ++digits;
    }
    const std::size_t end = 2 + digits;
    if (digits == 0 || digits > most_digits || end + 2 > held || at[end] != '$' ||
        at[end + 1] != '$') {
        return 0;
    }
    return end + 2;
}

std::size_t BinaryLogReader::record_length(TelemetryFrame& frame) {
    const std::size_t marker = marker_length();
    if (marker == 0 || available(longest_record) < marker + frame_size_bytes) {
        return 0;
    }
    const std::uint8_t* at = buffer_.data() + position_;
    store_frame_bytes(frame, std::span(at + marker, frame_size_bytes));
    // Written as the live run writes it: no leading zeros, no sign.
    const std::string number = std::to_string(frame.record_number());
    if (number.size() != marker - 4 || std::memcmp(number.data(), at + 2, number.size()) != 0) {
        return 0;
    }
    return marker + frame_size_bytes;
}

std::optional<BinaryLogPiece> BinaryLogReader::next() {
    if (available(1) == 0) {
        return std::nullopt;
    }
    BinaryLogPiece piece;
    piece.offset = offset_;
    TelemetryFrame frame;
    if (const std::size_t length = record_length(frame); length > 0) {
        advance(length);
        piece.length = length;
        piece.frame = frame;
        return piece;
    }
    const std::size_t marker = marker_length();
    // Through to the next place a whole record starts, looking only where an "=" is.
    do {
        advance(1);
        const std::size_t held = available(1);
        const auto* equals =
            static_cast<const std::uint8_t*>(std::memchr(buffer_.data() + position_, '=', held));
        advance(equals == nullptr
                    ? held
                    : static_cast<std::size_t>(equals - (buffer_.data() + position_)));
    } while (available(1) > 0 && record_length(frame) == 0);
    piece.length = offset_ - piece.offset;
    if (marker == 0) {
        piece.fault = "no record marker (==N$$)";
    } else if (piece.length < marker + frame_size_bytes) {
        piece.fault = available(1) == 0 ? "cut short by the end of the log"
                                        : "cut short: the next record starts inside it";
    } else {
        piece.fault = "the frame carries another record number than its marker";
    }
    return piece;
}

}  // namespace stillmon
