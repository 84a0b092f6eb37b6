#pragma once

#include <string>
#include <vector>

namespace stillmon {

// Turns the bytes a terminal sends for key presses into operator keys: escape sequences for
// cursor, editing and function keys (as xterm, the Linux console and their relatives send
// them) into the same two-byte extended keys the window gives, CR, LF or CR LF into Enter,
// DEL into Backspace, UTF-8 into Latin-1 bytes. An Esc that no byte follows within the
// escape timeout is the Esc key itself; the reader then calls timeout().
class ConsoleKeyDecoder {
  public:
    static constexpr int escape_timeout_ms = 50;

    // Takes one byte and returns the keys it completes, usually none or one.
    std::vector<std::string> feed(char byte);

    // No byte came within the escape timeout (or the input ended): whatever is held back is
    // given out as the keys typed, a lone Esc as Esc.
    std::vector<std::string> timeout();

    // True while bytes are held back waiting for the rest of a sequence.
    bool pending() const { return state_ != State::ground; }

  private:
    enum class State { ground, escape, csi, overlong_csi, linux_function, ss3, utf8 };

    std::vector<std::string> finish_csi(char final_byte);
    std::vector<std::string> abandon_sequence(char byte);
    std::vector<std::string> feed_ground(char byte);

    State state_ = State::ground;
    std::string held_;          // bytes of the unfinished sequence, its lead byte first
    bool last_was_cr_ = false;  // CR LF is one Enter
};

}  // namespace stillmon
