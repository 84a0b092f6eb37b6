#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/thread_starter.h"
#include "base/window_picture.h"
#include "display/alarm_tone.h"
#include "link/device_link.h"
#include "link/port_settings.h"
#include "mqtt/mqtt_publisher.h"
#include "notify/notice_sender.h"
#include "notify/notice_texts.h"
#include "notify/notify_targets.h"
#include "startup/main_thread_host.h"
#include "startup/window_or_headless.h"
#include "web/page_answers.h"
#include "web/page_server.h"
#include "web/serve_address.h"

namespace stillmon {

// Makes the serial link, its thread from `start`; what the operator should know of it goes
// to `say` (link/serial_port_link.h's make_serial_port_link is the real one).
using SerialLinkMaker = std::function<std::unique_ptr<DeviceLink>(
    const ThreadStarter& start, std::function<void(std::string_view)> say)>;

// Binds and serves the page, or returns null with the reason (web/page_server.h's
// start_page_server is the real one).
using PageServerStarter =
    std::function<std::unique_ptr<PageServer>(const ServeAddress& address, PageAnswers& answers,
                                              const ThreadStarter& start, std::string& why_not)>;

// Makes the sender of a webhook's notices (notify/webhook_sender.h's make_webhook_sender is
// the real one).
using WebhookSenderMaker = std::function<std::unique_ptr<NoticeSender>(const WebhookTarget& target,
                                                                       const NoticeOrigin& origin)>;

// The platform a run stands on: made by main.cpp, so that everything else is ours and
// testable without a window, a serial device or a socket.
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
