#include "base/error_lines.h"

#include <streambuf>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace stillmon {
namespace {

// A stream buffer without a buffer: each write reaches it as one call, as each of std::cerr's
// reaches the system.
class WriteRecorder final : public std::streambuf {
  public:
    std::vector<std::string> writes;
    int flushes = 0;

  protected:
    std::streamsize xsputn(const char* text, std::streamsize size) override {
        writes.emplace_back(text, static_cast<std::size_t>(size));
        return size;
    }
    int_type overflow(int_type c) override {
        writes.emplace_back(1, traits_type::to_char_type(c));
        return traits_type::not_eof(c);
    }
    int sync() override {
        ++flushes;
        return 0;
    }
};

// Another thread's line can only come between two writes: a line and its end in two would
// let it in before the line end.
TEST(SayLinesOn, WritesEachLineWithItsEndInOneWriteAndFlushes) {
    WriteRecorder recorder;
    std::ostream stream(&recorder);
    const Say say = say_lines_on(stream);
    say("stillmon: cannot open /dev/ttyACM2: No such file or directory; trying again");
    say("");
    EXPECT_EQ(recorder.writes,
              (std::vector<std::string>{
                  "stillmon: cannot open /dev/ttyACM2: No such file or directory; trying again\n",
                  "\n"}));
    EXPECT_EQ(recorder.flushes, 2);
}

}  // namespace
}  // namespace stillmon
