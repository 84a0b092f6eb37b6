#include "logging/alarm_events_file.h"

#include <gtest/gtest.h>

#include "support/temp_directory.h"

namespace stillmon {
namespace {

// A second run appends to the first's file, without a second header.
TEST(AlarmEventsFile, AppendsOneLinePerChangeAfterOneHeader) {
    test_support::TempDirectory directory;
    const std::string path = alarm_events_path(directory.file("Run3.dat"));
    EXPECT_EQ(path, directory.file("Run3.events.csv"));
    for (int run = 0; run < 2; ++run) {
        AlarmEventsFile events(path, {});
        AlarmNotice notice{
            "steam-hot", "firing", "critical", "steam",      80.03125,
            80.0,        true,     1234,       "14:30:45_7", "2026-12-09T14:30:46+01:00"};
        events.write(notice);
        notice.state = "cleared";
        notice.value.reset();
        events.write(notice);
    }
    const std::string run =
        "14:30:45_7,1234,2026-12-09T14:30:46+01:00,steam-hot,firing,80.03\r\n"
        "14:30:45_7,1234,2026-12-09T14:30:46+01:00,steam-hot,cleared,\r\n";
    EXPECT_EQ(test_support::read_file_bytes(path),
              "device_time,record,time,alarm,state,value\r\n" + run + run);
}

}  // namespace
}  // namespace stillmon
