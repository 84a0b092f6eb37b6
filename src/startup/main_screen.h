#pragma once

#include "app/main_thread_host.h"
#include "app/process_end.h"
#include "base/error_lines.h"
#include "base/key_queue.h"
#include "base/operator_state.h"
#include "base/run_mode.h"
#include "base/thread_starter.h"
#include "display/surface.h"
#include "display/window_presenter.h"
#include "startup/program_platform.h"
#include "startup/window_or_headless.h"

namespace stillmon {

// What the main thread draws on and shows, and where the operator's keys arrive: a window,
// or without a display the console. Where neither can be had, the run ends with status 1,
// its logs closed, having said why.
struct MainScreen {
    // The window's title names `title_address`.
    MainScreen(RunMode mode, std::string_view title_address, OperatorState& state,
               const ProgramPlatform& platform, const ThreadStarter& start, LiveView* view,
               ProcessEnd& process_end, const Say& say);

    // Without a window, input that has ended counts once its queued keys are taken.
    bool console_input_ended() const;

    Surface surface;
    KeyQueue keys;
    const WindowOrHeadless shown;
    WindowPresenter presenter;
    MainThreadHost host;
};

}  // namespace stillmon
