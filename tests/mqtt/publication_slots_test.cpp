#include "mqtt/publication_slots.h"

#include <gtest/gtest.h>

#include "mqtt/mark_event.h"

namespace stillmon {
namespace {

TEST(PublicationSlots, MarksWaitInABoundedQueueAsTheirEvents) {
    PublicationSlots slots({});
    for (std::size_t n = 0; n <= PublicationSlots::mark_capacity; ++n) {
        slots.hand_mark(std::to_string(n));
    }
    const std::vector<std::string> marks = slots.take_marks();
    ASSERT_EQ(marks.size(), PublicationSlots::mark_capacity);
    EXPECT_EQ(marks.front(), "1");  // the oldest went
    EXPECT_EQ(mark_event_json({"14:30:45_7", 1234, "T", JournalKind::mark, "\"caf\xe9\""}),
              R"({"event_type":"mark","text":"\"caf\u00e9\"","record":1234,)"
              R"("device_time":"14:30:45_7","wall_time":"T"})");
}

}  // namespace
}  // namespace stillmon
