#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <algorithm>
#include <filesystem>

#include "ProgramState.h"
#include "QtPrinters.h"
#include "SimulatedMeter.h"
#include "TempPortsDir.h"
#include "Widgets.h"
#include "app/Windows.h"
#include "serial/PortNames.h"
#include "serial/Rs232_API.h"
#include "ui/EventPump.h"
#include "ui/Forms.h"
#include "ui/MeterLink.h"
#include "ui/WindowFrame.h"
#include "windows/panel/Panel.h"
#include "windows/serial/PortWindow.h"

namespace {

class PortWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        RegisterProgramWindows();
        port = Forms::GetAs<PortWindow>("Port");
        ASSERT_NE(port, nullptr);
        combo = port->findChild<QComboBox*>("TxtCOM");
    }
    void TearDown() override { ResetProgramState(); }

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

TEST_F(PortWindowTest, OkStartsTheMeterLinkAndHandsOverToTheMainWindow) {
    SimulatedMeter meter(7);
    ASSERT_TRUE(meter.Start());
    combo->setCurrentText("COM  7");
    port->CmdOK_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Forms::Find("Port"), nullptr) << "the port window closes";
    auto* panel = Forms::FindAs<Panel>("Panel");
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(ProgramLink().Started());
    EXPECT_EQ(ProgramLink().Port(), 7);
    EXPECT_EQ(Child<QLabel>(panel, "LblCOM")->text(), "COM  7");
    EXPECT_TRUE(PumpUntil([] { return ProgramLink().MeterOnline(); })) << "the meter on COM 7 is read";
    EXPECT_EQ(Child<QLabel>(panel, "LblCOM")->text(), "COM  7");
}

TEST_F(PortWindowTest, TextWithoutTheBlanksStartsOnPortZeroAndShowsNoCom) {
    combo->setCurrentText("COM7");
    port->CmdOK_Click();
    auto* panel = Forms::FindAs<Panel>("Panel");
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(ProgramLink().Started());
    EXPECT_EQ(ProgramLink().Port(), 0);
    EXPECT_TRUE(PumpUntil([&] { return Child<QLabel>(panel, "LblCOM")->text() == "No COM"; }));
    EXPECT_FALSE(ProgramLink().MeterOnline());
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

// The scan lets events run: an OK, a Reset and a close that arrive meanwhile must not pull the
// window or its list away under it. OK and Reset are refused, the close waits for the scan's end.
TEST_F(PortWindowTest, ClicksAndCloseDuringAutoScanWaitForItsEnd) {
    SimulatedMeter meter(3);
    ASSERT_TRUE(meter.Start());
    QPointer<PortWindow> alive(port);
    QMetaObject::invokeMethod(
        port,
        [alive] {
            for (const char* button : {"CmdOK", "BtnReset", "BtnAutoScan"}) alive->findChild<QPushButton*>(button)->click();
            alive->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        },
        Qt::QueuedConnection);
    port->BtnAutoScan_Click();
    ASSERT_FALSE(alive.isNull());
    EXPECT_EQ(Forms::Find("Panel"), nullptr);
    EXPECT_FALSE(ProgramLink().Started()) << "the refused OK starts nothing";
    EXPECT_LT(combo->count(), 256) << "the list holds what the scan found";
    EXPECT_EQ(port->findChild<QProgressBar*>("ProgressBar1")->value(), 256);
    for (const char* control : {"CmdOK", "BtnReset", "BtnAutoScan", "TxtCOM"})
        EXPECT_TRUE(port->findChild<QWidget*>(control)->isEnabled()) << control;

    EventPump::Delay(0.05);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull()) << "the close comes once the scan has ended";
}

// Serial Devices belongs to the port window: it goes when that window closes, with or without OK.
TEST_F(PortWindowTest, SerialDevicesGoesWithThePortWindow) {
    for (bool ok : {false, true}) {
        SCOPED_TRACE(ok ? "OK" : "closed");
        ResetProgramState();
        RegisterProgramWindows();
        port = Forms::GetAs<PortWindow>("Port");
        port->BtnDeviceManager_Click();
        ASSERT_NE(Forms::Find("SerialDevices"), nullptr);
        ok ? port->CmdOK_Click() : void(port->close());
        EXPECT_EQ(Forms::Find("SerialDevices"), nullptr);
        EXPECT_EQ(Forms::Find("Port"), nullptr);
    }
}

// Serial Devices opens under the COM Port window, and beside it where the screen ends below it.
TEST_F(PortWindowTest, SerialDevicesOpensUnderThePortWindowOnTheScreen) {
    WindowFrame::Install(QMargins(1, 20, 1, 5));
    const QRect free = port->screen()->availableGeometry();
    port->show();
    for (int portTop : {free.top() + 10, free.bottom() - port->HeightPx()}) {
        SCOPED_TRACE(portTop);
        port->MovePx(free.left() + 30, portTop);
        port->BtnDeviceManager_Click();
        auto* devices = Forms::FindAs<FormWindow>("SerialDevices");
        ASSERT_NE(devices, nullptr);
        ASSERT_TRUE(devices->isVisible());
        ASSERT_LE(devices->HeightPx(), free.height()) << "the screen is large enough for the test";
        const QRect portFrame(port->LeftPx(), port->TopPx(), port->WidthPx(), port->HeightPx());
        const QRect devicesFrame(devices->LeftPx(), devices->TopPx(), devices->WidthPx(), devices->HeightPx());
        EXPECT_TRUE(free.contains(devicesFrame));
        EXPECT_FALSE(devicesFrame.intersects(portFrame)) << "the list hides the window it serves";
        if (portTop == free.top() + 10) {
            EXPECT_EQ(devicesFrame.topLeft(), portFrame.bottomLeft() + QPoint(0, 1));
        }
        Forms::Unload("SerialDevices");
    }
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
