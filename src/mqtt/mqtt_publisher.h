#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/error_lines.h"
#include "base/thread_starter.h"
#include "mqtt/mqtt_settings.h"

namespace stillmon {

// What a run publishes, and where.
struct MqttRun {
    MqttSettings settings;
    std::string topic;  // the run's own, the settings' or the default one
    std::vector<std::string> alarm_names;
    std::string version;  // the program's, for Home Assistant's device
};

// A live run as the broker gets it (mqtt/mqtt_topics.h names the topics). The connection
// lives on a thread of its own: a slow or absent broker never delays the cycle.
class MqttPublisher {
  public:
    virtual ~MqttPublisher() = default;

    // Main thread: copies into a slot and wakes the connection's thread, nothing more.
    virtual void hand_state(std::string json) = 0;
    virtual void hand_alarm(std::string_view name, bool firing) = 0;
    // A mark's event, as mark_event_json makes it.
    virtual void hand_mark(std::string json) = 0;

    // Any thread, as the process ends: says "offline" and disconnects cleanly, waiting for
    // that at most `limit`. Nothing when not connected (the broker has sent the last will,
    // or will).
    virtual void say_offline(std::chrono::milliseconds limit) = 0;
};

// Starts the connection's thread from `start`; what the operator should know of the
// connection (lost, refused, found again, a call the client refused) goes to `say`, once
// each time. Nothing, having said why, when the client cannot be set up.
using MqttPublisherStarter =
    std::function<std::unique_ptr<MqttPublisher>(MqttRun run, const ThreadStarter& start, Say say)>;

}  // namespace stillmon
