#include "config/config_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <tuple>

#include "support/temp_directory.h"

namespace stillmon {
namespace {

TEST(ConfigFile, ReadsTheAlarmsAndTheirTargets) {
    std::string error;
    const auto config = read_config(R"(arm_after = "2m"
[[alarm]]
name = "steam-hot"
value = "steam"
above = 80
clear = 78.0
for = "30s"
severity = "critical"
repeat = "10m"

[[alarm]]
name = "cold_water"
value = "out_water"
below = 10.0

[[notify.webhook]]
url = "http://ntfy.example/my-still"
format = "ntfy"

[[notify.command]]
run = ["/usr/local/bin/page-me", "--still", "north"]
)",
                                    "still.toml", error);
    ASSERT_TRUE(config) << error;
    EXPECT_EQ(config->arm_after_s, 120.0);
    ASSERT_EQ(config->alarms.size(), 2u);
    const AlarmRule& hot = config->alarms[0];
    EXPECT_EQ(hot.name, "steam-hot");
    EXPECT_EQ(hot.value, AlarmValue::steam);
    EXPECT_TRUE(hot.above);
    EXPECT_EQ(hot.threshold, 80.0);
    EXPECT_EQ(hot.clear, 78.0);
    EXPECT_EQ(hot.for_s, 30.0);
    EXPECT_EQ(hot.severity, AlarmSeverity::critical);
    EXPECT_EQ(hot.repeat_s, 600.0);
    const AlarmRule& cold = config->alarms[1];
    EXPECT_FALSE(cold.above);
    EXPECT_EQ(cold.clear, 10.0);  // the threshold, when no "clear" is given
    EXPECT_FALSE(cold.repeat_s);
    ASSERT_EQ(config->webhooks.size(), 1u);
    const WebhookTarget& ntfy = config->webhooks[0];
    EXPECT_EQ(ntfy.format, WebhookTarget::Format::ntfy);
    // Taken apart here, so that sending never has an address to guess at.
    EXPECT_EQ(std::tie(ntfy.url.tls, ntfy.url.host, ntfy.url.port, ntfy.url.target),
              std::make_tuple(false, "ntfy.example", 80, "/my-still"));
    ASSERT_EQ(config->commands.size(), 1u);
    EXPECT_EQ(config->commands[0].argv.size(), 3u);
}

// A mistake never silently disables an alarm: each is named with its line and column.
TEST(ConfigFile, RefusesWhatItDoesNotUnderstand) {
    const std::string alarm = "[[alarm]]\nname = \"steam-hot\"\nvalue = \"steam\"\n";
    const std::pair<std::string, std::string> cases[] = {
        {alarm + "abvoe = 80.0\n", "still.toml:4:1: unknown key \"abvoe\" in alarm \"steam-hot\""},
        {alarm + "above = \"80\"\n",
         "still.toml:4:9: \"above\" in alarm \"steam-hot\" must be a number"},
        {alarm, "still.toml:1:1: alarm \"steam-hot\" needs either \"above\" or \"below\""},
        {alarm + "above = 1\nbelow = 0\n",
         "still.toml:1:1: alarm \"steam-hot\" needs either \"above\" or \"below\""},
        {alarm + "above = 80.0\nclear = 81.0\n",
         "still.toml:5:9: \"clear\" in alarm \"steam-hot\" must not be above \"above\""},
        {alarm + "above = 80.0\nfor = \"30 s\"\n",
         "still.toml:5:7: \"for\" in alarm \"steam-hot\" must be a duration such as \"30s\", "
         "\"2m\" or \"500ms\""},
        {alarm + "above = 80.0\nseverity = \"loud\"\n",
         "still.toml:5:12: \"severity\" in alarm \"steam-hot\" must be \"warning\" or "
         "\"critical\""},
        {"[[alarm]]\nname = \"x\"\nvalue = \"stem\"\nabove = 1\n",
         "still.toml:3:9: unknown value \"stem\" in alarm \"x\""},
        {"[[alarm]]\nname = \"steam hot\"\n",
         "still.toml:2:8: the alarm name \"steam hot\" may hold only letters, digits, \"-\" and "
         "\"_\""},
        {alarm + "above = 1\n" + alarm + "above = 2\n",
         "still.toml:6:8: a second alarm named \"steam-hot\""},
        {"[alarm]\n", "still.toml:1:1: write [[alarm]] (two brackets), not [alarm]: each one"},
        {alarm + "above = 1\n[[alarm]]\nname = \"Steam__hot\"\n",
         "still.toml:6:8: the alarm names \"steam-hot\" and \"Steam__hot\" would be one "
         "entity in Home Assistant, \"steam_hot\""},
        {"arm_afterr = \"2m\"\n", "still.toml:1:1: unknown key \"arm_afterr\""},
        {"[[notify.webhook]]\nurl = \"ftp://x\"\n",
         "still.toml:2:7: \"url\" in webhook 1 must start with http:// or https://"},
        {"[[notify.webhook]]\nurl = \"http://still:80800/\"\n",
         "still.toml:2:7: \"url\" in webhook 1 has no host, or a port that is not a number"},
        {"[[notify.command]]\nrun = \"page-me\"\n",
         "still.toml:2:7: \"run\" in command 1 must be a list of texts, the program first"},
        {"[notify]\nemail = \"me\"\n", "still.toml:2:1: unknown key \"email\" in notify"},
        {"above = = 1\n", "still.toml:1:9: "},  // not TOML: toml++'s own words follow
#if STILLMON_MQTT
        {"[mqtt]\ntopic = \"still\"\n", "still.toml:1:1: mqtt needs a \"broker\""},
        {"[mqtt]\nbroker = \"http://x\"\n",
         "still.toml:2:10: \"broker\" in mqtt must be mqtt://HOST[:PORT] or mqtts://HOST[:PORT]"},
        {"[mqtt]\nbroker = \"mqtt://x:0\"\n",
         "still.toml:2:10: \"broker\" in mqtt must be mqtt://HOST[:PORT] or mqtts://HOST[:PORT]"},
        {"[mqtt]\nbroker = \"mqtt://x\"\nusername = \"still\"\npassword = \"s3cret\"\n",
         "still.toml:4:1: \"password\" in mqtt is never read from this file: name a file that "
         "holds it with \"password_file\""},
        {"[mqtt]\nbroker = \"mqtt://x\"\npassword_file = \"pw\"\n",
         "still.toml:3:17: \"password_file\" in mqtt needs a \"username\""},
        {"[mqtt]\nbroker = \"mqtt://x\"\nusername = \"still\"\npassword_file = \"absent\"\n",
         "still.toml:4:17: the password file \"absent\" cannot be read: No such file or directory"},
        {"[mqtt]\nbroker = \"mqtt://x\"\nca_file = \"ca.pem\"\n",
         "still.toml:3:11: \"ca_file\" in mqtt is for an mqtts:// broker"},
        {"[mqtt]\nbroker = \"mqtts://x\"\nca_file = \"absent.pem\"\n",
         "still.toml:3:11: the certificate file \"absent.pem\" cannot be read: No such file or "
         "directory"},
        {"[mqtt]\nbroker = \"mqtt://x\"\ntopic = \"still/+\"\n",
         "still.toml:3:9: \"topic\" in mqtt must be printable ASCII without \"+\" or \"#\", "
         "starting with neither \"$\" nor \"/\" and not ending with \"/\""},
        {"[mqtt]\nbroker = \"mqtt://x\"\ndiscovery = \"/homeassistant\"\n",
         "still.toml:3:13: \"discovery\" in mqtt must be printable ASCII without \"+\" or "
         "\"#\", starting with neither \"$\" nor \"/\" and not ending with \"/\""},
#else
        {"[mqtt]\nbroker = \"mqtt://x\"\n", "still.toml:1:1: MQTT is not built into this stillmon"},
#endif
    };
    for (const auto& [text, expected] : cases) {
        std::string error;
        EXPECT_FALSE(read_config(text, "still.toml", error)) << text;
        EXPECT_EQ(error.substr(0, expected.size()), expected) << text;
        EXPECT_GT(error.size(), expected.size() - 1) << text;
    }
}

#if STILLMON_MQTT
// The password and the certificates are found beside the configuration file.
TEST(ConfigFile, ReadsTheBrokerAndThePasswordFromItsFile) {
    const test_support::TempDirectory folder;
    std::ofstream(folder.file("password")) << "s3cret\n";
    std::ofstream(folder.file("ca.pem")) << "-----BEGIN CERTIFICATE-----\n";
    std::string error;
    const auto config = read_config(R"([mqtt]
broker = "mqtts://broker.example:18883"
username = "still"
password_file = "password"
ca_file = "ca.pem"
topic = "barn/still"
discovery = ""
)",
                                    folder.file("still.toml"), error);
    ASSERT_TRUE(config) << error;
    const MqttSettings& mqtt = *config->mqtt;
    EXPECT_EQ(std::tie(mqtt.address.host, mqtt.address.port, mqtt.address.tls),
              std::make_tuple("broker.example", 18883, true));
    EXPECT_EQ(mqtt.password, "s3cret");  // without the line's end
    EXPECT_EQ(std::tie(mqtt.username, mqtt.ca_file, mqtt.topic, mqtt.discovery),
              std::make_tuple("still", folder.file("ca.pem"), "barn/still", ""));

