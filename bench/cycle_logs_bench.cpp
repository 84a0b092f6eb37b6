// What one live cycle's logging costs: the record and the line with their commit to the disk
// (flush and data sync of both logs), against the same bytes left in the stream buffers.
// The logs go to a directory under $TMPDIR (default /tmp), so the figure is that disk's.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "base/telemetry_frame.h"
#include "logging/cycle_logs.h"
#include "logging/log_lines.h"
#include "support/temp_directory.h"

namespace {

stillmon::TelemetryFrame typical_frame() {
    stillmon::TelemetryFrame frame;
    constexpr std::int16_t elements[] = {1250, 1400, 1420, 1560, 400, 410, 390,    300,    100, 200,
                                         300,  400,  1234, 25,   810, 96,  0x2D07, 0x0E1E, 1234};
    for (std::size_t i = 0; i < frame.elements.size(); ++i) {
        frame.elements[i] = elements[i];
    }
    return frame;
}

void BM_WriteCycleLogsCommitted(benchmark::State& state) {
    const stillmon::test_support::TempDirectory directory;
    stillmon::CycleLogs logs(
        directory.file("Bench3.dat"), directory.file("Bench3.bin"),
        [&state](std::string_view message) { state.SkipWithError(std::string(message).c_str()); });
    const stillmon::TelemetryFrame frame = typical_frame();
    const stillmon::ChannelLines lines = stillmon::compose_channel_lines(frame);
    for (auto _ : state) {
        benchmark::DoNotOptimize(logs.write_cycle_logs(frame, lines, 45.5f, 0.85));
    }
}
BENCHMARK(BM_WriteCycleLogsCommitted)->Unit(benchmark::kMicrosecond);

// The same bytes, composed the same way, into 8192-byte stream buffers that are flushed only
// when full: the cost a cycle's logging has without the commit.
void BM_WriteCycleLogsBuffered(benchmark::State& state) {
    const stillmon::test_support::TempDirectory directory;
    std::FILE* text = std::fopen(directory.file("Bench3.dat").c_str(), "ab");
    std::FILE* binary = std::fopen(directory.file("Bench3.bin").c_str(), "ab");
    if (text == nullptr || binary == nullptr) {
        state.SkipWithError("cannot open the scratch logs");
        return;
    }
    std::setvbuf(text, nullptr, _IOFBF, 8192);
    std::setvbuf(binary, nullptr, _IOFBF, 8192);
    const stillmon::TelemetryFrame frame = typical_frame();
    const stillmon::ChannelLines lines = stillmon::compose_channel_lines(frame);
    for (auto _ : state) {
        const std::string time_and_count = stillmon::compose_time_and_count_text(frame, 0.85);
        const auto record = stillmon::compose_binary_log_record(frame);
        std::string line = stillmon::compose_text_log_line(lines, 45.5f, time_and_count);
        line += "\r\n";
        std::fwrite(record.data(), 1, record.size(), binary);
        std::fwrite(line.data(), 1, line.size(), text);
        benchmark::DoNotOptimize(line);
    }
    std::fclose(text);
    std::fclose(binary);
}
BENCHMARK(BM_WriteCycleLogsBuffered)->Unit(benchmark::kMicrosecond);

}  // namespace
