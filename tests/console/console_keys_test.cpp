#include "console/console_keys.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/key_codes.h"
#include "support/pseudo_terminal.h"

namespace stillmon {
namespace {

using namespace std::chrono_literals;

auto deadline() {
    return KeyQueue::Clock::now() + 10s;
}

class Pipe {
  public:
    Pipe() {
        std::array<int, 2> ends{};
        EXPECT_EQ(pipe2(ends.data(), O_CLOEXEC), 0);
        read_end = ends[0];
        write_end = ends[1];
    }
    ~Pipe() {
        close(read_end);
        close_writing();
    }
    void write_text(std::string_view text) const {
        ASSERT_EQ(write(write_end, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    void close_writing() {
        if (write_end >= 0) {
            close(write_end);
            write_end = -1;
        }
    }
    int read_end = -1;
    int write_end = -1;
};

std::vector<std::string> take(KeyQueue& keys, int count) {
    std::vector<std::string> taken;
    for (int i = 0; i < count; ++i) {
        auto key = keys.wait_pop(deadline());
        if (!key) {
            break;
        }
        taken.push_back(*key);
    }
    return taken;
}

TEST(ConsoleKeys, QueuesDecodedKeysFromItsInput) {
    Pipe input;
    KeyQueue keys;
    const auto reader = start_console_keys(keys, input.read_end);
    input.write_text("q1\x1B[A\n\x1B[24~");
    EXPECT_EQ(take(keys, 5),
              (std::vector<std::string>{"q", "1", std::string(key::up), std::string(key::enter),
                                        std::string(key::snapshot)}));
}

TEST(ConsoleKeys, GivesALoneEscOnceNothingFollowsIt) {
    Pipe input;
    KeyQueue keys;
    const auto reader = start_console_keys(keys, input.read_end);
    input.write_text("\x1B");
    EXPECT_EQ(keys.wait_pop(deadline()), std::string(key::escape));
    EXPECT_FALSE(reader->ended());
}

TEST(ConsoleKeys, EndsAtEndOfInputAfterTheLastKeys) {
    Pipe input;
    KeyQueue keys;
    const auto reader = start_console_keys(keys, input.read_end);
    input.write_text("7\x1B");
    input.close_writing();
    EXPECT_TRUE(reader->wait_until_ended(deadline()));
    EXPECT_EQ(keys.try_pop(), "7");
    EXPECT_EQ(keys.try_pop(), std::string(key::escape));
    EXPECT_FALSE(keys.try_pop().has_value());
}

TEST(ConsoleKeys, StopsWhenDestroyedWhileWaitingForInput) {
    Pipe input;
    KeyQueue keys;
    auto reader = start_console_keys(keys, input.read_end);
    input.write_text("a");
    ASSERT_EQ(keys.wait_pop(deadline()), "a");  // the reader's thread is now waiting
    auto destroyed = std::async(std::launch::async, [&reader] { reader.reset(); });
    EXPECT_EQ(destroyed.wait_for(10s), std::future_status::ready);
}

// The console on a terminal in the usual line mode, its keys typed at the device end.
class PseudoTerminal : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(console_.is_open());
        termios mode{};
        ASSERT_EQ(tcgetattr(terminal_, &mode), 0);
        mode.c_lflag |= ICANON | ECHO | ISIG;
        ASSERT_EQ(tcsetattr(terminal_, TCSANOW, &mode), 0);
    }
    termios mode() const {
        termios current{};
        EXPECT_EQ(tcgetattr(terminal_, &current), 0);
        return current;
    }
    void type(std::string_view text) {
        const std::vector<std::uint8_t> bytes(text.begin(), text.end());
        ASSERT_EQ(keyboard_.write_some(bytes), bytes.size());
    }

    test_support::DeviceTerminal keyboard_ = test_support::open_device_terminal();
    test_support::TerminalReader console_{keyboard_.slave_path(), /*set_raw_mode=*/false};
    int terminal_ = console_.fd();
};

TEST_F(PseudoTerminal, ReaderTakesKeysAsPressedWithoutEchoAndKeepsCtrlC) {
    KeyQueue keys;
    const auto reader = start_console_keys(keys, terminal_);
    const termios during = mode();
    EXPECT_EQ(during.c_lflag & ICANON, 0u);
    EXPECT_EQ(during.c_lflag & ECHO, 0u);
    EXPECT_NE(during.c_lflag & ISIG, 0u);
    // No line end needed: the key arrives on its own.
    type("5");
    EXPECT_EQ(keys.wait_pop(deadline()), "5");
    type("\x1B[B");
    EXPECT_EQ(keys.wait_pop(deadline()), std::string(key::down));
}

TEST_F(PseudoTerminal, ReaderPutsTheTerminalBackWhenItEnds) {
    {
        KeyQueue keys;
        const auto reader = start_console_keys(keys, terminal_);
        EXPECT_EQ(mode().c_lflag & ECHO, 0u);
    }
    const termios after = mode();
    EXPECT_NE(after.c_lflag & ICANON, 0u);
    EXPECT_NE(after.c_lflag & ECHO, 0u);
}

TEST_F(PseudoTerminal, RestoreConsoleModeWorksWithoutTheReadersDestructor) {
    KeyQueue keys;
    const auto reader = start_console_keys(keys, terminal_);
    restore_console_mode();
    EXPECT_NE(mode().c_lflag & ECHO, 0u);
    EXPECT_NE(mode().c_lflag & ICANON, 0u);
}

}  // namespace
}  // namespace stillmon
