#include "config/config_file.h"

#include <toml++/toml.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <map>
#include <sstream>
#include <system_error>

#include "mqtt/broker_address.h"
#include "mqtt/discovery_documents.h"
#include "mqtt/mqtt_topics.h"
#include "notify/webhook_url.h"

namespace stillmon {

namespace {

// Thrown where the file says something the program does not accept; caught once, at the top.
struct ConfigFault {
    toml::source_position where;
    std::string what;
};

[[noreturn]] void fault(const toml::node& at, std::string what) {
    throw ConfigFault{at.source().begin, std::move(what)};
}

std::string quoted(std::string_view text) {
    return '"' + std::string(text) + '"';
}

// Keys of `table` that are not among `known` are refused, with where they are said.
void refuse_unknown_keys(const toml::table& table, std::initializer_list<std::string_view> known,
                         const std::string& where) {
    for (const auto& [key, node] : table) {
        bool found = false;
        for (const std::string_view name : known) {
            found = found || key.str() == name;
        }
        if (!found) {
            throw ConfigFault{key.source().begin, "unknown key " + quoted(key.str()) + where};
        }
    }
}

double number(const toml::node& node, std::string_view key, const std::string& where) {
    if (const auto value = node.value<double>(); value && (node.is_number())) {
        return *value;
    }
    fault(node, quoted(key) + where + " must be a number");
}

std::string text(const toml::node& node, std::string_view key, const std::string& where) {
    if (const auto value = node.value<std::string>()) {
        return *value;
    }
    fault(node, quoted(key) + where + " must be a text");
}

double duration(const toml::node& node, std::string_view key, const std::string& where) {
    if (const auto seconds = read_duration(text(node, key, where))) {
        return *seconds;
    }
    fault(node, quoted(key) + where + " must be a duration such as \"30s\", \"2m\" or \"500ms\"");
}

bool good_name(std::string_view name) {
    return !name.empty() && name.find_first_not_of(
                                "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                "0123456789-_") == std::string_view::npos;
}

const toml::table& table_of(const toml::node& node, std::string_view what) {
    if (const toml::table* table = node.as_table()) {
        return *table;
    }
    fault(node, std::string(what) + " must be a table");
}

// `names`: each alarm's name so far by its slug.
AlarmRule read_alarm(const toml::table& table, std::size_t number_in_file,
                     std::map<std::string, std::string>& names) {
    std::string where = " in alarm " + std::to_string(number_in_file);
    AlarmRule rule;
    const toml::node* name = table.get("name");
    if (name == nullptr) {
        fault(table, "alarm " + std::to_string(number_in_file) + " needs a \"name\"");
    }
    rule.name = text(*name, "name", where);
    if (!good_name(rule.name)) {
        fault(*name, "the alarm name " + quoted(rule.name) +
                         " may hold only letters, digits, \"-\" and \"_\"");
    }
    // Home Assistant makes the alarms' entity ids of their slugs, in which "steam-hot" and
    // "Steam_hot" are one. Refused with MQTT or without: such names are as easily taken for
    // one another on the window's alarm line and in the notifications.
    const std::string slug = entity_slug(rule.name);
    if (const auto [before, fresh] = names.emplace(slug, rule.name); !fresh) {
        fault(*name, before->second == rule.name
                         ? "a second alarm named " + quoted(rule.name)
                         : "the alarm names " + quoted(before->second) + " and " +
                               quoted(rule.name) + " would be one entity in Home Assistant, " +
                               quoted(slug));
    }
    where = " in alarm " + quoted(rule.name);
    refuse_unknown_keys(
        table, {"name", "value", "above", "below", "clear", "for", "severity", "repeat"}, where);

    const toml::node* value = table.get("value");
    if (value == nullptr) {
        fault(table, "alarm " + quoted(rule.name) + " needs a \"value\"");
    }
    const auto watched = alarm_value_named(text(*value, "value", where));
    if (!watched) {
        fault(*value, "unknown value " + quoted(*value->value<std::string>()) + where);
    }
    rule.value = *watched;

    const toml::node* above = table.get("above");
    const toml::node* below = table.get("below");
    if ((above == nullptr) == (below == nullptr)) {
        fault(table, "alarm " + quoted(rule.name) + " needs either \"above\" or \"below\"");
    }
    rule.above = above != nullptr;
    rule.threshold = rule.above ? number(*above, "above", where) : number(*below, "below", where);
    rule.clear = rule.threshold;
    if (const toml::node* clear = table.get("clear")) {
        rule.clear = number(*clear, "clear", where);
        if (rule.above ? rule.clear > rule.threshold : rule.clear < rule.threshold) {
            fault(*clear, quoted("clear") + where + " must not be " +
                              (rule.above ? "above \"above\"" : "below \"below\""));
        }
    }
    if (const toml::node* for_node = table.get("for")) {
        rule.for_s = duration(*for_node, "for", where);
    }
    if (const toml::node* repeat = table.get("repeat")) {
        rule.repeat_s = duration(*repeat, "repeat", where);
        if (*rule.repeat_s <= 0.0) {
            fault(*repeat, quoted("repeat") + where + " must be longer than 0");
        }
    }
    if (const toml::node* severity = table.get("severity")) {
        const std::string level = text(*severity, "severity", where);
        if (level != "warning" && level != "critical") {
            fault(*severity, quoted("severity") + where + " must be \"warning\" or \"critical\"");
        }
        rule.severity = level == "critical" ? AlarmSeverity::critical : AlarmSeverity::warning;
    }
    return rule;
}

template <typename Read>
void read_each(const toml::node& node, std::string_view what, Read read) {
    const toml::array* entries = node.as_array();
    const std::string heading = "[[" + std::string(what) + "]]";
    // [alarm] for [[alarm]] is the slip TOML's own words would leave a reader puzzling over.
    if (entries == nullptr && node.is_table()) {
        fault(node, "write " + heading + " (two brackets), not [" + std::string(what) +
                        "]: each one begins with a " + heading + " line of its own");
    }
    if (entries == nullptr) {
        fault(node, std::string(what) + " must be a list of tables (" + heading + ")");
    }
    std::size_t number_in_file = 0;
    for (const toml::node& entry : *entries) {
        read(table_of(entry, what), ++number_in_file);
    }
}

WebhookTarget read_webhook(const toml::table& table, std::size_t number_in_file) {
    const std::string where = " in webhook " + std::to_string(number_in_file);
    refuse_unknown_keys(table, {"url", "format"}, where);
    WebhookTarget target;
    const toml::node* url = table.get("url");
    if (url == nullptr) {
        fault(table, "webhook " + std::to_string(number_in_file) + " needs a \"url\"");
    }
    const std::string written = text(*url, "url", where);
    if (!written.starts_with("http://") && !written.starts_with("https://")) {
        fault(*url, quoted("url") + where + " must start with http:// or https://");
    }
    const std::optional<WebhookUrl> address = read_webhook_url(written);
    if (!address) {
        fault(*url, quoted("url") + where + " has no host, or a port that is not a number");
    }
    if (!webhooks_reach_https && address->tls) {
        fault(*url, quoted("url") + where +
                        ": this build has no TLS for https://; use an http:// address");
    }
    target.url = *address;
    if (const toml::node* format = table.get("format")) {
        const std::string name = text(*format, "format", where);
        if (name != "json" && name != "ntfy") {
            fault(*format, quoted("format") + where + " must be \"json\" or \"ntfy\"");
        }
        target.format = name == "ntfy" ? WebhookTarget::Format::ntfy : WebhookTarget::Format::json;
    }
    return target;
}

CommandTarget read_command(const toml::table& table, std::size_t number_in_file) {
    const std::string where = " in command " + std::to_string(number_in_file);
    refuse_unknown_keys(table, {"run"}, where);
    const toml::node* run = table.get("run");
    const toml::array* words = run != nullptr ? run->as_array() : nullptr;
    if (words == nullptr || words->empty()) {
        fault(run != nullptr ? *run : static_cast<const toml::node&>(table),
              quoted("run") + where + " must be a list of texts, the program first");
    }
    CommandTarget target;
    for (const toml::node& word : *words) {
        target.argv.push_back(text(word, "run", where));
    }
    return target;
}

// The whole file at `path`, or nothing with `why` ("No such file or directory").
std::optional<std::string> whole_file(const std::string& path, std::string& why) {
    errno = 0;
    std::ifstream file(path, std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (!file.is_open() || file.bad()) {
        why = std::generic_category().message(errno != 0 ? errno : EIO);
        return std::nullopt;
    }
    return content;
}

// Where the files the configuration names are found.
struct NamedFiles {
    std::string_view config_path;
    std::string_view credentials_directory;  // $CREDENTIALS_DIRECTORY; empty when not set
};

// systemd's name for the credentials directory in a unit file. A service that runs as a user
// of its own (DynamicUser=) cannot read a secret that only root may read; systemd copies it
// (LoadCredential=) into a directory only the service's user may read.
constexpr std::string_view credentials_directory_specifier = "%d/";

// A file the configuration names, found beside the configuration file unless its path is
// absolute, or among the service's credentials for "%d/NAME"; its content, or a fault that
// names `what` it is.
std::string named_file(const toml::node& node, const NamedFiles& files, std::string_view what,
                       std::string& path) {
    // Only where MQTT is built in, which is not Windows: "/" alone separates folders.
    path = node.value<std::string>().value_or("");
    if (path.starts_with(credentials_directory_specifier)) {
        if (files.credentials_directory.empty()) {
            fault(node, quoted(path) +
                            " is a credential of the systemd service (LoadCredential=), but "
                            "stillmon was started without credentials: $CREDENTIALS_DIRECTORY "
                            "is not set");
        }
        path = std::string(files.credentials_directory) + "/" +
               path.substr(credentials_directory_specifier.size());
    } else if (const std::size_t slash = files.config_path.rfind('/');
               !path.starts_with('/') && slash != std::string_view::npos) {
        path = std::string(files.config_path.substr(0, slash + 1)) + path;
    }
    std::string why;
    std::optional<std::string> content = whole_file(path, why);
    if (!content) {
        fault(node, "the " + std::string(what) + " " + quoted(path) + " cannot be read: " + why);
    }
    return std::move(*content);
}

std::string topic(const toml::node& node, std::string_view key) {
    std::string name = text(node, key, " in mqtt");
    if (!good_topic(name)) {
        fault(node, quoted(key) +
                        " in mqtt must be printable ASCII without \"+\" or \"#\", starting with "
                        "neither \"$\" nor \"/\" and not ending with \"/\"");
    }
    return name;
}

MqttSettings read_mqtt(const toml::node& node, const NamedFiles& files) {
    const toml::table& table = table_of(node, "mqtt");
#if !STILLMON_MQTT
    fault(table, "MQTT is not built into " STILLMON_THIS_BUILD);
#endif
    const std::string where = " in mqtt";
    // A password written here would be read by whoever may read the alarms.
    for (const auto& [key, value] : table) {
        if (key.str() == "password") {
            throw ConfigFault{key.source().begin,
                              "\"password\" in mqtt is never read from this file: name a file "
                              "that holds it with \"password_file\""};
        }
    }
    refuse_unknown_keys(
        table, {"broker", "username", "password_file", "ca_file", "topic", "discovery"}, where);
    MqttSettings settings;
    const toml::node* broker = table.get("broker");
    if (broker == nullptr) {
        fault(table, "mqtt needs a \"broker\"");
    }
    settings.broker = text(*broker, "broker", where);
    const std::optional<BrokerAddress> address = read_broker_address(settings.broker);
    if (!address) {
        fault(*broker, "\"broker\" in mqtt must be mqtt://HOST[:PORT] or mqtts://HOST[:PORT]");
    }
    settings.address = *address;
    if (const toml::node* username = table.get("username")) {
        settings.username = text(*username, "username", where);
    }
    if (const toml::node* password_file = table.get("password_file")) {
        text(*password_file, "password_file", where);
        if (!settings.username) {
            fault(*password_file, "\"password_file\" in mqtt needs a \"username\"");
        }
        std::string path;
        std::string password = named_file(*password_file, files, "password file", path);
        // As `echo secret > file` leaves it.
        if (password.ends_with('\n')) {
            password.pop_back();
            if (password.ends_with('\r')) {
                password.pop_back();
            }
        }
        settings.password = std::move(password);
    }
    if (const toml::node* ca_file = table.get("ca_file")) {
        text(*ca_file, "ca_file", where);
        if (!settings.address.tls) {
            fault(*ca_file, "\"ca_file\" in mqtt is for an mqtts:// broker");
        }
        std::string path;
        named_file(*ca_file, files, "certificate file", path);
        settings.ca_file = path;
    }
    if (const toml::node* topic_node = table.get("topic")) {
        settings.topic = topic(*topic_node, "topic");
    }
    if (const toml::node* discovery = table.get("discovery")) {
        settings.discovery = text(*discovery, "discovery", where);
        if (!settings.discovery.empty()) {  // empty: no discovery
            settings.discovery = topic(*discovery, "discovery");
        }
    }
    return settings;
}

RunConfig config_of(const toml::table& file, const NamedFiles& files) {
    refuse_unknown_keys(file, {"arm_after", "alarm", "notify", "mqtt"}, "");
    RunConfig config;
    if (const toml::node* arm_after = file.get("arm_after")) {
        config.arm_after_s = duration(*arm_after, "arm_after", "");
    }
    if (const toml::node* alarms = file.get("alarm")) {
        std::map<std::string, std::string> names;
        read_each(*alarms, "alarm", [&](const toml::table& table, std::size_t number_in_file) {
            config.alarms.push_back(read_alarm(table, number_in_file, names));
        });
    }
    if (const toml::node* notify = file.get("notify")) {
        const toml::table& targets = table_of(*notify, "notify");
        refuse_unknown_keys(targets, {"webhook", "command"}, " in notify");
        if (const toml::node* webhooks = targets.get("webhook")) {
            read_each(*webhooks, "notify.webhook", [&](const toml::table& table, std::size_t n) {
                config.webhooks.push_back(read_webhook(table, n));
            });
        }
        if (const toml::node* commands = targets.get("command")) {
            read_each(*commands, "notify.command", [&](const toml::table& table, std::size_t n) {
                config.commands.push_back(read_command(table, n));
            });
        }
    }
    if (const toml::node* mqtt = file.get("mqtt")) {
        config.mqtt = read_mqtt(*mqtt, files);
    }
    return config;
}

std::string located(std::string_view path, const toml::source_position& where,
                    std::string_view what) {
    std::ostringstream line;
    line << path << ':' << where.line << ':' << where.column << ": " << what;
    return line.str();
}

}  // namespace

std::optional<double> read_duration(std::string_view text) {
    double amount = 0.0;
    const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), amount);
    if (problem != std::errc{} || end == text.data() || !std::isfinite(amount) || amount < 0.0) {
        return std::nullopt;
    }
    const std::string_view unit(end, static_cast<std::size_t>(text.data() + text.size() - end));
    for (const auto& [name, seconds] : {std::pair<std::string_view, double>{"ms", 0.001},
                                        {"s", 1.0},
                                        {"m", 60.0},
                                        {"h", 3600.0}}) {
        if (unit == name) {
            return amount * seconds;
        }
    }
    return std::nullopt;
}

std::optional<RunConfig> read_config_file(const std::string& path, std::string& error) {
    std::string why;
    const std::optional<std::string> content = whole_file(path, why);
    if (!content) {
        error = path + ": cannot be read: " + why;
        return std::nullopt;
    }
    const char* credentials_directory = std::getenv("CREDENTIALS_DIRECTORY");
    return read_config(*content, path, error,
                       credentials_directory != nullptr ? credentials_directory : "");
}

std::optional<RunConfig> read_config(std::string_view text, std::string_view path,
                                     std::string& error, std::string_view credentials_directory) {
    try {
        const toml::table file = toml::parse(text, path);
        return config_of(file, {path, credentials_directory});
    } catch (const toml::parse_error& problem) {
        error = located(path, problem.source().begin, problem.description());
    } catch (const ConfigFault& problem) {
        error = located(path, problem.where, problem.what);
    }
    return std::nullopt;
}

}  // namespace stillmon
