// Runs a fuzz target over files instead of generated inputs, so the targets build without
// libFuzzer and a committed corpus replays as an ordinary test. Arguments are files or
// directories (every regular file inside, in name order); an argument that yields no input
// at all fails, so a mistyped corpus path cannot pass as an empty success.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<std::filesystem::path> inputs_of(const std::filesystem::path& argument) {
    std::vector<std::filesystem::path> inputs;
    std::error_code error;
    if (std::filesystem::is_directory(argument, error)) {
        for (const auto& entry : std::filesystem::directory_iterator(argument, error)) {
            if (entry.is_regular_file(error)) {
                inputs.push_back(entry.path());
            }
        }
        std::sort(inputs.begin(), inputs.end());
    } else if (std::filesystem::is_regular_file(argument, error)) {
        inputs.push_back(argument);
    }
    return inputs;
}

bool run_file(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file),
                                  std::istreambuf_iterator<char>()};
    // A copy of exactly the file's size, as libFuzzer hands it over: reads past the end show.
    std::vector<std::uint8_t> input(bytes.begin(), bytes.end());
    LLVMFuzzerTestOneInput(input.data(), input.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR_OR_FILE...\n", argv[0]);
        return 2;
    }
    int passed = 0;
    for (int i = 1; i < argc; ++i) {
        const auto inputs = inputs_of(argv[i]);
        if (inputs.empty()) {
            std::fprintf(stderr, "no input in %s\n", argv[i]);
            return 1;
        }
        for (const auto& path : inputs) {
            if (!run_file(path)) {
                std::fprintf(stderr, "cannot read %s\n", path.c_str());
                return 1;
            }
            ++passed;
        }
    }
    std::printf("%d inputs replayed\n", passed);
    return 0;
}
