#pragma once

#include <string>
#include <vector>

// Home Assistant's MQTT discovery: one retained config per temperature a meter shows, so that it
// appears as a device with its sensors without any setup on that side.
namespace Cli {

struct DiscoveryConfig {
    std::string topic;    // homeassistant/sensor/<object id>/config
    std::string payload;  // JSON; empty to remove a sensor the meter no longer has
};

struct DiscoveryDevice {
    std::string node;        // identifies this meter in Home Assistant, see MeterIdentity
    std::string name;        // what the user sees: the device id, never the PC's name
    std::string topicPrefix; // where its state and availability go
    std::string version;     // the publishing program's
    std::string supportUrl;  // where its users find help; none when empty
};

// T1, and T2 and T1-T2 on a two-channel meter (empty payloads otherwise), in the meter's unit
// ("C", "F" or "K"), each with the device and the program that sends it (its origin).
std::vector<DiscoveryConfig> DiscoveryConfigs(const DiscoveryDevice& device, const std::string& unit, bool dualChannel);

// What names the meter on COM `com` for Home Assistant whatever the PC is called: the by-id name
// of its USB adapter, which follows the adapter to any port and node, else the COM number.
std::string MeterIdentity(int com);

// `text` as a JSON string, quotes included.
std::string JsonString(const std::string& text);

}  // namespace Cli
