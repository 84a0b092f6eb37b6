#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace stillmon {

struct MqttMessage {
    std::string topic;
    std::string payload;
};

// Home Assistant's slug of a name, of which it makes entity ids: lower case, each run of
// characters other than letters and digits one "_", none at either end ("Steam--hot" and
// "steam_hot" both give "steam_hot").
std::string entity_slug(std::string_view name);

// Home Assistant's MQTT discovery for a run published under `topic`: one sensor per value of
// the state (the eight temperatures, the liquid and vapour strengths, the stages, the reflux
// ratio, the valve and the flow), each reading its value out of the state's JSON, one
// problem sensor per alarm and an event entity of the operator's marks, all of them one device
// and unavailable while the run is offline, the sensors also while no state has come for a
// while. Under `discovery` (Home Assistant's prefix):
//   <discovery>/sensor/<node>/<value>/config
//   <discovery>/binary_sensor/<node>/<alarm>/config
//   <discovery>/event/<node>/mark/config
// where <node> is node_id(topic). The topics are printable ASCII (good_topic), as are the
// alarm names.
std::vector<MqttMessage> discovery_documents(std::string_view topic, std::string_view discovery,
                                             const std::vector<std::string>& alarm_names,
                                             std::string_view version);

}  // namespace stillmon
