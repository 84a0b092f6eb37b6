#include "mqtt/mosquitto_publisher.h"

#include <mosquitto.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "mqtt/discovery_documents.h"
#include "mqtt/mqtt_topics.h"
#include "mqtt/publication_slots.h"

namespace stillmon {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int keepalive_s = 30;
constexpr int at_most_once = 0;
constexpr int at_least_once = 1;
// An unreachable broker is asked again soon, then less and less often.
constexpr auto first_retry = std::chrono::seconds(1);
constexpr auto longest_retry = std::chrono::seconds(30);
// Refused credentials or certificates do not mend themselves: asking often would only fill
// the broker's log.
constexpr auto refused_retry = std::chrono::seconds(60);
// The keep-alive is looked after at least this often: well within the broker's patience
// (one and a half keep-alives), and rarely enough to cost nothing while the device is silent.
constexpr int housekeeping_ms = 5000;

// What keeps the run from the broker; each kind is said once until a connection succeeds.
enum class Fault { none, unreachable, refused, tls };

std::string without_final_stop(std::string text) {
    if (text.ends_with('.')) {
        text.pop_back();
    }
    return text;
}

class MosquittoPublisher final : public MqttPublisher {
  public:
    MosquittoPublisher(MqttRun run, Say say);
    ~MosquittoPublisher() override;
    MosquittoPublisher(const MosquittoPublisher&) = delete;
    MosquittoPublisher& operator=(const MosquittoPublisher&) = delete;

    // What keeps the client from being set up ("the last will: Out of memory"), or nothing.
    std::optional<std::string> set_up();
    void start(const ThreadStarter& start) {
        thread_ = start([this] { run(); });
    }

    void hand_state(std::string json) override {
        slots_.hand_state(std::move(json));
        wake();
    }
    void hand_alarm(std::string_view name, bool firing) override {
        slots_.hand_alarm(name, firing);
        wake();
    }
    void hand_mark(std::string json) override {
        slots_.hand_mark(std::move(json));
        wake();
    }
    void say_offline(std::chrono::milliseconds limit) override;

  private:
    // The connection's thread: connects, serves the connection while it lasts, and waits
    // before connecting again, until the end asks for "offline".
    void run();
    int serve();
    void publish_on_connection();
    void publish_changes();
    bool publish(const std::string& topic, const std::string& payload, int qos, int* id = nullptr,
                 bool retain = true);
    void publish_marks();
    bool taken(int result, bool& said, const std::string& what);
    void publish_discovery();
    void retry_after(Clock::duration delay);
    void tell(Fault fault, const std::string& line);
    std::string reason(int result, int error_number) const;
    bool ending();
    void finish_offline();

    void wake();
    void wait_for_wake(int timeout_ms);

    static void on_connect(mosquitto*, void* self, int code);
    static void on_publish(mosquitto*, void* self, int id);
    static void on_message(mosquitto*, void* self, const mosquitto_message* message);
    static void on_log(mosquitto*, void* self, int level, const char* text);

    const MqttRun run_;
    const Say say_;
    const std::vector<MqttMessage> discovery_;
    const std::string availability_;
    PublicationSlots slots_;
    mosquitto* client_ = nullptr;
    int wake_fd_ = -1;
    std::thread thread_;
    std::atomic<bool> connected_{false};  // the broker accepted the connection

    // The connection's thread alone.
    int refusal_ = 0;                      // the broker's refusal code of this attempt
    std::string tls_error_;                // the first of this attempt
    bool everything_due_ = false;          // connected, or a call was refused since
    bool publish_refusal_said_ = false;    // on this connection
    bool subscribe_refusal_said_ = false;  // on this connection
    bool discovery_due_ = false;
    bool offline_started_ = false;
    int offline_id_ = -1;  // the "offline" message's
    bool offline_acknowledged_ = false;
    Fault said_ = Fault::none;
    Clock::duration next_retry_ = first_retry;

