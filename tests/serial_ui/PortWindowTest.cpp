#include <gtest/gtest.h>

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <filesystem>

#include "QtPrinters.h"
#include "SimulatedMeter.h"
#include "TempPortsDir.h"
#include "panel/Panel.h"
#include "panel/Windows.h"
#include "serial/PortNames.h"
#include "serial/PortWindow.h"
#include "serial/Rs232_API.h"
#include "ui/EventPump.h"
#include "ui/Forms.h"

namespace {

class PortWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        Rs232_API::Reset();
        RegisterWindows();
        port = Forms::GetAs<PortWindow>("Port");
        ASSERT_NE(port, nullptr);
        combo = port->findChild<QComboBox*>("TxtCOM");
    }
    void TearDown() override {
        Forms::UnloadAll();
        EventPump::Delay(0.05);
        Rs232_API::Reset();
    }

    TempPortsDir ports;
    PortWindow* port = nullptr;
    QComboBox* combo = nullptr;
};

TEST_F(PortWindowTest, StartsWithAllNumbersAndComOneSelected) {
    EXPECT_EQ(port->Caption(), "COM Port");
    ASSERT_EQ(combo->count(), 256);
    EXPECT_EQ(combo->itemText(0), "COM  1");
    EXPECT_EQ(combo->itemText(255), "COM  256");
    EXPECT_EQ(combo->currentText(), "COM  1");
    for (const char* name : {"BtnAutoScan", "BtnReset", "BtnDeviceManager", "CmdOK"})
        EXPECT_NE(port->findChild<QPushButton*>(name), nullptr) << name;
    EXPECT_EQ(Rs232_API::PortDriver().GetInBuffer(), 2048);
}

TEST_F(PortWindowTest, OkParsesTheNumberAfterTheTwoBlanks) {
    struct Case {
        QString text;
        int previous;
        int expected;
    };
    for (const Case& c : {Case{"COM  7", 0, 7}, Case{"COM7", 0, 0}, Case{"COM  12  x", 3, 12}, Case{"COM  x", 5, 5},
                          Case{"", 4, 4}}) {
        EXPECT_EQ(PortWindow::ParsePortNumber(c.text, c.previous), c.expected) << c.text.toStdString();
    }
}

TEST_F(PortWindowTest, OkOpensThePortAndHandsOverToTheMainWindow) {
    SimulatedMeter meter(7);
    ASSERT_TRUE(meter.Start());
    combo->setCurrentText("COM  7");
    port->CmdOK_Click();
    EventPump::Delay(0.05);
    EXPECT_EQ(Forms::Find("Port"), nullptr) << "the port window closes";
    auto* panel = Forms::FindAs<Panel>("Panel");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->LblCOM->text(), "COM  7");
    EXPECT_EQ(Rs232_API::OpenPortCount(), 1);
    EXPECT_EQ(Rs232_API::CurrentPortIndex(), 1);
    EXPECT_TRUE(Rs232_API::PortDriver().IsOpen(7));
}

TEST_F(PortWindowTest, TextWithoutTheBlanksOpensPortZeroAndShowsNoCom) {
    combo->setCurrentText("COM7");
    port->CmdOK_Click();
    auto* panel = Forms::FindAs<Panel>("Panel");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(Rs232_API::OpenPorts(1).number, 0);
    QElapsedTimer waited;
    waited.start();
    while (panel->LblCOM->text() != "No COM" && waited.elapsed() < 20000) EventPump::Delay(0.05);
    EXPECT_EQ(panel->LblCOM->text(), "No COM");
}

TEST_F(PortWindowTest, AutoScanListsThePortsThatOpenAndClosesThemAgain) {
    SimulatedMeter first(3), second(200);
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(second.Start());
    port->BtnAutoScan_Click();
    QStringList listed;
    for (int i = 0; i < combo->count(); ++i) listed << combo->itemText(i);
    EXPECT_TRUE(listed.contains("COM  3"));
    EXPECT_TRUE(listed.contains("COM  200"));
    EXPECT_FALSE(listed.contains("COM  4"));
    // Whatever else this machine has, every listed number leads to a device that exists.
    for (const QString& entry : listed) {
        const auto path = PortNames::DevicePath(PortWindow::ParsePortNumber(entry, 0));
        ASSERT_TRUE(path.has_value()) << entry.toStdString();
        EXPECT_TRUE(std::filesystem::exists(*path)) << *path;
    }
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_FALSE(Rs232_API::PortDriver().IsOpen(3));
    EXPECT_FALSE(Rs232_API::PortDriver().IsOpen(200));
    EXPECT_EQ(port->findChild<QProgressBar*>("ProgressBar1")->value(), 256);

    port->BtnReset_Click();
    EXPECT_EQ(combo->count(), 256);
}

TEST_F(PortWindowTest, DeviceManagerListsTheAliasedDevices) {
    SimulatedMeter meter(9);
    ASSERT_TRUE(meter.Start());
    port->BtnDeviceManager_Click();
    QWidget* devices = Forms::Find("SerialDevices");
    ASSERT_NE(devices, nullptr);
    auto* tree = devices->findChild<QTreeWidget*>("Devices");
    ASSERT_NE(tree, nullptr);
    bool found = false;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = tree->topLevelItem(i);
        if (item->text(0) == "COM  9") {
            found = true;
            EXPECT_TRUE(item->text(1).contains(QString::fromStdString(meter.DevicePath())));
            EXPECT_EQ(item->text(4), "OK");
        }
    }
    EXPECT_TRUE(found);
}

}  // namespace
