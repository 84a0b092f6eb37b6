#include "logging/journal_placement.h"

#include <gtest/gtest.h>

#include <string>

namespace stillmon {
namespace {

JournalEntry entry(JournalKind kind, std::uint16_t record, std::string text) {
    return {"", record, "", kind, std::move(text)};
}

// Three runs appended to one log: the first ended at record 12 and the second followed it
// within seconds (its numbers run on, so only its journal tells); the second crashed without
// its end, so the numbers tell where the third began; the third's journal is lost.
TEST(JournalPlacement, SessionsFromTheJournalWhereItSpeaksAndFromTheNumbersElsewhere) {
    using K = JournalKind;
    JournalPlacement placement({
        entry(K::session_start, 0, "first"),
        entry(K::mark, 0, "early"),
        entry(K::mark, 11, "hearts"),
        entry(K::mark, 99, "never logged"),
        entry(K::session_end, 12, "exit status 0"),
        entry(K::session_start, 0, "second"),
        entry(K::mark, 13, "second's 13"),
        entry(K::mark, 600, "second's 600"),
    });
    struct Step {
        std::uint16_t record;
        bool by_numbers;
        bool starts;
        std::string texts;
    };
    const Step steps[] = {
        {10, false, true, "first early "},
        {11, false, false, "hearts "},
        {12, true, true, "exit status 0 "},  // a device restart within the run
        {13, false, true, "second second's 13 "},
        {14, false, false, ""},
        {500, true, true, ""},
        {600, false, false, ""},
    };
    for (const Step& step : steps) {
        const auto place = placement.next(step.record, step.by_numbers);
        std::string texts;
        for (const JournalEntry& each : place.entries) {
            texts += each.text + ' ';
        }
        EXPECT_EQ(place.starts_session, step.starts) << step.record;
        EXPECT_EQ(texts, step.texts) << step.record;
    }
    const auto left = placement.unplaced();
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[0].text, "never logged");
    EXPECT_EQ(left[1].text, "second's 600");
}

}  // namespace
}  // namespace stillmon