    std::mutex ending_mutex_;
    std::condition_variable ended_;
    bool offline_asked_ = false;
    bool offline_done_ = false;
    bool stopping_ = false;
};

MosquittoPublisher::MosquittoPublisher(MqttRun run, Say say)
    : run_(std::move(run)),
      say_(std::move(say)),
      discovery_(run_.settings.discovery.empty()
                     ? std::vector<MqttMessage>{}
                     : discovery_documents(run_.topic, run_.settings.discovery, run_.alarm_names,
                                           run_.version)),
      availability_(availability_topic(run_.topic)),
      slots_(run_.alarm_names) {}

// None of it mends by itself: the same settings would fail again. A client without the
// credentials or the TLS it was given must not connect at all (it would send the password
// in clear, or be refused for a reason it does not say).
std::optional<std::string> MosquittoPublisher::set_up() {
    static const int initialised = mosquitto_lib_init();
    if (initialised != MOSQ_ERR_SUCCESS) {
        return "the library: " + reason(initialised, errno);
    }
    wake_fd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake_fd_ < 0) {
        return "eventfd: " + std::generic_category().message(errno);
    }
    // A client id of the library's making, and a clean session: nothing is kept for the run
    // at the broker but its retained messages.
    client_ = mosquitto_new(nullptr, true, this);
    if (client_ == nullptr) {
        return "the client: " + std::generic_category().message(errno);
    }
    const MqttSettings& settings = run_.settings;
    static const std::string offline = "offline";
    int result =
        mosquitto_will_set(client_, availability_.c_str(), static_cast<int>(offline.size()),
                           offline.data(), at_least_once, true);
    if (result != MOSQ_ERR_SUCCESS) {
        return "the last will: " + reason(result, errno);
    }
    if (settings.username) {
        result =
            mosquitto_username_pw_set(client_, settings.username->c_str(),
                                      settings.password ? settings.password->c_str() : nullptr);
        if (result != MOSQ_ERR_SUCCESS) {
            return "the user name and password: " + reason(result, errno);
        }
    }
    if (settings.address.tls) {
        result = settings.ca_file ? mosquitto_tls_set(client_, settings.ca_file->c_str(), nullptr,
                                                      nullptr, nullptr, nullptr)
                                  : mosquitto_int_option(client_, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
        if (result != MOSQ_ERR_SUCCESS) {
            return "TLS with " +
                   (settings.ca_file ? *settings.ca_file
                                     : std::string("the system's certificate authorities")) +
                   ": " + reason(result, errno);
        }
    }
    mosquitto_connect_callback_set(client_, on_connect);
    mosquitto_publish_callback_set(client_, on_publish);
    mosquitto_message_callback_set(client_, on_message);
    mosquitto_log_callback_set(client_, on_log);
    return std::nullopt;
}

MosquittoPublisher::~MosquittoPublisher() {
    {
        const std::lock_guard lock(ending_mutex_);
        stopping_ = true;
    }
    wake();
    if (thread_.joinable()) {
        thread_.join();
    }
    mosquitto_destroy(client_);  // nothing for a client never made
    if (wake_fd_ >= 0) {
        ::close(wake_fd_);
    }
}

void MosquittoPublisher::say_offline(std::chrono::milliseconds limit) {
    if (!connected_.load()) {
        return;
    }
    std::unique_lock lock(ending_mutex_);
    offline_asked_ = true;
    wake();
    ended_.wait_for(lock, limit, [this] { return offline_done_; });
}

bool MosquittoPublisher::ending() {
    const std::lock_guard lock(ending_mutex_);
    return offline_asked_ || stopping_;
}

void MosquittoPublisher::finish_offline() {
    const std::lock_guard lock(ending_mutex_);
    offline_done_ = true;
    ended_.notify_all();
}

void MosquittoPublisher::run() {
    pthread_setname_np(pthread_self(), "mqtt");  // its CPU time told apart from the others'
    const BrokerAddress& address = run_.settings.address;
    while (!ending()) {
        refusal_ = 0;
        tls_error_.clear();
        everything_due_ = false;  // until the broker accepts the connection
        errno = 0;
        int result = mosquitto_connect(client_, address.host.c_str(), address.port, keepalive_s);
        int error_number = errno;
        if (result == MOSQ_ERR_SUCCESS) {
            result = serve();
            error_number = errno;
        }
        connected_.store(false);
        if (ending()) {
            break;
        }
        const std::string& url = run_.settings.broker;
        if (refusal_ != 0) {
            const std::string why = without_final_stop(mosquitto_connack_string(refusal_));
            const std::string_view prefix = "Connection Refused: ";
            const std::string who = run_.settings.username
                                        ? "the user \"" + *run_.settings.username + '"'
                                        : std::string("a connection without a user name");
            tell(Fault::refused, "stillmon: the MQTT broker " + url + " refused " + who + ": " +
                                     (why.starts_with(prefix) ? why.substr(prefix.size()) : why) +
                                     "; retrying every minute");
            retry_after(refused_retry);
        } else if (result == MOSQ_ERR_TLS || !tls_error_.empty()) {
            tell(Fault::tls, "stillmon: cannot reach the MQTT broker " + url + ": TLS: " +
                                 (tls_error_.empty() ? reason(result, error_number) : tls_error_) +
                                 "; retrying every minute");
            retry_after(refused_retry);
        } else {
            tell(Fault::unreachable, "stillmon: cannot reach the MQTT broker " + url + ": " +
                                         reason(result, error_number) + "; retrying");
            retry_after(next_retry_);
            next_retry_ = std::min<Clock::duration>(2 * next_retry_, longest_retry);
        }
    }
    finish_offline();
}

// Until the connection ends: whatever is handed is sent as soon as the connection takes it.
int MosquittoPublisher::serve() {
    Clock::time_point housekeeping_due = Clock::now();
    while (true) {
        if (everything_due_) {
            everything_due_ = false;
            publish_on_connection();
        }
        if (connected_.load()) {
            publish_changes();
        }
        bool offline_asked = false;
        {
            const std::lock_guard lock(ending_mutex_);
            offline_asked = offline_asked_ || stopping_;
        }
        if (offline_asked && !offline_started_) {
            offline_started_ = true;
            // Unless the broker took "offline", stillmon leaves without a word: as the
            // process ends, the broker sees the connection close and sends the last will.
            if (connected_.load() &&
                !publish(availability_, "offline", at_least_once, &offline_id_)) {
                return MOSQ_ERR_SUCCESS;
            }
            offline_acknowledged_ = !connected_.load();
        }
        if (offline_acknowledged_) {
            offline_acknowledged_ = false;
            if (mosquitto_disconnect(client_) != MOSQ_ERR_SUCCESS) {  // drops the last will
                return MOSQ_ERR_SUCCESS;  // the connection is gone: the broker sends it instead
            }
        }
        const int socket = mosquitto_socket(client_);
        if (socket < 0) {
            return MOSQ_ERR_SUCCESS;
        }
        pollfd watched[] = {
            {socket, static_cast<short>(POLLIN | (mosquitto_want_write(client_) ? POLLOUT : 0)), 0},
            {wake_fd_, POLLIN, 0}};
        const int ready = ::poll(watched, 2, housekeeping_ms);
        if (ready > 0 && (watched[1].revents & POLLIN) != 0) {
            std::uint64_t count = 0;
            if (::read(wake_fd_, &count, sizeof count) < 0) {
                count = 0;  // already drained
            }
        }
        // A wake-up alone only hands something over, which the top of the loop publishes:
        // the library's loop is for the socket and the keep-alive.
        if ((ready > 0 && watched[0].revents != 0) || Clock::now() >= housekeeping_due) {
            housekeeping_due = Clock::now() + std::chrono::milliseconds(housekeeping_ms);
            // With no time to wait, mosquitto_loop does what the socket is ready for (the
            // TLS handshake included) and looks after the keep-alive.
            errno = 0;
            const int result = mosquitto_loop(client_, 0, 1);
            if (result != MOSQ_ERR_SUCCESS || mosquitto_socket(client_) < 0) {
                return result;
            }
        }
    }
}

bool MosquittoPublisher::publish(const std::string& topic, const std::string& payload, int qos,
                                 int* id, bool retain) {
    return taken(mosquitto_publish(client_, id, topic.c_str(), static_cast<int>(payload.size()),
                                   payload.data(), qos, retain),
                 publish_refusal_said_, "publish " + topic + " to");
}

// Whether the library took the call. A lost connection is left to the loop, which says it,
// and everything is published again on the next one. Anything else is said once a
// connection, and everything is published again at the next wake-up (a cycle's state, most
// likely): only the latest values are sent, so nothing piles up meanwhile.
bool MosquittoPublisher::taken(int result, bool& said, const std::string& what) {
    if (result == MOSQ_ERR_SUCCESS) {
        return true;
    }
    if (result != MOSQ_ERR_NO_CONN && result != MOSQ_ERR_CONN_LOST && result != MOSQ_ERR_ERRNO) {
        everything_due_ = true;
        if (!said) {
            said = true;
            say_("stillmon: cannot " + what + " the MQTT broker " + run_.settings.broker + ": " +
                 reason(result, errno) + "; trying again");
        }
    }
    return false;
}

void MosquittoPublisher::publish_discovery() {
    for (const MqttMessage& document : discovery_) {
        publish(document.topic, document.payload, at_least_once);
    }
}

// A broker without persistence that restarted has forgotten everything: all of it again.
void MosquittoPublisher::publish_on_connection() {
    publish(availability_, "online", at_least_once);
    if (!discovery_.empty()) {
        const std::string status = discovery_status_topic(run_.settings.discovery);
        taken(mosquitto_subscribe(client_, nullptr, status.c_str(), at_least_once),
              subscribe_refusal_said_, "subscribe to " + status + " at");
        publish_discovery();
    }
    for (const PublicationSlots::Alarm& alarm : slots_.take_alarms(true)) {
        publish(alarm_topic(run_.topic, alarm.name), alarm.firing ? "ON" : "OFF", at_least_once);
    }
    publish_marks();
    if (const auto state = slots_.take_state(true)) {
        publish(state_topic(run_.topic), *state, at_most_once);
    }
}

// Events, not values: a mark retained would greet every later subscriber as if just made.
// Those made while no broker was there wait in their queue for the next connection.
void MosquittoPublisher::publish_marks() {
    for (const std::string& mark : slots_.take_marks()) {
        publish(mark_topic(run_.topic), mark, at_least_once, nullptr, false);
    }
}

void MosquittoPublisher::publish_changes() {
    if (discovery_due_) {
        discovery_due_ = false;
        publish_discovery();
    }
    for (const PublicationSlots::Alarm& alarm : slots_.take_alarms(false)) {
        publish(alarm_topic(run_.topic, alarm.name), alarm.firing ? "ON" : "OFF", at_least_once);
    }
    publish_marks();
    // While earlier messages still wait for the socket the state waits in its slot, where a
    // newer one replaces it: the queue never grows with a slow broker.
    if (!mosquitto_want_write(client_)) {
        if (const auto state = slots_.take_state(false)) {
            publish(state_topic(run_.topic), *state, at_most_once);
        }
    }
}

void MosquittoPublisher::retry_after(Clock::duration delay) {
    const Clock::time_point deadline = Clock::now() + delay;
    while (!ending()) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return;
        }
        wait_for_wake(static_cast<int>(std::min<std::int64_t>(left.count(), 60'000)));
    }
}

void MosquittoPublisher::tell(Fault fault, const std::string& line) {
    if (fault != said_) {
        say_(line);
        said_ = fault;
    }
}

std::string MosquittoPublisher::reason(int result, int error_number) const {
    switch (result) {
        case MOSQ_ERR_ERRNO:
            return std::generic_category().message(error_number);
        case MOSQ_ERR_CONN_LOST:
            return "the connection was lost";
        case MOSQ_ERR_EAI:
            return "the host name is unknown";
        case MOSQ_ERR_KEEPALIVE:
            return "the broker stopped answering";
        default:
            return without_final_stop(mosquitto_strerror(result));
    }
}

void MosquittoPublisher::wake() {
    const std::uint64_t one = 1;
    if (::write(wake_fd_, &one, sizeof one) < 0) {
        // The counter is full: the thread has plenty to wake it already.
    }
}

void MosquittoPublisher::wait_for_wake(int timeout_ms) {
    pollfd watched = {wake_fd_, POLLIN, 0};
    if (::poll(&watched, 1, timeout_ms) > 0) {
        std::uint64_t count = 0;
        if (::read(wake_fd_, &count, sizeof count) < 0) {
            count = 0;
        }
    }
}

void MosquittoPublisher::on_connect(mosquitto*, void* self, int code) {
    auto& publisher = *static_cast<MosquittoPublisher*>(self);
    if (code != 0) {
        publisher.refusal_ = code;
        return;
    }
    publisher.connected_.store(true);
    publisher.everything_due_ = true;
    publisher.publish_refusal_said_ = false;
    publisher.subscribe_refusal_said_ = false;
    publisher.next_retry_ = first_retry;
    if (publisher.said_ != Fault::none) {
        publisher.say_("stillmon: connected to the MQTT broker " + publisher.run_.settings.broker);
        publisher.said_ = Fault::none;
    }
}

void MosquittoPublisher::on_publish(mosquitto*, void* self, int id) {
    auto& publisher = *static_cast<MosquittoPublisher*>(self);
    if (id == publisher.offline_id_) {
        publisher.offline_acknowledged_ = true;
    }
}

// Home Assistant's birth message: it has (re)started and wants the discovery again.
void MosquittoPublisher::on_message(mosquitto*, void* self, const mosquitto_message* message) {
    auto& publisher = *static_cast<MosquittoPublisher*>(self);
    const std::string_view payload(static_cast<const char*>(message->payload),
                                   static_cast<std::size_t>(std::max(message->payloadlen, 0)));
    if (message->topic == discovery_status_topic(publisher.run_.settings.discovery) &&
        payload == "online") {
        publisher.discovery_due_ = true;
    }
}

// libmosquitto says what went wrong with TLS only here: "OpenSSL Error[0]: error:0A000086:SSL
// routines::certificate verify failed" gives "certificate verify failed".
void MosquittoPublisher::on_log(mosquitto*, void* self, int level, const char* text) {
    auto& publisher = *static_cast<MosquittoPublisher*>(self);
    const std::string_view line(text);
    if (level != MOSQ_LOG_ERR || !publisher.tls_error_.empty()) {
        return;
    }
    if (line.starts_with("OpenSSL Error")) {
        publisher.tls_error_ = line.substr(line.rfind(':') + 1);
    } else if (line.find("TLS") != std::string_view::npos ||
               line.find("certificate") != std::string_view::npos) {
        publisher.tls_error_ = without_final_stop(std::string(line));
    }
}

}  // namespace

std::unique_ptr<MqttPublisher> start_mosquitto_publisher(MqttRun run, const ThreadStarter& start,
                                                         Say say) {
    const std::string broker = run.settings.broker;
    auto publisher = std::make_unique<MosquittoPublisher>(std::move(run), say);
    if (const std::optional<std::string> failure = publisher->set_up()) {
        say("stillmon: cannot set up the MQTT client for " + broker + ": " + *failure +
            "; the run goes on without MQTT");
        return nullptr;
    }
    publisher->start(start);
    return publisher;
}

}  // namespace stillmon
