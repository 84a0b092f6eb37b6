#include "display/window_title.h"

namespace stillmon {

std::string cut_window_title(std::string_view title) {
    return std::string(title.substr(0, window_title_limit));
}

std::string window_title(RunMode mode, std::string_view web_address) {
    std::string title(mode == RunMode::live ? live_title_lead : replay_title_lead);
    title += web_address;
    return cut_window_title(title);
}

}  // namespace stillmon
