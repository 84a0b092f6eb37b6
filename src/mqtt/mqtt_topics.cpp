#include "mqtt/mqtt_topics.h"

#include <algorithm>

namespace stillmon {

std::string state_topic(std::string_view topic) {
    return std::string(topic) + "/state";
}

std::string availability_topic(std::string_view topic) {
    return std::string(topic) + "/availability";
}

std::string alarm_topic(std::string_view topic, std::string_view alarm) {
    return std::string(topic) + "/alarm/" + std::string(alarm);
}

std::string mark_topic(std::string_view topic) {
    return std::string(topic) + "/mark";
}

std::string discovery_status_topic(std::string_view discovery) {
    return std::string(discovery) + "/status";
}

bool good_topic(std::string_view topic) {
    return !topic.empty() && !topic.starts_with('$') && !topic.starts_with('/') &&
           !topic.ends_with('/') && std::all_of(topic.begin(), topic.end(), [](char c) {
               return c >= ' ' && c <= '~' && c != '+' && c != '#';
           });
}

std::string node_id(std::string_view topic) {
    std::string id(topic);
    for (char& c : id) {
        const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '_';
        c = kept ? c : '_';
    }
    return id;
}

}  // namespace stillmon
