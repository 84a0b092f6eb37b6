#include "app/main_thread_host.h"

#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "display/chart_window.h"

namespace stillmon {
namespace {

// A host on a headless window, its clock set by the test, the page's view beside it.
struct HostUnderTest {
    Surface surface{small_screen};
    HeadlessChartWindow window;
    WindowPresenter presenter{window, surface};
    OperatorState state;
    KeyQueue keys;
    LiveView view;
    double now_s = 100.0;
    std::ostringstream console;
    MainThreadHost host{{presenter, surface, state, keys, &view, [this] { return now_s; },
                         [](const Surface&, std::ostream&) { return true; }, console}};
};

// The page's copy of the window: taken whenever the main thread is about to wait, but at most
// every quarter second while cycles follow each other without a wait (a replay at full speed),
// and never for a picture that has not changed.
TEST(MainThreadHost, PublishesTheWindowsPictureAtMostFourTimesASecondBetweenWaits) {
    HostUnderTest at;
    LiveView& view = at.view;
    const auto serial = [&view] { return view.picture() ? view.picture()->serial : 0; };

    int colour = 1;
    const auto draw_cycle = [&](double at_s) {
        at.now_s = at_s;
        at.surface.set_pixel(0, 0, ++colour);
        at.host.cycle_drawn({});
    };
    draw_cycle(100.0);
    const std::uint64_t first = serial();
    EXPECT_NE(first, 0u);
    draw_cycle(100.1);
    draw_cycle(100.2);
    EXPECT_EQ(serial(), first);  // kept back within the quarter second
    draw_cycle(100.3);
    EXPECT_GT(serial(), first);
    const std::uint64_t second = serial();
    draw_cycle(100.35);
    at.host.wait_ms(1);  // about to wait: the newest picture goes out at once
    EXPECT_GT(serial(), second);
    const std::uint64_t third = serial();
    at.host.wait_ms(1);  // unchanged: nothing to copy
    EXPECT_EQ(serial(), third);
}

// Every consumer has a cycle's record before the alarms are looked at, so that the page marks
// a change at the cycle that made it; the look brings that change as a notice.
TEST(MainThreadHost, HandsEachCycleToItsConsumersThenTheLookAtTheAlarms) {
    HostUnderTest at;
    AlarmRule hot;
    hot.name = "steam-hot";
    hot.threshold = hot.clear = 80.0;
    AlarmBoard board({hot}, 0.0, 0.0);
    at.host.watch_alarms(board, false);
    std::vector<std::string> seen;
    for (const char* consumer : {"page", "mqtt"}) {
        at.host.outputs().on_each_cycle([&seen, consumer](const CycleRecord& record, double) {
            seen.push_back(consumer + std::to_string(record.record_number));
        });
    }
    at.host.outputs().on_each_alarm_look([&seen](const AlarmLook& look) {
        for (const AlarmNotice& notice : look.notices) {
            seen.push_back(notice.alarm + ' ' + notice.state +
                           std::to_string(notice.record_number));
        }
        seen.push_back("look");
    });
    CycleRecord record;
    record.record_number = 7;
    record.temperatures_c[3] = 80.6f;  // steam
    at.host.cycle_drawn(record);
    EXPECT_EQ(seen, (std::vector<std::string>{"page7", "mqtt7", "steam-hot firing7", "look"}));
}

// A mark stands at the latest drawn record (record 0 before any), "mark" when nothing was typed;
// a text with a control character is refused, said, and kept nowhere.
TEST(MainThreadHost, TakesMarksAtTheLatestDrawnRecord) {
    HostUnderTest at;
    std::vector<std::string> said;
    std::vector<JournalEntry> made;
    at.host.outputs().on_each_journal_entry([&made](const JournalEntry& e) { made.push_back(e); });
    at.host.take_marks([&said](std::string_view line) { said.emplace_back(line); },
                       [] { return std::string("2026-12-09T14:30:46+01:00"); });
    at.state.append_entry("=5");
    at.state.mark_entry();
    at.host.wait_ms(0);
    at.state.mark_entry();
    at.state.append_entry("a\tb");
    at.state.mark_entry();
    CycleRecord record;
    record.record_number = 7;
    record.device_time = "14:30:45_7";
    at.host.cycle_drawn(record);
    EXPECT_EQ(said, (std::vector<std::string>{
                        "stillmon: mark \"=5\" at record 0", "stillmon: mark \"mark\" at record 7",
                        "stillmon: the mark is not recorded: a mark's text cannot hold control "
                        "characters"}));
    ASSERT_EQ(made.size(), 2u);
    EXPECT_EQ(made[0].device_time, "");
    EXPECT_EQ(made[1].device_time, "14:30:45_7");
    EXPECT_EQ(made[1].wall_time, "2026-12-09T14:30:46+01:00");
    EXPECT_EQ(made[1].kind, JournalKind::mark);
}

}  // namespace
}  // namespace stillmon
