#include "support/temp_directory.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace stillmon::testing {

TempDirectory::TempDirectory() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "stillmon-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary directory");
    }
    path_ = pattern;
}

TempDirectory::~TempDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string read_file_bytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

}  // namespace stillmon::testing
