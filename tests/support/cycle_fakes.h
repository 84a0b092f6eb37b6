#pragma once

// The surroundings of an AcquisitionCycle without a device, a window or a wall clock, for the
// cycle's tests, the chart-window picture test and the display benchmark. Header only: the
// benchmark takes it without the test framework.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <span>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

#include "app/cycle_host.h"
#include "base/telemetry_frame.h"
#include "link/device_link.h"

namespace stillmon::test_support {

// A clock that moves only when the cycle waits or a frame arrives.
class FakeHost final : public CycleHost {
  public:
    double now_s() override { return now; }
    void wait_ms(int duration_ms) override {
        waits.push_back(duration_ms);
        now += duration_ms / 1000.0;
        if (after_wait) {
            after_wait(waits.size());
        }
    }
    void wait_for_wake_up() override {}
    void keep_window_live() override { ++window_services; }
    void wake_up() override {}
    void wake_supervisor() override { ++supervisor_wakes; }
    void cycle_drawn(const CycleRecord& record) override {
        ++cycles_drawn;
        last_record = record;
    }

    double now = 0.0;
    std::vector<int> waits;
    std::function<void(std::size_t waits)> after_wait;  // plays the supervisor
    int supervisor_wakes = 0;
    int cycles_drawn = 0;
    int window_services = 0;  // between reads that drew nothing
    std::optional<CycleRecord> last_record;
};

// Delivers queued reads: each ends a set time after it starts, with a frame or (as when the
// supervisor's close releases it) without one. A read with nothing queued is a fault of the
// test: a live cycle would wait for a frame forever.
class FakeLink final : public DeviceLink {
  public:
    explicit FakeLink(FakeHost& host) : host_(host) {}

    OpenResult open(const PortSettings&) override { return {}; }
    void close() override {}
    std::size_t read_frame(std::span<std::uint8_t, frame_size_bytes> into,
                           const ReadWaiting&) override {
        if (arrivals.empty()) {
            throw std::logic_error("the cycle read more often than frames were queued");
        }
        auto [delay_s, frame] = arrivals.front();
        arrivals.pop_front();
        host_.now += delay_s;
        if (!frame) {
            return 0;
        }
        const auto bytes = frame_bytes(*frame);
        std::copy(bytes.begin(), bytes.end(), into.begin());
        return frame_size_bytes;
    }
    void write_command_byte(std::uint8_t) override {}
    bool has_unread_bytes() override { return false; }

    void queue(double delay_s, const TelemetryFrame& frame) {
        arrivals.emplace_back(delay_s, frame);
    }

    void queue_no_frame(double delay_s) { arrivals.emplace_back(delay_s, std::nullopt); }

    std::deque<std::pair<double, std::optional<TelemetryFrame>>> arrivals;

  private:
    FakeHost& host_;
};

}  // namespace stillmon::test_support
