// Preloaded into stillmon by the MQTT tests: libmosquitto refuses each state, out of memory.
#include <dlfcn.h>
#include <mosquitto.h>

#include <string_view>

extern "C" int mosquitto_publish(mosquitto* client, int* id, const char* topic, int length,
                                 const void* payload, int qos, bool retain) {
    using Publish = decltype(mosquitto_publish);
    return std::string_view(topic).ends_with("/state")
               ? MOSQ_ERR_NOMEM
               : reinterpret_cast<Publish*>(dlsym(RTLD_NEXT, "mosquitto_publish"))(
                     client, id, topic, length, payload, qos, retain);
}
