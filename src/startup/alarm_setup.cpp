#include "startup/alarm_setup.h"

namespace stillmon {

void set_up_configuration(ConfiguredRun& run, const RunRequest& request,
                          const ProgramPlatform& platform, const ThreadStarter& start,
                          MainScreen& screen, OperatorState& state, LiveView* view,
                          ProcessEnd& process_end, const Say& say) {
    if (!request.alarms) {
        return;
    }
    const AlarmConfig& config = *request.alarms;
    const RunPlan& plan = request.plan;
    const bool live = plan.mode == RunMode::live;
    // A replay evaluates and shows the alarms but sends nothing and writes nothing.
    if (live) {
        run.delivery.emplace(config, plan, platform.make_webhook_sender, start, say);
        run.outputs.take_notices([&run](const AlarmNotice& notice) { run.delivery->take(notice); });
    }
    // A replay's alarms run by the log's clock, which starts at 0.
    run.board.emplace(config.alarms, config.arm_after_s, live ? platform.now_s() : 0.0);
    state.alarms_configured.store(true);
    run.window.emplace(screen.surface,
                       platform.make_alarm_tone ? platform.make_alarm_tone(say) : nullptr);
    run.outputs.take_state(
        [&run](const AlarmBoard& board, const ClockPair&) { run.window->show(board); });
    if (view != nullptr) {
        // The marks first: the page publishes them with the state that follows.
        run.outputs.take_notices(
            [view](const AlarmNotice& notice) { view->note_alarm_change(notice); });
        run.outputs.take_state([view](const AlarmBoard& board, const ClockPair& now) {
            view->publish_alarms(alarm_snapshots(board, now));
        });
    }
    screen.host.watch_alarms(*run.board, live, run.outputs);
    run.mqtt =
        publish_to_mqtt(config, plan, platform, start, screen.host, run.outputs, process_end, say);
}

}  // namespace stillmon
