#include "web/page_answers.h"

#include <gtest/gtest.h>

#include "web/loopback_host.h"
#include "web/serve_address.h"

namespace stillmon {
namespace {

TEST(ServeAddress, TakesAPortAloneOrAfterAnAddress) {
    const auto loopback = read_serve_address("8080");
    ASSERT_TRUE(loopback);
    EXPECT_EQ(page_url(*loopback), "http://127.0.0.1:8080/");
    EXPECT_EQ(page_url(*read_serve_address("0.0.0.0:80")), "http://0.0.0.0:80/");
    EXPECT_EQ(page_url(*read_serve_address("[::1]:0")), "http://[::1]:0/");
    // The host and port follow base/host_and_port's rule; an address needs its port.
    for (const char* bad : {"", "-1", "65536", "localhost", "[::1]"}) {
        EXPECT_FALSE(read_serve_address(bad)) << bad;
    }
}

struct Answers {
    Answers()
        : answers(
              view, {true, "3", "port 3", 2.0}, [this] { return now_s; }, encode) {}

    PageAnswer get(const std::string& path, std::optional<std::string> since = std::nullopt,
                   const std::string& method = "GET") {
        return answers.answer({method, path, std::move(since), 200, false, {}, {}});
    }

    LiveView view{100};
    double now_s = 10.0;
    int encodes = 0;
    PageAnswers::PictureEncoder encode = [this](const WindowPicture& picture) {
        ++encodes;
        return std::optional<std::string>(std::to_string(picture.width));
    };
    PageAnswers answers;
};

TEST(PageAnswers, RefusesWhatItDoesNotServe) {
    Answers page;
    EXPECT_EQ(page.get("/nothing").status, 404);
    EXPECT_EQ(page.get("/api/history", "12a").status, 400);
    EXPECT_EQ(page.get("/api/history", "-1").status, 400);
    EXPECT_EQ(page.get("/api/history", "").status, 400);
    const PageAnswer post = page.get("/", std::nullopt, "POST");
    EXPECT_EQ(post.status, 405);
    EXPECT_EQ(post.headers.back(), (std::pair<std::string, std::string>{"Allow", "GET, HEAD"}));
    EXPECT_EQ(page.answers.answer({"GET", "/", {}, 0, true, {}, {}}).status, 413);
    EXPECT_EQ(page.answers.answer({"GET", "/", {}, 8193, false, {}, {}}).status, 431);
    EXPECT_EQ(page.get("/window.png").status, 503);  // no picture yet
    EXPECT_EQ(page.get("/", std::nullopt, "HEAD").status, 200);
}

TEST(PageAnswers, APageOnLoopbackAnswersOnlyALoopbackHost) {
    for (const char* host : {"LocalHost:80", "127.200.3.4", "[::1]:80", "::1"}) {
        EXPECT_TRUE(names_loopback(host)) << host;
    }
    for (const char* host : {"", "localhost.evil.example", "127.0.0.1.nip.io", "128.0.0.1",
                             "127.0.0", "127.0.0.256", "[::1", "0.0.0.0"}) {
        EXPECT_FALSE(names_loopback(host)) << host;
    }
    EXPECT_FALSE(host_header_accepted("127.0.0.1", "evil.example:80"));
    EXPECT_TRUE(host_header_accepted("127.0.0.1", std::nullopt));  // HTTP/1.0
    EXPECT_TRUE(host_header_accepted("0.0.0.0", "evil.example"));  // served to the network
    Answers page;
    EXPECT_EQ(page.answers.answer({"GET", "/", {}, 0, false, "evil", "::1"}).status, 421);
}

TEST(PageAnswers, ServeTheViewsCyclesPictureAndLinkState) {
    Answers page;
    EXPECT_NE(page.get("/api/latest").body->find(R"("record":null,"link":{"arriving":false,)"),
              std::string::npos);
    for (int i = 1; i <= 3; ++i) {
        CycleRecord record;
        record.record_number = static_cast<std::uint16_t>(100 + i);
        record.timing_errors = i == 2 ? 1 : 0;
        page.view.publish_cycle(record, 7.0);
    }
    page.view.count_link_reopen();
    const std::string latest = *page.get("/api/latest").body;
    EXPECT_NE(latest.find(R"("index":3,"record":103,)"), std::string::npos) << latest;
    EXPECT_NE(latest.find(R"("link":{"arriving":false,"silent_s":3,"cycles":3,)"
                          R"("timing_errors":1,"reopens":1})"),
              std::string::npos)
        << latest;
    const std::string history = *page.get("/api/history", "1").body;
    EXPECT_EQ(history.find(R"("index":1,)"), std::string::npos);
    EXPECT_NE(history.find(R"("index":3,)"), std::string::npos);
    EXPECT_NE(history.find(R"(],"newest":3,"more":false})"), std::string::npos);

    const std::string metrics = *page.get("/metrics").body;
    EXPECT_NE(metrics.find("stillmon_record_number{port=\"3\"} 103\n"), std::string::npos);
    EXPECT_NE(metrics.find("stillmon_cycles_total{port=\"3\"} 3\n"), std::string::npos);
    EXPECT_NE(metrics.find("stillmon_last_frame_age_seconds{port=\"3\"} 3\n"), std::string::npos);

    // Each new copy of the window is encoded once, however often it is asked for.
    page.view.publish_picture({4, 1, {0, 1, 2, 3}});
    EXPECT_EQ(*page.get("/window.png").body, "4");
    EXPECT_EQ(*page.get("/window.png").body, "4");
    page.view.publish_picture({2, 1, {0, 1}});
    EXPECT_EQ(*page.get("/window.png").body, "2");
    EXPECT_EQ(page.encodes, 2);
}

TEST(PageAnswers, ServeTheAlarmsTheirMetricsAndTheChartsMarks) {
    Answers page;
    EXPECT_EQ(*page.get("/api/alarms").body, R"({"alarms":[],"marks":[]})");
    EXPECT_EQ(page.get("/metrics").body->find("alarm"), std::string::npos);

    page.view.publish_cycle({}, 7.0);
    for (const char* state : {"firing", "repeat", "acknowledged", "cleared"}) {
        page.view.note_alarm_change(
            {"hot", state, "critical", "steam", 81.5, 80.0, true, 12, "14:30:45_7", "T1"});
    }
    // A look's marks show only with its state.
    EXPECT_EQ(*page.get("/api/alarms").body, R"({"alarms":[],"marks":[]})");
    page.view.publish_alarms(
        {{"hot", "steam", "critical", "firing", 81.5, 80.0, true, "T0", true, 2},
         {"odd\"one", "tank", "warning", "normal", std::nullopt, -5.0, false, "", false, 0}});
    EXPECT_EQ(*page.get("/api/alarms").body,
              R"({"alarms":[{"name":"hot","value":81.5,"value_name":"steam","severity":"critical",)"
              R"("state":"firing","since":"T0","acknowledged":true,"threshold":80,"above":true,)"
              R"("fired_total":2,"condition":"steam 81.5 above 80"},{"name":"odd\"one",)"
              R"("value":null,"value_name":"tank",)"
              R"("severity":"warning","state":"normal","since":"","acknowledged":false,)"
              R"("threshold":-5,"above":false,"fired_total":0,"condition":null}],)"
              R"("marks":[{"alarm":"hot",)"
              R"("state":"firing","index":1,"record":12,"device_time":"14:30:45_7","time":"T1"},)"
              R"({"alarm":"hot","state":"cleared","index":1,"record":12,)"
              R"("device_time":"14:30:45_7","time":"T1"}]})");
    const std::string metrics = *page.get("/metrics").body;
    for (const char* line :
         {"# TYPE stillmon_alarm_firing gauge\n"
          "stillmon_alarm_firing{port=\"3\",alarm=\"hot\",severity=\"critical\"} 1\n"
          "stillmon_alarm_firing{port=\"3\",alarm=\"odd\\\"one\",severity=\"warning\"} 0\n",
          "# TYPE stillmon_alarms_fired counter\n"
          "stillmon_alarms_fired_total{port=\"3\",alarm=\"hot\"} 2\n"}) {
        EXPECT_NE(metrics.find(line), std::string::npos) << line << metrics;
    }

