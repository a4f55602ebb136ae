#include "Discovery.h"

#include <cstdio>
#include <filesystem>

#include "serial/PortNames.h"

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

// An entity id's part after "sensor.": lower-case letters and digits, single '_' between them.
std::string EntitySlug(const std::string& text) {
    std::string slug;
    bool gap = false;
    for (const char c : text) {
        const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if ((lower >= 'a' && lower <= 'z') || (lower >= '0' && lower <= '9')) {
            if (gap && !slug.empty()) slug += '_';
            slug += lower;
            gap = false;
        } else {
            gap = true;
        }
    }
    return slug;
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

std::string MeterIdentity(int com) {
    if (const auto path = PortNames::DevicePath(com)) {
        std::error_code missing;
        const std::filesystem::path device = std::filesystem::canonical(*path, missing);
        if (!missing) {
            if (const auto byId = PortNames::ByIdNameOf(device.string())) return "tq36-" + *byId;
        }
    }
    return "tq36-com" + std::to_string(com);
}

std::vector<DiscoveryConfig> DiscoveryConfigs(const DiscoveryDevice& device, const std::string& unit, bool dualChannel) {
    struct Sensor {
        const char* key;   // its field in the state JSON
        const char* name;
        bool shown;
        bool temperature;  // T1-T2 is a difference: Home Assistant would convert it like a temperature
    };
    const Sensor sensors[] = {{"t1", "T1", true, true},
                              {"t2", "T2", dualChannel, true},
                              {"t1_t2", "T1-T2", dualChannel, false}};
    const std::string node = ObjectId(device.node);
    // The program's name and what it calls the meter; it names no maker besides.
    const std::string deviceJson = "{\"identifiers\":[" + JsonString(node) + "],\"name\":" + JsonString(device.name) +
                                   ",\"manufacturer\":\"TQ36\",\"model\":\"datalogging thermocouple thermometer\""
                                   ",\"sw_version\":" + JsonString(device.version) + "}";
    // Home Assistant's log names the program behind a config, and where to ask about it.
    const std::string originJson = "{\"name\":\"tq36-cli\",\"sw_version\":" + JsonString(device.version) +
                                   (device.supportUrl.empty() ? "" : ",\"support_url\":" + JsonString(device.supportUrl)) +
                                   "}";
    std::vector<DiscoveryConfig> configs;
    for (const Sensor& s : sensors) {
        const std::string id = node + "_" + s.key;
        DiscoveryConfig config{"homeassistant/sensor/" + id + "/config", {}};
        if (s.shown) {
            // A mark (OL, -OL, ----) is no temperature: the sensor shows "unknown" for it.
            const std::string value = std::string("value_json.") + s.key;
            config.payload = "{\"name\":" + JsonString(s.name) +
                             ",\"default_entity_id\":" + JsonString("sensor." + EntitySlug(id)) +
                             ",\"unique_id\":" + JsonString(id) +
                             (s.temperature ? ",\"device_class\":\"temperature\"" : "") +
                             ",\"state_class\":\"measurement\""
                             ",\"unit_of_measurement\":" + JsonString(UnitSymbol(unit)) +
                             ",\"suggested_display_precision\":1"
                             ",\"state_topic\":" + JsonString(device.topicPrefix + "/state") +
                             ",\"value_template\":" +
                             JsonString("{{ " + value + " if " + value + " is number else None }}") +
                             ",\"availability_topic\":" + JsonString(device.topicPrefix + "/availability") +
                             ",\"device\":" + deviceJson + ",\"origin\":" + originJson + "}";
        }
        configs.push_back(std::move(config));
    }
    return configs;
}

}  // namespace Cli
