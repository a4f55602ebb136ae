#include "Discovery.h"

#include <cstdio>

namespace Cli {

namespace {

// Object ids and unique ids may hold letters, digits, '_' and '-' only.
std::string ObjectId(const std::string& text) {
    std::string id;
    for (const char c : text) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
        id += plain ? c : '_';
    }
    return id;
}

std::string UnitSymbol(const std::string& unit) {
    if (unit == "C") return "\u00b0C";
    if (unit == "F") return "\u00b0F";
    return "K";
}

}  // namespace

std::string JsonString(const std::string& text) {
    std::string json = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            json += escaped;
        } else {
            json += c;
        }
    }
    return json + "\"";
}

std::vector<DiscoveryConfig> DiscoveryConfigs(const DiscoveryDevice& device, const std::string& unit, bool dualChannel) {
    struct Sensor {
        const char* key;   // its field in the state JSON
        const char* name;
        bool shown;
    };
    const Sensor sensors[] = {{"t1", "T1", true}, {"t2", "T2", dualChannel}, {"t1_t2", "T1-T2", dualChannel}};
    const std::string node = ObjectId(device.node);
    const std::string deviceJson = "{\"identifiers\":[" + JsonString(node) + "],\"name\":" + JsonString(device.name) +
                                   ",\"model\":\"TQ36 thermocouple thermometer\",\"sw_version\":" +
                                   JsonString(device.version) + "}";
    std::vector<DiscoveryConfig> configs;
    for (const Sensor& s : sensors) {
        const std::string id = node + "_" + s.key;
        DiscoveryConfig config{"homeassistant/sensor/" + id + "/config", {}};
        if (s.shown) {
            // A mark (OL, -OL, ----) is no temperature: the sensor shows "unknown" for it.
            const std::string value = std::string("value_json.") + s.key;
            config.payload = "{\"name\":" + JsonString(s.name) + ",\"object_id\":" + JsonString(id) +
                             ",\"unique_id\":" + JsonString(id) +
                             ",\"device_class\":\"temperature\",\"state_class\":\"measurement\""
                             ",\"unit_of_measurement\":" + JsonString(UnitSymbol(unit)) +
                             ",\"state_topic\":" + JsonString(device.topicPrefix + "/state") +
                             ",\"value_template\":" +
                             JsonString("{{ " + value + " if " + value + " is number else None }}") +
                             ",\"availability_topic\":" + JsonString(device.topicPrefix + "/availability") +
                             ",\"device\":" + deviceJson + "}";
        }
        configs.push_back(std::move(config));
    }
    return configs;
}

}  // namespace Cli
