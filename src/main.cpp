// stillmon: monitors a distillation column from its measuring device, or replays a saved log.
// Here the real platform is made (window, serial link, page server, webhook client, PNG
// encoder, clock, MQTT); everything the program decides lives in startup/ and below.
#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "display/sdl_alarm_tone.h"
#include "display/sdl_snapshot.h"
#include "display/sdl_window.h"
#include "link/serial_port_link.h"
#include "notify/webhook_sender.h"
#if STILLMON_MQTT
#include "mqtt/mosquitto_publisher.h"
#endif
#include "startup/stillmon_run.h"
#include "web/page_server.h"

namespace {

double monotonic_seconds() {
    const auto since_start = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration<double>(since_start).count();
}

stillmon::MqttPublisherStarter mqtt_publisher_starter() {
#if STILLMON_MQTT
    return stillmon::start_mosquitto_publisher;
#else
    return nullptr;  // [mqtt] in the configuration file is refused
#endif
}

}  // namespace

int main(int argc, char** argv) {
    const stillmon::ProgramPlatform platform{STILLMON_VERSION,
                                             stillmon::open_sdl_window,
                                             stillmon::make_serial_port_link,
                                             stillmon::serial_device_naming(),
                                             stillmon::start_page_server,
                                             stillmon::make_webhook_sender,
                                             stillmon::encode_picture_png,
                                             stillmon::take_snapshot,
                                             stillmon::make_sdl_alarm_tone,
                                             monotonic_seconds,
                                             mqtt_publisher_starter()};
    const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
    return stillmon::run_stillmon(argc > 0 ? argv[0] : "stillmon", arguments, platform);
}