    // A flapping alarm keeps only the newest marks.
    for (std::uint16_t n = 1; n <= 300; ++n) {
        page.view.note_alarm_change({"a", "firing", "warning", "tank", {}, 0.0, true, n, "", ""});
        if (n % 7 == 0) {
            page.view.publish_alarms({});
        }
    }
    page.view.publish_alarms({});
    const auto marks = &page.view.alarms()->marks;
    ASSERT_EQ(marks->size(), LiveView::alarm_mark_capacity);
    EXPECT_EQ(marks->front().record_number, 300 - LiveView::alarm_mark_capacity + 1);
    EXPECT_EQ(marks->back().record_number, 300);
}

TEST(PageAnswers, ServeTheJournalItsRevisionAndTheMarksCount) {
    Answers page;
    page.view.add_journal_entry({"", 0, "T0", JournalKind::session_start, "stillmon 1.0"});
    page.view.publish_cycle({}, 7.0);
    page.view.publish_cycle({}, 8.0);
    page.view.add_journal_entry({"14:30:45_7", 12, "T1", JournalKind::mark, "\"caf\xe9\""});
    EXPECT_EQ(*page.get("/api/journal").body,
              R"({"entries":[{"index":1,"record":0,"device_time":"","wall_time":"T0",)"
              R"("kind":"session-start","text":"stillmon 1.0"},{"index":2,"record":12,)"
              R"("device_time":"14:30:45_7","wall_time":"T1","kind":"mark",)"
              R"("text":"\"caf\u00e9\""}],"dropped":0})");
    EXPECT_NE(page.get("/api/latest").body->find(R"("journal":2,)"), std::string::npos);
    EXPECT_NE(page.get("/metrics")
                  .body->find("# TYPE stillmon_marks counter\n"
                              "stillmon_marks_total{port=\"3\"} 1\n"),
              std::string::npos);
    // A journal over its capacity keeps the newest entries and counts the others.
    for (std::size_t n = 0; n < LiveView::journal_capacity; ++n) {
        page.view.add_journal_entry({"", 0, std::to_string(n), JournalKind::mark, ""});
    }
    const std::string full = *page.get("/api/journal").body;
    EXPECT_TRUE(
        full.starts_with(R"({"entries":[{"index":2,"record":0,"device_time":"","wall_time":"0",)"));
    EXPECT_TRUE(full.ends_with(R"(,"dropped":2})"));
}

}  // namespace
}  // namespace stillmon
