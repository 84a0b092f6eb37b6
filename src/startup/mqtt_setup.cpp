#include "startup/mqtt_setup.h"

#include <cstdint>

#include "system/host_name.h"
#include "web/record_json.h"

namespace stillmon {

namespace {

// Long enough for a broker on the network to acknowledge "offline", short enough that
// quitting never seems to hang.
constexpr auto offline_wait = std::chrono::milliseconds(1000);

}  // namespace

std::unique_ptr<MqttPublisher> publish_to_mqtt(const AlarmConfig& config, const RunPlan& plan,
                                               const ProgramPlatform& platform,
                                               const ThreadStarter& start, MainThreadHost& host,
                                               AlarmOutputs& alarm_outputs, ProcessEnd& process_end,
                                               const Say& say) {
    if (!config.mqtt || plan.mode != RunMode::live || !platform.start_mqtt) {
        return nullptr;
    }
    MqttRun run{*config.mqtt,
                config.mqtt->topic.value_or("stillmon/" + host_name() + '-' + plan.port_argument),
                {},
                std::string(platform.version)};
    for (const AlarmRule& rule : config.alarms) {
        run.alarm_names.push_back(rule.name);
    }
    std::unique_ptr<MqttPublisher> publisher = platform.start_mqtt(std::move(run), start, say);
    if (publisher == nullptr) {
        return nullptr;  // it has said why; the run goes on without MQTT
    }
    MqttPublisher& to = *publisher;
    host.hand_each_cycle_to([&to, cycles = std::uint64_t{0}](const CycleRecord& record) mutable {
        std::string json;
        append_record_json(json, ++cycles, record);
        to.hand_state(std::move(json));
    });
    alarm_outputs.take_notices([&to](const AlarmNotice& notice) {
        if (notice.state == "firing" || notice.state == "cleared") {
            to.hand_alarm(notice.alarm, notice.state == "firing");
        }
    });
    process_end.add_closer([&to] { to.say_offline(offline_wait); });
    return publisher;
}

}  // namespace stillmon
