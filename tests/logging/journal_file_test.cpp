#include "logging/journal_file.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "support/temp_directory.h"

namespace stillmon {
namespace {

// Two runs append to one journal: one header, and every text (a formula's first sign, commas,
// quotes, Latin-1) reads back as it was written.
TEST(JournalFile, TwoRunsAppendEntriesThatReadBackAsWritten) {
    test_support::TempDirectory directory;
    const std::string path = journal_path(directory.file("Run3.dat"));
    EXPECT_EQ(path, directory.file("Run3.journal.csv"));
    const std::vector<JournalEntry> run = {
        {"", 0, "2026-12-10T11:00:00+01:00", JournalKind::session_start, "stillmon 1.0 3"},
        {"14:30:45_7", 1234, "2026-12-10T11:20:00+01:00", JournalKind::mark, "=1+2"},
        {"14:30:46_7", 1235, "2026-12-10T11:20:01+01:00", JournalKind::mark, "a,\"b\" \xE9t\xE9"},
        {"14:30:47_7", 1236, "2026-12-10T11:20:02+01:00", JournalKind::mark, "'quoted"},
        {"14:30:48_7", 1237, "2026-12-10T11:20:03+01:00", JournalKind::session_end,
         "exit status 0"},
    };
    for (int each = 0; each < 2; ++each) {
        JournalFile journal(path, {});
        for (const JournalEntry& entry : run) {
            journal.write(entry);
        }
    }
    const std::string bytes = test_support::read_file_bytes(path);
    EXPECT_TRUE(bytes.starts_with(
        "device_time,record,wall_time,kind,text\r\n"
        ",0,2026-12-10T11:00:00+01:00,session-start,stillmon 1.0 3\r\n"
        "14:30:45_7,1234,2026-12-10T11:20:00+01:00,mark,'=1+2\r\n"
        "14:30:46_7,1235,2026-12-10T11:20:01+01:00,mark,\"a,\"\"b\"\" \xC3\xA9t\xC3\xA9\"\r\n"
        "14:30:47_7,1236,2026-12-10T11:20:02+01:00,mark,''quoted\r\n"));

    const JournalReading reading = read_journal(path);
    ASSERT_EQ(reading.entries.size(), 2 * run.size());
    EXPECT_EQ(reading.damaged_lines, 0);
    for (std::size_t i = 0; i < reading.entries.size(); ++i) {
        const JournalEntry& read = reading.entries[i];
        const JournalEntry& written = run[i % run.size()];
        EXPECT_EQ(read.device_time, written.device_time);
        EXPECT_EQ(read.record_number, written.record_number);
        EXPECT_EQ(read.wall_time, written.wall_time);
        EXPECT_EQ(read.kind, written.kind);
        EXPECT_EQ(read.text, written.text);
    }
}

TEST(JournalFile, RefusesControlCharactersAndPassesOverDamagedLines) {
    EXPECT_FALSE(journal_text_fault("hearts 2"));
    EXPECT_TRUE(journal_text_fault("two\tparts"));
    EXPECT_TRUE(journal_text_fault("\x85"));
    // An entry whose text was not typed has its control characters replaced.
    EXPECT_EQ(journal_csv_line({"", 0, "t", JournalKind::session_start, "a\nb"}),
              ",0,t,session-start,a?b");

    test_support::TempDirectory directory;
    const std::string path = directory.file("damaged.journal.csv");
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::fputs(
        "device_time,record,wall_time,kind,text\r\n1,2\r\nx,70000,t,mark,a\r\n"
        "x,1,t,note,a\r\nx,1,t,mark,\"open\r\nx,5,t,mark,kept\n",
        file);
    std::fclose(file);
    const JournalReading reading = read_journal(path);
    ASSERT_EQ(reading.entries.size(), 1u);
    EXPECT_EQ(reading.entries[0].text, "kept");
    EXPECT_EQ(reading.damaged_lines, 4);
}

}  // namespace
}  // namespace stillmon
