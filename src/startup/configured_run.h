#pragma once

#include <memory>
#include <optional>

#include "alarms/alarm_board.h"
#include "app/alarm_delivery.h"
#include "app/alarm_window.h"
#include "app/process_end.h"
#include "base/error_lines.h"
#include "base/operator_state.h"
#include "base/thread_starter.h"
#include "config/config_file.h"
#include "mqtt/mqtt_publisher.h"
#include "startup/command_line.h"
#include "startup/main_screen.h"
#include "startup/program_platform.h"

namespace stillmon {

// What a run's configuration file switches on, for as long as the run lasts: the alarms,
// evaluated by the main thread and said on stderr and on the window (row and tone); in a live
// run also sent to the notification targets and the events file; and MQTT.
struct ConfiguredRun {
    std::optional<AlarmBoard> board;
    std::optional<AlarmWindow> window;
    std::optional<AlarmDelivery> delivery;
    std::unique_ptr<MqttPublisher> mqtt;
};

// Makes them and registers each with the main thread's outputs, after the page; nothing else
// calls them. A replay evaluates and shows the alarms but sends, writes and publishes nothing:
// it tells of the past.
void set_up_configured_run(ConfiguredRun& run, const RunConfig& config, const RunPlan& plan,
                           const ProgramPlatform& platform, const ThreadStarter& start,
                           MainScreen& screen, OperatorState& state, ProcessEnd& process_end,
                           const Say& say);

}  // namespace stillmon
