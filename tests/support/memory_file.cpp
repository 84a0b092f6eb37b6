#include "support/memory_file.h"

#include <stdexcept>

namespace stillmon::test_support {

std::FILE* open_bytes_as_file(std::string_view bytes) {
    std::FILE* file = std::tmpfile();
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
        std::fseek(file, 0, SEEK_SET) != 0) {
        throw std::runtime_error("cannot write a temporary file");
    }
    return file;
}

}  // namespace stillmon::test_support
