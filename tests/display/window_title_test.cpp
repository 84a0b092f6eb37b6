#include "display/window_title.h"

#include <string>

#include <gtest/gtest.h>

namespace stillmon {
namespace {

TEST(WindowTitle, NamesTheModeBeforeTheWebAddress) {
    EXPECT_EQ(window_title(RunMode::live, "https://a.example"),
              "USB CDC USART out to Graf on https://a.example");
    EXPECT_EQ(window_title(RunMode::replay, "https://a.example"),
              "Saved Log Data Out to Graf on https://a.example");
}

TEST(WindowTitle, KeepsAtMost127Characters) {
    struct Case {
        std::size_t length;
        std::size_t kept;
    };
    const Case cases[] = {{0, 0}, {1, 1}, {126, 126}, {127, 127}, {128, 127}, {400, 127}};
    for (const auto& c : cases) {
        std::string title;
        for (std::size_t i = 0; i < c.length; ++i) {
            title += static_cast<char>('a' + i % 26);
        }
        const std::string cut = cut_window_title(title);
        EXPECT_EQ(cut.size(), c.kept) << c.length;
        EXPECT_EQ(cut, title.substr(0, c.kept));
    }
}

TEST(WindowTitle, CutsALongWebAddressWithTheTitle) {
    const std::string address(200, 'w');
    const std::string title = window_title(RunMode::replay, address);
    ASSERT_EQ(title.size(), 127u);
    EXPECT_EQ(title.substr(0, 30), "Saved Log Data Out to Graf on ");
    EXPECT_EQ(title.substr(30), std::string(97, 'w'));
}

}  // namespace
}  // namespace stillmon
