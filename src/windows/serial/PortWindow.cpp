#include "windows/serial/PortWindow.h"

#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "serial/Rs232_API.h"
#include "ui/EventPump.h"
#include "ui/Fonts.h"
#include "ui/Forms.h"
#include "ui/MeterLink.h"
#include "ui/ReentryGuard.h"
#include "ui/Twips.h"
#include "windows/WindowNames.h"

namespace {
const QString EntryPrefix = QStringLiteral("COM  ");

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, QRect place) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setFont(Fonts::Get("Times New Roman", 9.75, true));
    button->setGeometry(place);
    return button;
}
}  // namespace

PortWindow::PortWindow(MeterLink& link, QWidget* parent) : FormWindow(WindowNames::Port, parent), link_(link) {
    SetCaption("COM Port");
    SetClientSizeTwips(3660, 1605);
    BtnAutoScan = MakeButton(this, "BtnAutoScan", "AutoScan", Twips::Rect(120, 120, 1095, 615));
    BtnReset = MakeButton(this, "BtnReset", "Reset", Twips::Rect(120, 720, 1095, 615));
    BtnDeviceManager = MakeButton(this, "BtnDeviceManager", "Device Manager", Twips::Rect(1320, 120, 2175, 735));
    TxtCOM = new QComboBox(this);
    TxtCOM->setObjectName("TxtCOM");
    TxtCOM->setEditable(true);
    TxtCOM->setInsertPolicy(QComboBox::NoInsert);
    TxtCOM->setMaxVisibleItems(16);
    TxtCOM->move(Twips::Point(1320, 960));
    TxtCOM->resize(Twips::ToPxX(1455), TxtCOM->sizeHint().height());
    TxtCOM->setAccessibleName("COM port");
    CmdOK = MakeButton(this, "CmdOK", "OK", Twips::Rect(2880, 960, 615, 375));
    CmdOK->setDefault(true);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setGeometry(Twips::Rect(0, 1440, 3735, 135));
    ProgressBar1->setValue(0);

    connect(BtnAutoScan, &QPushButton::clicked, this, &PortWindow::BtnAutoScan_Click);
    connect(BtnReset, &QPushButton::clicked, this, &PortWindow::BtnReset_Click);
    connect(BtnDeviceManager, &QPushButton::clicked, this, &PortWindow::BtnDeviceManager_Click);
    connect(CmdOK, &QPushButton::clicked, this, &PortWindow::CmdOK_Click);
}

void PortWindow::Load() {
    CentreOnScreen();
    BtnReset_Click();
    TxtCOM->setCurrentIndex(0);
    Rs232_API::PortDriver().Init_API();
}

void PortWindow::BtnReset_Click() {
    if (scanning_) return;
    TxtCOM->clear();
    QStringList entries;
    for (int i = 1; i <= ComPortAPI::MaxPort; ++i) entries << EntryPrefix + QString::number(i);
    TxtCOM->addItems(entries);
}

// The scan lets events run, so clicks and a close can come in while it works: the list, OK,
// Reset and AutoScan are disabled until it ends, and a close waits for its end.
void PortWindow::BtnAutoScan_Click() {
    ReentryGuard guard(scanning_);
    if (!guard) return;
    for (QWidget* control : ScanLockedControls()) control->setEnabled(false);
    ProgressBar1->setMaximum(ComPortAPI::MaxPort);
    TxtCOM->clear();
    const std::vector<int> found = Rs232_API::ScanPorts([this](int number) {
        ProgressBar1->setValue(number);
        // Keep the bar moving and the window painted.
        if (number % 16 == 0) EventPump::ProcessEvents();
    });
    for (int number : found) TxtCOM->addItem(EntryPrefix + QString::number(number));
    if (TxtCOM->count() > 0) TxtCOM->setCurrentIndex(0);
    for (QWidget* control : ScanLockedControls()) control->setEnabled(true);
    if (closeAfterScan_) QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

std::array<QWidget*, 4> PortWindow::ScanLockedControls() const { return {BtnAutoScan, BtnReset, TxtCOM, CmdOK}; }

bool PortWindow::QueryUnload(bool byUser) {
    Q_UNUSED(byUser);
    if (!scanning_) return true;
    closeAfterScan_ = true;
    return false;
}

// The Serial Devices window belongs to this one and goes with it, after OK too.
void PortWindow::Unload() { Forms::Unload(WindowNames::SerialDevices); }

void PortWindow::BtnDeviceManager_Click() { Forms::Show(WindowNames::SerialDevices); }

int PortWindow::ParsePortNumber(const QString& text, int previous) {
    const QStringList pieces = text.split(QStringLiteral("  "));
    if (pieces.size() < 2) return previous;
    bool ok = false;
    const int number = pieces.at(1).trimmed().toInt(&ok);
    return ok ? number : previous;
}

void PortWindow::CmdOK_Click() {
    if (scanning_) return;
    portNumber_ = ParsePortNumber(TxtCOM->currentText(), portNumber_);
    // The meter's link opens the port and keeps it from now on.
    link_.Start(portNumber_);
    Forms::Show(WindowNames::Panel);
    Forms::Unload(WindowNames::Port);
}
