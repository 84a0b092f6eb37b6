#include "console/console_key_decoder.h"

#include <array>
#include <string_view>

#include "base/key_codes.h"
#include "base/latin1_text.h"

namespace stillmon {

namespace {

constexpr char escape_byte = '\x1B';
constexpr char delete_byte = '\x7F';
// Longest sequence kept; anything longer is no key press and is dropped.
constexpr std::size_t longest_sequence = 16;

struct FinalKey {
    char final_byte;
    std::string_view key;
};

// CSI sequences told apart by their final byte alone (the parameter, if any, only carries
// modifier keys).
constexpr std::array<FinalKey, 6> csi_final_keys{{
    {'A', key::up},
    {'B', key::down},
    {'C', key::right},
    {'D', key::left},
    {'H', key::home},
    {'F', key::end},
}};

struct NumberedKey {
    int number;
    std::string_view key;
};

// CSI n ~ sequences: the VT220 editing keys (with the rxvt and Linux console variants of
// Home and End).
constexpr std::array<NumberedKey, 8> csi_editing_keys{{
    {1, key::home},
    {7, key::home},
    {4, key::end},
    {8, key::end},
    {2, key::insert},
    {3, key::delete_key},
    {5, key::page_up},
    {6, key::page_down},
}};

struct NumberedFunction {
    int number;
    int function;
};

// CSI n ~ sequences of F1 to F12; the numbers skip 16 and 22.
constexpr std::array<NumberedFunction, 12> csi_function_keys{{
    {11, 1},
    {12, 2},
    {13, 3},
    {14, 4},
    {15, 5},
    {17, 6},
    {18, 7},
    {19, 8},
    {20, 9},
    {21, 10},
    {23, 11},
    {24, 12},
}};

struct Ss3Key {
    char final_byte;
    std::string_view key;
};

// SS3 sequences: cursor keys in application mode and the keypad in application mode.
constexpr std::array<Ss3Key, 24> ss3_keys{{
    {'A', key::up},  {'B', key::down},  {'C', key::right}, {'D', key::left}, {'H', key::home},
    {'F', key::end}, {'M', key::enter}, {'j', "*"},        {'k', "+"},       {'l', ","},
    {'m', "-"},      {'n', "."},        {'o', "/"},        {'p', "0"},       {'q', "1"},
    {'r', "2"},      {'s', "3"},        {'t', "4"},        {'u', "5"},       {'v', "6"},
    {'w', "7"},      {'x', "8"},        {'y', "9"},        {'X', "="},
}};

// F1 to F4 end in P, Q, R, S after SS3 (and after CSI when a modifier is held).
int function_number_of_pqrs(char final_byte) {
    if (final_byte >= 'P' && final_byte <= 'S') {
        return final_byte - 'P' + 1;
    }
    return 0;
}

// The leading number of a CSI parameter text such as "15" or "1;5"; -1 when there is none,
// or when the text holds a private marker that keys never send.
int leading_parameter(std::string_view parameters) {
    int number = -1;
    for (const char c : parameters) {
        if (c == ';') {
            break;
        }
        if (c < '0' || c > '9') {
            return -1;
        }
        number = (number < 0 ? 0 : number * 10) + (c - '0');
        if (number > 1000) {
            return -1;
        }
    }
    return number;
}

std::vector<std::string> one_key(std::string_view key) {
    return {std::string(key)};
}

}  // namespace

std::vector<std::string> ConsoleKeyDecoder::feed(char byte) {
    const bool after_cr = last_was_cr_;
    last_was_cr_ = false;

    switch (state_) {
        case State::ground:
            if (byte == '\n' && after_cr) {
                return {};
            }
            return feed_ground(byte);

        case State::escape:
            if (byte == '[') {
                state_ = State::csi;
                held_ += byte;
                return {};
            }
            if (byte == 'O') {
                state_ = State::ss3;
                held_ += byte;
                return {};
            }
            if (byte == escape_byte) {
                return one_key(key::escape);  // the second Esc may start a sequence
            }
            {
                // Esc followed by an ordinary key (as Alt+key arrives): both keys.
                state_ = State::ground;
                held_.clear();
                std::vector<std::string> keys = one_key(key::escape);
                for (auto& k : feed_ground(byte)) {
                    keys.push_back(std::move(k));
                }
                return keys;
            }

        case State::csi:
            if (held_.size() == 2 && byte == '[') {
                state_ = State::linux_function;
                held_ += byte;
                return {};
            }
            if (byte >= 0x20 && byte <= 0x3F) {
                if (held_.size() < longest_sequence) {
                    held_ += byte;
                } else {
                    state_ = State::overlong_csi;
                    held_.clear();
                }
                return {};
            }
            if (byte >= 0x40 && byte <= 0x7E) {
                return finish_csi(byte);
            }
            return abandon_sequence(byte);

        case State::overlong_csi:
            if (byte >= 0x20 && byte <= 0x3F) {
                return {};
            }
            if (byte >= 0x40 && byte <= 0x7E) {
                state_ = State::ground;  // its end: the whole sequence is dropped
                return {};
            }
            return abandon_sequence(byte);

        case State::linux_function: {
            state_ = State::ground;
            held_.clear();
            if (byte >= 'A' && byte <= 'E') {
                return {key::function_key(byte - 'A' + 1)};
            }
            return {};
        }

        case State::ss3: {
            state_ = State::ground;
            held_.clear();
            if (const int number = function_number_of_pqrs(byte); number > 0) {
                return {key::function_key(number)};
            }
            for (const auto& entry : ss3_keys) {
                if (entry.final_byte == byte) {
                    return one_key(entry.key);
                }
            }
            return {};
        }

        case State::utf8: {
            if ((static_cast<unsigned char>(byte) & 0xC0) != 0x80) {
                return abandon_sequence(byte);
            }
            held_ += byte;
            const auto needed = static_cast<std::size_t>(
                utf8_sequence_length(static_cast<unsigned char>(held_.front())));
            if (held_.size() < needed) {
                return {};
            }
            const std::string latin1 = latin1_from_utf8(held_);
            state_ = State::ground;
            held_.clear();
            if (latin1.empty()) {
                return {};
            }
            return {latin1};
        }
    }
    return {};
}

std::vector<std::string> ConsoleKeyDecoder::feed_ground(char byte) {
    const auto value = static_cast<unsigned char>(byte);
    if (byte == escape_byte) {
        state_ = State::escape;
        held_.assign(1, byte);
        return {};
    }
    if (byte == '\r' || byte == '\n') {
        last_was_cr_ = byte == '\r';
        return one_key(key::enter);
    }
    if (byte == delete_byte) {
        return one_key(key::backspace);
    }
    if (value < 0x80) {
        return {std::string(1, byte)};
    }
    if (utf8_sequence_length(value) == 0) {
        return {};
    }
    state_ = State::utf8;
    held_.assign(1, byte);
    return {};
}

std::vector<std::string> ConsoleKeyDecoder::finish_csi(char final_byte) {
    const std::string_view parameters = std::string_view(held_).substr(2);
    const int number = leading_parameter(parameters);
    const bool private_marker = !parameters.empty() && number < 0;
    state_ = State::ground;
    held_.clear();
    if (private_marker) {
        return {};
    }
    if (final_byte == '~') {
        for (const auto& entry : csi_editing_keys) {
            if (entry.number == number) {
                return one_key(entry.key);
            }
        }
        for (const auto& entry : csi_function_keys) {
            if (entry.number == number) {
                return {key::function_key(entry.function)};
            }
        }
        return {};
    }
    for (const auto& entry : csi_final_keys) {
        if (entry.final_byte == final_byte) {
            return one_key(entry.key);
        }
    }
    if (const int function = function_number_of_pqrs(final_byte); function > 0) {
        return {key::function_key(function)};
    }
    return {};
}

std::vector<std::string> ConsoleKeyDecoder::abandon_sequence(char byte) {
    // A sequence broken off by a byte that cannot continue it says nothing: drop it and read
    // the byte afresh.
    state_ = State::ground;
    held_.clear();
    return feed_ground(byte);
}

std::vector<std::string> ConsoleKeyDecoder::timeout() {
    std::vector<std::string> keys;
    switch (state_) {
        case State::ground:
            break;
        case State::utf8:
        case State::overlong_csi:
            break;  // an unfinished character, or a sequence already given up, is no key
        case State::escape:
        case State::csi:
        case State::linux_function:
        case State::ss3:
            // Nothing completed the sequence, so these were keys typed one by one.
            keys.emplace_back(key::escape);
            for (std::size_t i = 1; i < held_.size(); ++i) {
                keys.emplace_back(1, held_[i]);
            }
            break;
    }
    state_ = State::ground;
    held_.clear();
    return keys;
}

}  // namespace stillmon
