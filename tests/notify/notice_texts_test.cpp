#include "notify/notice_texts.h"

#include <tuple>

#include <gtest/gtest.h>

namespace stillmon {
namespace {

// Each target gets the same notice in its own words; a receiver parses them strictly, and a
// phone rings as loud as the priority says.
TEST(NoticeTexts, JsonNtfyAndEnvironmentOfEachKindOfNotice) {
    const std::tuple<std::string, std::string, std::optional<double>, std::string, NtfyMessage>
        cases[] = {
            // The device's float 80.6, not the double it widens to.
            {"firing",
             "critical",
             80.6f,
             "80.6",
             {"stillmon: steam-hot firing", "urgent", "rotating_light",
              "steam-hot firing: steam 80.6 above 80"}},
            {"repeat",
             "warning",
             80.03,
             "80.03",
             {"stillmon: steam-hot still firing", "high", "warning",
              "steam-hot still firing: steam 80.03 above 80"}},
            {"cleared",
             "critical",
             std::nullopt,
             "",
             {"stillmon: steam-hot cleared", "default", "white_check_mark",
              "steam-hot cleared: steam unknown"}},
        };
    const NoticeOrigin origin{"3", "my \"still\"\n"};
    for (const auto& [state, severity, value, value_text, ntfy] : cases) {
        SCOPED_TRACE(state);
        const AlarmNotice notice{
            "steam-hot", state, severity, "steam",      value,
            80.0,        true,  1234,     "14:30:45_7", "2026-12-09T14:30:46+01:00"};
        EXPECT_EQ(notice_json(notice, origin),
                  R"({"alarm":"steam-hot","state":")" + state + R"(","severity":")" + severity +
                      R"(","value":)" + (value ? value_text : "null") +
                      R"(,"threshold":80,"record":1234,"device_time":"14:30:45_7",)"
                      R"("time":"2026-12-09T14:30:46+01:00","port":"3",)"
                      R"("log":"my \"still\"\u000a"})");
        const NtfyMessage said = ntfy_message(notice);
        EXPECT_EQ(std::tie(said.title, said.priority, said.tags, said.body),
                  std::tie(ntfy.title, ntfy.priority, ntfy.tags, ntfy.body));
        EXPECT_EQ(notice_environment(notice, origin),
                  (std::vector<std::pair<std::string, std::string>>{
                      {"STILLMON_ALARM", "steam-hot"},
                      {"STILLMON_STATE", state},
                      {"STILLMON_SEVERITY", severity},
                      {"STILLMON_VALUE", value_text},
                      {"STILLMON_THRESHOLD", "80"},
                      {"STILLMON_RECORD", "1234"},
                      {"STILLMON_DEVICE_TIME", "14:30:45_7"},
                      {"STILLMON_PORT", "3"}}));
    }
}

}  // namespace
}  // namespace stillmon
