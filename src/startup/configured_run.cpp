#include "startup/configured_run.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>

#include "logging/alarm_events_file.h"
#include "mqtt/mark_event.h"
#include "system/host_name.h"
#include "web/record_json.h"

namespace stillmon {

namespace {

// Long enough for a broker on the network to acknowledge "offline", short enough that
// quitting never seems to hang.
constexpr auto offline_wait = std::chrono::milliseconds(1000);

// "3" and "Run" for the logs Run3.dat and Run3.bin on port 3.
NoticeOrigin notice_origin(const RunPlan& plan) {
    std::string log = plan.text_log_name;
    log.resize(log.size() - std::min(log.size(), plan.port_argument.size() + 4));  // "3.dat"
    return {plan.port_argument, log};
}

}  // namespace

void set_up_configured_run(ConfiguredRun& run, const RunConfig& config, const RunPlan& plan,
                           const ProgramPlatform& platform, const ThreadStarter& start,
                           MainScreen& screen, OperatorState& state, ProcessEnd& process_end,
                           const Say& say) {
    const bool live = plan.mode == RunMode::live;
    // A replay's alarms run by the log's clock, which starts at 0.
    run.board.emplace(config.alarms, config.arm_after_s, live ? platform.now_s() : 0.0);
    state.alarms_configured.store(true);
    screen.host.watch_alarms(*run.board, live);
    CycleOutputs& outputs = screen.host.outputs();
    outputs.on_each_alarm_look([say](const AlarmLook& look) {
        for (const AlarmEvent& event : look.events) {
            if (const std::string line = alarm_event_line(event); !line.empty()) {
                say(line);
            }
        }
    });
    if (live) {
        run.delivery.emplace(config.webhooks, config.commands, notice_origin(plan),
                             platform.make_webhook_sender, alarm_events_path(plan.text_log_name),
                             start, say);
        outputs.on_each_alarm_look([&delivery = *run.delivery](const AlarmLook& look) {
            for (const AlarmNotice& notice : look.notices) {
                delivery.take(notice);
            }
        });
    }
    if (live && config.mqtt && platform.start_mqtt) {
        MqttRun mqtt{
            *config.mqtt,
            config.mqtt->topic.value_or("stillmon/" + host_name() + '-' + plan.port_argument),
            {},
            std::string(platform.version)};
        for (const AlarmRule& rule : config.alarms) {
            mqtt.alarm_names.push_back(rule.name);
        }
        // Null when the client cannot be set up: it has said why, and the run goes on without.
        run.mqtt = platform.start_mqtt(std::move(mqtt), start, say);
    }
    if (run.mqtt) {
        // Handed over, each cycle's record as the page's JSON: the publisher's own thread
        // does the network's work, never the main thread.
        MqttPublisher& to = *run.mqtt;
        outputs.on_each_cycle(
            [&to, cycles = std::uint64_t{0}](const CycleRecord& record, double) mutable {
                std::string json;
                append_record_json(json, ++cycles, record);
                to.hand_state(std::move(json));
            });
        outputs.on_each_alarm_look([&to](const AlarmLook& look) {
            for (const AlarmNotice& notice : look.notices) {
                if (notice.state == "firing" || notice.state == "cleared") {
                    to.hand_alarm(notice.alarm, notice.state == "firing");
                }
            }
        });
        // A session's start and end are the logs' business, not the broker's: marks alone.
        outputs.on_each_journal_entry([&to](const JournalEntry& entry) {
            if (entry.kind == JournalKind::mark) {
                to.hand_mark(mark_event_json(entry));
            }
        });
        process_end.add_closer([&to] { to.say_offline(offline_wait); });
    }
    run.window.emplace(screen.surface,
                       platform.make_alarm_tone ? platform.make_alarm_tone(say) : nullptr);
    outputs.on_each_alarm_look(
        [&window = *run.window](const AlarmLook& look) { window.show(look.board); });
}

}  // namespace stillmon
