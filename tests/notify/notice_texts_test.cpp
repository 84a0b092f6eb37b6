#include "notify/notice_texts.h"

#include <gtest/gtest.h>

namespace stillmon {
namespace {

AlarmNotice notice(std::string state, std::string severity, std::optional<double> value) {
    return {"steam-hot", std::move(state), std::move(severity),        "steam", value, 80.0, true,
            1234,        "14:30:45_7",     "2026-12-09T14:30:46+01:00"};
}

// Each target gets the same notice in its own words; a receiver parses them strictly, and a
// phone rings as loud as the priority says.
TEST(NoticeTexts, JsonNtfyAndEnvironmentOfEachKindOfNotice) {
    struct Case {
        AlarmNotice notice;
        std::string json_value;  // as the JSON and the environment hold it
        NtfyMessage ntfy;
    };
    const Case cases[] = {
        // The device's float 80.6, not the double it widens to.
        {notice("firing", "critical", static_cast<double>(80.6f)),
         "80.6",
         {"stillmon: steam-hot firing", "urgent", "rotating_light",
          "steam-hot firing: steam 80.6 above 80"}},
        {notice("repeat", "warning", 81.25),
         "81.25",
         {"stillmon: steam-hot still firing", "high", "warning",
          "steam-hot still firing: steam 81.3 above 80"}},
        {notice("cleared", "critical", std::nullopt),
         "",
         {"stillmon: steam-hot cleared", "default", "white_check_mark",
          "steam-hot cleared: steam unknown"}},
    };
    const NoticeOrigin origin{"3", "my \"still\"\n"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.notice.state);
        EXPECT_EQ(notice_json(c.notice, origin),
                  R"({"alarm":"steam-hot","state":")" + c.notice.state + R"(","severity":")" +
                      c.notice.severity + R"(","value":)" +
                      (c.json_value.empty() ? "null" : c.json_value) +
                      R"(,"threshold":80,"record":1234,"device_time":"14:30:45_7",)"
                      R"("time":"2026-12-09T14:30:46+01:00","port":"3",)"
                      R"("log":"my \"still\"\u000a"})");
        const NtfyMessage ntfy = ntfy_message(c.notice);
        EXPECT_EQ(ntfy.title, c.ntfy.title);
        EXPECT_EQ(ntfy.priority, c.ntfy.priority);
        EXPECT_EQ(ntfy.tags, c.ntfy.tags);
        EXPECT_EQ(ntfy.body, c.ntfy.body);
        const std::vector<std::pair<std::string, std::string>> environment = {
            {"STILLMON_ALARM", "steam-hot"},
            {"STILLMON_STATE", c.notice.state},
            {"STILLMON_SEVERITY", c.notice.severity},
            {"STILLMON_VALUE", c.json_value},
            {"STILLMON_THRESHOLD", "80"},
            {"STILLMON_RECORD", "1234"},
            {"STILLMON_DEVICE_TIME", "14:30:45_7"},
            {"STILLMON_PORT", "3"}};
        EXPECT_EQ(notice_environment(c.notice, origin), environment);
    }
}

}  // namespace
}  // namespace stillmon
