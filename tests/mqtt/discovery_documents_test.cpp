#include "mqtt/discovery_documents.h"

#include <gtest/gtest.h>

namespace stillmon {
namespace {

const std::string device =  // and the origin
    R"("device":{"identifiers":["stillmon_barn_still-3"],"name":"stillmon barn/still-3",)"
    R"("model":"stillmon","sw_version":"0.1.0"},)"
    R"("origin":{"name":"stillmon","sw_version":"0.1.0"})";

TEST(DiscoveryDocuments, OneSensorPerValueOneProblemPerAlarmAndTheMarksOfOneDevice) {
    const auto documents =
        discovery_documents("barn/still-3", "homeassistant", {"steam-hot", "cold_water"}, "0.1.0");
    ASSERT_EQ(documents.size(), 14u + 2u + 1u);  // every topic: in the end-to-end test
    for (const MqttMessage& document : documents) {
        EXPECT_NE(document.payload.find(device), std::string::npos) << document.topic;
    }
    EXPECT_EQ(documents[3].topic, "homeassistant/sensor/barn_still-3/steam/config");
    EXPECT_EQ(documents[15].topic, "homeassistant/binary_sensor/barn_still-3/cold_water/config");
    EXPECT_EQ(documents[3].payload,
              R"({"name":"Steam","unique_id":"barn_still-3_steam",)"
              R"("state_topic":"barn/still-3/state",)"
              R"("availability_topic":"barn/still-3/availability",)"
              R"("value_template":"{{ value_json.temperatures[3] }}",)"
              R"("unit_of_measurement":"\u00b0C","device_class":"temperature",)"
              R"("state_class":"measurement","expire_after":10,)" +
                  device + "}");
    EXPECT_EQ(documents[8].payload,
              R"({"name":"Liquid strength","unique_id":"barn_still-3_liquid_strength",)"
              R"("state_topic":"barn/still-3/state",)"
              R"("availability_topic":"barn/still-3/availability",)"
              R"("value_template":"{{ value_json.liquid_strength }}",)"
              R"("unit_of_measurement":"%","state_class":"measurement","expire_after":10,)" +
                  device + "}");
    EXPECT_EQ(documents[15].payload,
              R"({"name":"Alarm cold_water","unique_id":"barn_still-3_alarm_cold_water",)"
              R"("state_topic":"barn/still-3/alarm/cold_water",)"
              R"("availability_topic":"barn/still-3/availability",)"
              R"("payload_on":"ON","payload_off":"OFF","device_class":"problem",)" +
                  device + "}");
    EXPECT_EQ(documents[16].topic, "homeassistant/event/barn_still-3/mark/config");
    EXPECT_EQ(documents[16].payload,
              R"({"name":"Mark","unique_id":"barn_still-3_mark","state_topic":"barn/still-3/mark",)"
              R"("availability_topic":"barn/still-3/availability","event_types":["mark"],)" +
                  device + "}");

    // Any printable topic makes a node id Home Assistant takes, and stays intact in the JSON.
    const auto odd = discovery_documents(R"(the "still"/north.3)", "ha", {}, "1.2");
    EXPECT_EQ(odd[0].topic, "ha/sensor/the__still__north_3/tank/config");
    EXPECT_NE(odd[0].payload.find(R"("unique_id":"the__still__north_3_tank",)"
                                  R"("state_topic":"the \"still\"/north.3/state")"),
              std::string::npos);
    // A topic naming stillmon is the device's name: sensor.stillmon_north_3_tank.
    const auto named = discovery_documents("stillmon/north-3", "ha", {}, "1.2");
    EXPECT_NE(named[0].payload.find(R"("name":"stillmon/north-3")"), std::string::npos);
}

}  // namespace
}  // namespace stillmon
