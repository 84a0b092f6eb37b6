#pragma once

#include <chrono>
#include <iostream>
#include <memory>
#include <optional>

#include "alarms/alarm_board.h"
#include "app/process_end.h"
#include "base/operator_state.h"
#include "base/thread_starter.h"
#include "startup/alarm_delivery.h"
#include "startup/alarm_outputs.h"
#include "startup/alarm_window.h"
#include "startup/main_screen.h"
#include "startup/mqtt_setup.h"
#include "startup/program_platform.h"
#include "startup/run_request.h"
#include "web/live_view.h"

namespace stillmon {

// What a run's configuration file switches on, for as long as the run lasts: the alarms,
// evaluated by the main thread and shown on stderr, the window (row and tone) and the page;
// in a live run also sent to the notification targets and the events file; and MQTT.
struct ConfiguredRun {
    AlarmOutputs outputs{say_lines_on(std::cerr), [] { return std::chrono::system_clock::now(); }};
    std::optional<AlarmBoard> board;
    std::optional<AlarmWindow> window;
    std::optional<AlarmDelivery> delivery;
    std::unique_ptr<MqttPublisher> mqtt;
};

// Without a configuration file (`request.alarms` empty) nothing is set up.
void set_up_configuration(ConfiguredRun& run, const RunRequest& request,
                          const ProgramPlatform& platform, const ThreadStarter& start,
                          MainScreen& screen, OperatorState& state, LiveView* view,
                          ProcessEnd& process_end, const Say& say);

}  // namespace stillmon
