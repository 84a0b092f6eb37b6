#pragma once

#include <functional>
#include <string_view>

#include "display/alarm_tone.h"
#include "display/chart_window.h"
#include "display/snapshot_name.h"
#include "link/device_link.h"
#include "link/port_settings.h"
#include "mqtt/mqtt_publisher.h"
#include "notify/notice_sender.h"
#include "web/page_answers.h"
#include "web/page_server.h"

namespace stillmon {

// The platform a run stands on: made by main.cpp, so that everything else is ours and
// testable without a window, a serial device or a socket. Each seam is declared beside the
// interface it makes.
struct ProgramPlatform {
    std::string_view version;
    WindowOpener open_window;
    SerialLinkMaker make_link;
    DeviceNaming device_naming;
    PageServerStarter start_page_server;
    WebhookSenderMaker make_webhook_sender;
    PageAnswers::PictureEncoder encode_png;
    SnapshotSaver save_snapshot;
    AlarmToneMaker make_alarm_tone;
    std::function<double()> now_s;    // monotonic
    MqttPublisherStarter start_mqtt;  // none in a build without MQTT
};

}  // namespace stillmon