    const auto plain = read_config("[mqtt]\nbroker = \"mqtt://[::1]\"\n", "a.toml", error);
    ASSERT_TRUE(plain) << error;
    const MqttSettings& defaults = *plain->mqtt;
    EXPECT_EQ(std::tie(defaults.address.host, defaults.address.port, defaults.address.tls),
              std::make_tuple("::1", 1883, false));
    EXPECT_EQ(std::tie(defaults.topic, defaults.discovery),
              std::make_tuple(std::nullopt, "homeassistant"));

    // "%d/NAME": a credential systemd handed the service, wherever the configuration is.
    const test_support::TempDirectory credentials;
    std::ofstream(credentials.file("mqtt-password")) << "from-systemd";
    const std::string_view by_credential =
        "[mqtt]\nbroker = \"mqtt://b\"\nusername = \"u\"\npassword_file = \"%d/mqtt-password\"\n";
    const auto service = read_config(by_credential, "/etc/still.toml", error, credentials.file(""));
    ASSERT_TRUE(service) << error;
    EXPECT_EQ(service->mqtt->password, "from-systemd");
    EXPECT_FALSE(read_config(by_credential, "still.toml", error));
    EXPECT_EQ(error,
              "still.toml:4:17: \"%d/mqtt-password\" is a credential of the systemd "
              "service (LoadCredential=), but stillmon was started without credentials: "
              "$CREDENTIALS_DIRECTORY is not set");
}
#endif

// The example the package installs is one a distiller can start from as it is.
TEST(ConfigFile, ReadsTheInstalledExample) {
    std::string error;
    const auto config = read_config_file(STILLMON_EXAMPLE_CONFIG, error);
    if (!webhooks_reach_https) {
        // Its ntfy address is https://, which a build without TLS refuses by name.
        EXPECT_FALSE(config);
        EXPECT_NE(error.find("no TLS for https://"), std::string::npos) << error;
        return;
    }
    ASSERT_TRUE(config) << error;
    EXPECT_EQ(config->alarms.size(), 4u);
    EXPECT_EQ(config->webhooks.size(), 1u);
}

TEST(ConfigFile, ReadsDurations) {
    EXPECT_EQ(read_duration("500ms"), 0.5);
    EXPECT_EQ(read_duration("30s"), 30.0);
    EXPECT_EQ(read_duration("1.5m"), 90.0);
    EXPECT_EQ(read_duration("2h"), 7200.0);
    for (const char* bad : {"", "30", "s", "-1s", "30 s", "infs", "nanm", "3d"}) {
        EXPECT_FALSE(read_duration(bad)) << bad;
    }
}

}  // namespace
}  // namespace stillmon
