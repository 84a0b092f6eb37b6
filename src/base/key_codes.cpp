#include "base/key_codes.h"

namespace stillmon {

std::string key::function_key(int number) {
    const int code = number <= 10 ? 0x3A + number : 0x85 + (number - 11);
    return std::string{key::extended_lead, static_cast<char>(code)};
}

}  // namespace stillmon
