#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "alarms/alarm_rule.h"
#include "mqtt/mqtt_settings.h"
#include "notify/notify_targets.h"

namespace stillmon {

// The configuration file (--config): the alarms, where they are notified, and the MQTT
// broker the run is published to.
struct RunConfig {
    double arm_after_s = 0.0;  // nothing fires this long after the run starts
    std::vector<AlarmRule> alarms;
    std::vector<WebhookTarget> webhooks;
    std::vector<CommandTarget> commands;
    std::optional<MqttSettings> mqtt;
};

// Reads the TOML text of the file `path`. Anything the program would not understand (a key
// or table it does not know, a wrong type, a value out of range) is an error: a typo must
// never silently disable an alarm. The error is one line, "PATH:LINE:COLUMN: what is wrong".
// A file it names as "%d/NAME" is the credential NAME in `credentials_directory`.
std::optional<RunConfig> read_config(std::string_view text, std::string_view path,
                                     std::string& error,
                                     std::string_view credentials_directory = {});

// Reads the file itself, with the credentials systemd handed the service
// ($CREDENTIALS_DIRECTORY); a file that cannot be read is an error too ("PATH: why").
std::optional<RunConfig> read_config_file(const std::string& path, std::string& error);

// "30s", "2m", "500ms", "1h", "1.5m": the seconds; nothing for any other text.
std::optional<double> read_duration(std::string_view text);

}  // namespace stillmon
