#pragma once

#include <string>
#include <utility>
#include <vector>

#include "base/alarm_notice.h"

namespace stillmon {

// The run a notice comes from, as the receivers are told it: the port's digit and the logs'
// name ("3" and "Run" for Run3.dat).
struct NoticeOrigin {
    std::string port;
    std::string log;
};

// The JSON a webhook of format "json" is sent and a command reads on its standard input:
// {"alarm":"steam-hot","state":"firing","severity":"critical","value":80.6,"threshold":80,
//  "record":1234,"device_time":"14:30:45_7","time":"2026-12-09T14:30:46+01:00","port":"3",
//  "log":"Run"}, the value null when it was unknown; the numbers keep every digit, for programs.
std::string notice_json(const AlarmNotice& notice, const NoticeOrigin& origin);

// What an ntfy server is sent: the message, and the headers that make a phone ring as loud as
// the alarm deserves.
struct NtfyMessage {
    std::string title;     // "stillmon: steam-hot firing"
    std::string priority;  // "urgent", "high" or "default"
    std::string tags;      // emoji names: "rotating_light", "warning", "white_check_mark"
    std::string body;      // "steam-hot firing: steam 80.6 above 80", "... no frame for 10.2 s"
};
NtfyMessage ntfy_message(const AlarmNotice& notice);

// The variables a command finds added to the program's environment: STILLMON_ALARM,
// STILLMON_STATE, STILLMON_SEVERITY, STILLMON_VALUE (empty when unknown) and
// STILLMON_THRESHOLD as the messages write them (a mail's subject shows them),
// STILLMON_RECORD, STILLMON_DEVICE_TIME and STILLMON_PORT.
std::vector<std::pair<std::string, std::string>> notice_environment(const AlarmNotice& notice,
                                                                    const NoticeOrigin& origin);

}  // namespace stillmon
