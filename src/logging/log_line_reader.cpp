#include "logging/log_line_reader.h"

#include <cerrno>
#include <cstring>

namespace stillmon {

namespace {
constexpr std::size_t block_bytes = 1 << 16;
}  // namespace

LogLineReader::LogLineReader(std::FILE* stream) : stream_(stream), buffer_(block_bytes) {}

LogLineReader::~LogLineReader() {
    if (stream_ != nullptr) {
        std::fclose(stream_);
    }
}

bool LogLineReader::refill() {
    if (stream_ == nullptr || read_error_ != 0) {
        return false;
    }
    errno = 0;
    filled_ = std::fread(buffer_.data(), 1, buffer_.size(), stream_);
    position_ = 0;
    if (filled_ == 0 && std::ferror(stream_)) {
        read_error_ = errno != 0 ? errno : EIO;
    }
    return filled_ > 0;
}

std::optional<LogLine> LogLineReader::next() {
    LogLine line;
    bool last_was_cr = false;
    while (position_ < filled_ || refill()) {
        const char* start = buffer_.data() + position_;
        const std::size_t available = filled_ - position_;
        const auto* end = static_cast<const char*>(std::memchr(start, '\n', available));
        const std::size_t taken =
            end != nullptr ? static_cast<std::size_t>(end - start) : available;
        line.length += taken;
        if (taken > 0) {
            last_was_cr = start[taken - 1] == '\r';
        }
        if (line.length > longest_kept) {
            line.too_long = true;
            line.text.clear();
        } else {
            line.text.append(start, taken);
        }
        position_ += taken;
        if (end != nullptr) {
            ++position_;
            line.ended = true;
            break;
        }
    }
    if (!line.ended && line.length == 0) {
        return std::nullopt;
    }
    if (line.ended && last_was_cr) {
        --line.length;
        if (!line.too_long) {
            line.text.pop_back();
        }
    }
    line.number = ++lines_;
    return line;
}

std::FILE* open_log_stream(const std::string& path, int& error) {
    std::FILE* stream = std::fopen(path.c_str(), "rb");
    if (stream != nullptr) {
        const int first = std::getc(stream);
        if (!std::ferror(stream)) {
            std::ungetc(first, stream);
            return stream;
        }
    }
    error = errno;
    if (stream != nullptr) {
        std::fclose(stream);
    }
    return nullptr;
}

}  // namespace stillmon
