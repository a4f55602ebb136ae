// Home Assistant's discovery configs as publish sends them, and the meter's identity in them.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <filesystem>
#include <fstream>
#include <set>
#include <vector>

#include "Discovery.h"
#include "TempPortsDir.h"

namespace {

QJsonObject Json(const std::string& text) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(text)).object();
}

// T1-T2 is a difference of temperatures: with the temperature class Home Assistant would show a
// 2 degC difference as 35.6 degF to a user who reads Fahrenheit.
TEST(Discovery, DifferenceIsNoTemperatureForHomeAssistant) {
    const std::vector<Cli::DiscoveryConfig> configs =
        Cli::DiscoveryConfigs({"tq36-com1", "tq36-com1", "tq36/com1", "tq36-cli 1", ""}, "F", true);
    ASSERT_EQ(configs.size(), 3u);
    for (const Cli::DiscoveryConfig& c : configs) {
        SCOPED_TRACE(c.topic);
        const QJsonObject o = Json(c.payload);
        const bool difference = c.topic.find("_t1_t2/") != std::string::npos;
        EXPECT_EQ(o.contains("device_class"), !difference);
        if (!difference) {
            EXPECT_EQ(o["device_class"].toString(), "temperature");
        }
        EXPECT_EQ(o["unit_of_measurement"].toString(), "\u00b0F");
        EXPECT_EQ(o["state_class"].toString(), "measurement");
        EXPECT_EQ(o["suggested_display_precision"].toInt(), 1);
        // object_id stops working in Home Assistant 2026.4.
        EXPECT_FALSE(o.contains("object_id"));
        const QJsonObject device = o["device"].toObject();
        EXPECT_FALSE(device["manufacturer"].toString().isEmpty());
        EXPECT_FALSE(device["model"].toString().isEmpty());
    }
}

// Each config names the program that sends it (its origin, as Home Assistant's discovery asks),
// with a support address where the package has one.
TEST(Discovery, OriginNamesThePublishingProgram) {
    for (const std::string url : {"https://support.example/tq36", ""}) {
        SCOPED_TRACE(url);
        for (const Cli::DiscoveryConfig& c : Cli::DiscoveryConfigs({"kiln", "kiln", "p", "9.1", url}, "C", false)) {
            if (c.payload.empty()) continue;
            const QJsonObject origin = Json(c.payload)["origin"].toObject();
            EXPECT_EQ(origin["name"].toString(), "tq36-cli");
            EXPECT_EQ(origin["sw_version"].toString(), "9.1");
            EXPECT_EQ(origin.contains("support_url"), !url.empty());
            if (!url.empty()) {
                EXPECT_EQ(origin["support_url"].toString().toStdString(), url);
            }
        }
    }
}

// Home Assistant takes only "sensor." with lower-case letters and digits joined by single '_'s,
// and each sensor of a meter needs its own.
TEST(Discovery, DefaultEntityIdsAreValidForAnyNode) {
    const QRegularExpression valid(R"(^sensor\.[a-z0-9]+(_[a-z0-9]+)*$)");
    struct Case {
        const char* node;
        const char* t1;  // the entity id of T1
    };
    const Case cases[] = {
        {"tq36-com1", "sensor.tq36_com1_t1"},
        {"tq36-usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0",
         "sensor.tq36_usb_prolific_technology_inc_usb_serial_controller_if00_port0_t1"},
        {"__Bath--2__", "sensor.bath_2_t1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.node);
        std::vector<std::string> ids;
        for (const Cli::DiscoveryConfig& config : Cli::DiscoveryConfigs({c.node, "n", "p", "v", ""}, "C", true)) {
            ids.push_back(Json(config.payload)["default_entity_id"].toString().toStdString());
            EXPECT_TRUE(valid.match(QString::fromStdString(ids.back())).hasMatch()) << ids.back();
        }
        EXPECT_EQ(ids[0], c.t1);
        EXPECT_EQ(std::set<std::string>(ids.begin(), ids.end()).size(), 3u);
    }
}

// The meter keeps its entities when the PC is renamed: it is known by its USB adapter's by-id
// name, which stays with the adapter, or else by its COM number.
TEST(Discovery, MeterIsKnownByItsPort) {
    TempPortsDir ports;
    const std::string device = ports.Path() + "/ttyUSB-stand-in";
    std::ofstream(device).put('\n');
    std::filesystem::create_symlink(device, ports.Path() + "/COM3");
    EXPECT_EQ(Cli::MeterIdentity(3), "tq36-com3") << "no by-id link leads to it";
    ports.LinkMissing(4);
    EXPECT_EQ(Cli::MeterIdentity(4), "tq36-com4") << "its device is missing";
    ports.LinkById("usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0", device);
    EXPECT_EQ(Cli::MeterIdentity(3), "tq36-usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0");
}

}  // namespace
