#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

namespace stillmon::fuzz {

// A read-only stream over a copy of the input, for TextLogReader, which owns and closes it.
// fmemopen wants a writable buffer, and an empty one may be refused: then there is no
// stream, which the reader takes as a log at its end, just as an empty file.
class MemoryStream {
  public:
    MemoryStream(const std::uint8_t* data, std::size_t size) : bytes_(data, data + size) {
        bytes_.push_back(0);  // never an empty vector, so data() is never null
    }

    std::FILE* open() { return ::fmemopen(bytes_.data(), bytes_.size() - 1, "rb"); }

  private:
    std::vector<char> bytes_;
};

}  // namespace stillmon::fuzz
