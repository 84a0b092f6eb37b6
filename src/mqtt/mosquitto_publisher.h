#pragma once

#include "mqtt/mqtt_publisher.h"

namespace stillmon {

// The publisher on libmosquitto (mqtt/mqtt_publisher.h).
std::unique_ptr<MqttPublisher> start_mosquitto_publisher(MqttRun run, const ThreadStarter& start,
                                                         Say say);

}  // namespace stillmon
