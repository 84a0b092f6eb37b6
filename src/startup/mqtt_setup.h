#pragma once

#include <memory>

#include "app/process_end.h"
#include "mqtt/mqtt_publisher.h"
#include "startup/alarm_config.h"
#include "startup/alarm_outputs.h"
#include "startup/command_line.h"
#include "startup/main_thread_host.h"
#include "startup/program_platform.h"

namespace stillmon {

// Publishes a live run to the configuration's MQTT broker, when it names one: each cycle's
// record, as the live page's JSON, and each alarm's changes go to the publisher from the main
// thread, and the end of the process says "offline". A replay publishes nothing, since it
// would tell the broker of a past run as if it were going on. Returns null when nothing is
// published.
std::unique_ptr<MqttPublisher> publish_to_mqtt(const AlarmConfig& config, const RunPlan& plan,
                                               const ProgramPlatform& platform,
                                               const ThreadStarter& start, MainThreadHost& host,
                                               AlarmOutputs& alarm_outputs, ProcessEnd& process_end,
                                               const Say& say);

}  // namespace stillmon
