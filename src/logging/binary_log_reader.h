#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string_view>
#include <vector>

#include "base/telemetry_frame.h"

namespace stillmon {

// One piece of a saved binary log: a whole record, or a stretch of bytes that holds none.
struct BinaryLogPiece {
    std::uint64_t offset = 0;             // of its first byte, counted from 0
    std::uint64_t length = 0;             // in bytes
    std::optional<TelemetryFrame> frame;  // the record's frame; nothing for a damaged stretch
    std::string_view fault;               // why a damaged stretch holds no record
};

// Reads a saved binary log (cycle_logs.h: "==", the record number in decimal, "$$", then the
// 38 frame bytes, taken by count) record by record in bounded memory. A record has no checksum:
// the one check it allows is that the number before its frame is the one its frame carries,
// which also finds the start of the next record after damage. Bytes that hold no whole record
// (a record cut short by a crash or by the end of the log, a frame that carries another
// number, anything else) make one damaged stretch up to the next whole record, however long:
// read through, never held.
class BinaryLogReader {
  public:
    // The longest record: "==65535$$" and the frame.
    static constexpr std::size_t longest_record = 9 + frame_size_bytes;

    explicit BinaryLogReader(std::FILE* stream);  // owns the stream
    ~BinaryLogReader();
    BinaryLogReader(const BinaryLogReader&) = delete;
    BinaryLogReader& operator=(const BinaryLogReader&) = delete;

    // Nothing once the log has ended, or reading failed.
    std::optional<BinaryLogPiece> next();
    // Reading ended on an error rather than at the end of the log: the system's error number.
    int read_error() const { return read_error_; }

  private:
    // Bytes held from the current position on, after reading until there are `wanted` of them
    // or the log ends.
    std::size_t available(std::size_t wanted);
    void advance(std::size_t bytes);
    // The length of "==digits$$" at the current position; 0 when there is none.
    std::size_t marker_length();
    // The length of the whole record at the current position, its frame in `frame`; 0 when
    // none starts there.
    std::size_t record_length(TelemetryFrame& frame);

    std::FILE* stream_;
    std::vector<std::uint8_t> buffer_;
    std::size_t position_ = 0;
    std::size_t filled_ = 0;
    std::uint64_t offset_ = 0;  // of the byte at position_
    bool ended_ = false;
    int read_error_ = 0;
};

}  // namespace stillmon
