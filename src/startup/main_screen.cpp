#include "startup/main_screen.h"

#include <unistd.h>

#include <iostream>

#include "display/guide_line.h"
#include "display/screen_mode.h"
#include "display/window_title.h"

namespace stillmon {

namespace {

WindowOrHeadless window_or_end(WindowOrHeadless shown, ProcessEnd& process_end, const Say& say) {
    if (!shown.window) {
        say("stillmon: cannot open the chart window (" + shown.why_no_window + ")");
        process_end.close_all_and_exit(1);
    }
    return shown;
}

}  // namespace

MainScreen::MainScreen(RunMode mode, std::string_view title_address, OperatorState& state,
                       const ProgramPlatform& platform, const ThreadStarter& start, LiveView* view,
                       ProcessEnd& process_end, const Say& say)
    : surface(choose_screen_geometry(computer_name_from_environment())),
      keys(say),
      shown(window_or_end(open_window_or_headless(platform.open_window, surface.geometry(),
                                                  window_title(mode, title_address), keys,
                                                  std::cout, STDIN_FILENO, start),
                          process_end, say)),
      presenter(*shown.window, surface),
      host({presenter, surface, state, keys, view, platform.now_s, platform.save_snapshot,
            std::cout}) {
    draw_guide_line(surface);
}

bool MainScreen::console_input_ended() const {
    return shown.headless() && shown.console_keys->ended() && keys.size() == 0;
}

}  // namespace stillmon
