#include "app/link_supervisor.h"

#include <deque>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace stillmon {
namespace {

// Records what the supervisor does to the link, in order.
class RecordingLink final : public DeviceLink {
  public:
    OpenResult open(const PortSettings& port) override {
        calls.push_back("open com" + std::to_string(port.port_number));
        return {
            link_error::cannot_open, "/dev/ttyACM2", "No such file or directory", false, {}, {}};
    }
    void close() override { calls.emplace_back("close"); }
    std::size_t read_frame(std::span<std::uint8_t, frame_size_bytes>, const ReadWaiting&) override {
        return 0;
    }
    void write_command_byte(std::uint8_t command) override {
        calls.push_back("write " + std::to_string(command));
    }
    bool has_unread_bytes() override { return unread; }
    std::vector<std::string> calls;
    bool unread = false;
};

struct Harness {
    explicit Harness(RunMode mode)
        : supervisor(mode, PortSettings{3}, state, &link,
                     {[this] { return now_s; },
                      [this](int ms) {
                          sleeps.push_back(ms);
                          now_s += ms / 1000.0;
                      },
                      [this](double wait_s) -> std::optional<std::string> {
                          key_waits.push_back(wait_s);
                          if (keys.empty()) {
                              return std::nullopt;
                          }
                          std::string next = keys.front();
                          keys.pop_front();
                          return next;
                      },
                      [this](int status) { quits.push_back(status); }, [this] { ++snapshots; },
                      [this](const auto& opened) { reopened_paths.push_back(opened.device_path); },
                      [this] { ++main_thread_wakes; }}) {}

    OperatorState state;
    RecordingLink link;
    double now_s = 100.0;
    std::vector<int> sleeps;
    std::vector<double> key_waits;
    std::deque<std::string> keys;
    std::vector<int> quits;
    int snapshots = 0;
    int main_thread_wakes = 0;
    std::vector<std::string> reopened_paths;  // the devices the re-opens tried
    LinkSupervisor supervisor;
};

TEST(LinkSupervisor, LeavesAHealthyLinkAlone) {
    Harness harness(RunMode::live);
    harness.state.last_frame_time_s.store(harness.now_s);
    harness.supervisor.run_pass();
    EXPECT_EQ(harness.sleeps, std::vector<int>{100});
    EXPECT_NEAR(harness.key_waits.at(0), 1.89, 1e-9);
    EXPECT_TRUE(harness.link.calls.empty());
}

TEST(LinkSupervisor, ReopensAStalledLinkOnEveryPassUntilAFrameCompletes) {
    Harness harness(RunMode::live);
    harness.state.last_frame_time_s.store(harness.now_s - 1.95);
    harness.link.unread = true;  // frames wait that came while the program was stopped
    harness.state.link_reset_requested.store(true);  // their pace made timing errors
    harness.supervisor.run_pass();
    EXPECT_TRUE(harness.link.calls.empty());

    harness.link.unread = false;
    harness.state.last_frame_time_s.store(harness.now_s - 1.95);
    harness.supervisor.run_pass();  // 2.05 s since the last frame: stalled
    EXPECT_EQ(harness.link.calls, (std::vector<std::string>{"close", "open com3"}));
    EXPECT_EQ(harness.sleeps, (std::vector<int>{100, 100, 500}));
    harness.supervisor.run_pass();
    EXPECT_EQ(harness.link.calls.size(), 4u);

    harness.state.last_frame_time_s.store(harness.now_s);  // a cycle completed
    harness.supervisor.run_pass();
    EXPECT_EQ(harness.link.calls.size(), 4u);
}

TEST(LinkSupervisor, ActsOnTheCyclesResetRequest) {
    Harness harness(RunMode::live);
    harness.state.last_frame_time_s.store(harness.now_s);
    harness.state.link_reset_requested.store(true);
    harness.supervisor.run_pass();
    EXPECT_EQ(harness.key_waits, std::vector<double>{0.0});
    EXPECT_EQ(harness.link.calls, (std::vector<std::string>{"close", "open com3"}));
    EXPECT_EQ(harness.reopened_paths, std::vector<std::string>{"/dev/ttyACM2"});
    EXPECT_FALSE(harness.state.link_reset_requested.load());
}

TEST(LinkSupervisor, ReplayHasNoLinkWatch) {
    Harness harness(RunMode::replay);
    harness.state.link_reset_requested.store(true);
    harness.supervisor.run_pass();
    EXPECT_EQ(harness.key_waits, std::vector<double>{LinkSupervisor::unwatched_wait_s});
    EXPECT_TRUE(harness.link.calls.empty());
}

TEST(LinkSupervisor, TakesOneKeyPerPass) {
    Harness harness(RunMode::replay);
    harness.keys = {"q", "q", "d"};
    harness.supervisor.run_pass();
    EXPECT_EQ(harness.state.valve_window.load(), 21);
    harness.supervisor.run_pass();
    EXPECT_EQ(harness.state.valve_window.load(), 22);
    harness.supervisor.run_pass();
    EXPECT_EQ(harness.link.calls, std::vector<std::string>{"write 100"});
}

TEST(LinkSupervisor, QuitAndSnapshotKeysReachThePlatform) {
    Harness harness(RunMode::live);
    harness.state.last_frame_time_s.store(harness.now_s + 1000);
    harness.keys = {"\xFF\x3C", "\xFF\x86", "x", "\x1B", "l"};
    harness.supervisor.run_pass();  // F2 without alarms: an ordinary key
    EXPECT_EQ(harness.state.entry_text(), "\xFF\x3C");
    harness.state.take_entry();
    harness.state.alarms_configured.store(true);
    harness.keys.push_back("\xFF\x3C");
    for (int pass = 0; pass < 5; ++pass) {
        harness.supervisor.run_pass();
    }
    EXPECT_EQ(harness.snapshots, 1);
    EXPECT_EQ(harness.main_thread_wakes, 1);  // F2: the alarms are the main thread's
    EXPECT_TRUE(harness.state.alarm_acknowledge_request.load());
    EXPECT_EQ(harness.quits, (std::vector<int>{55, 55}));
    EXPECT_EQ(harness.link.calls, std::vector<std::string>{"write 106"});
    EXPECT_EQ(harness.state.entry_text(), "");
}

}  // namespace
}  // namespace stillmon
