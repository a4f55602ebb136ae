#include "windows/serial/SerialDevicesWindow.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "serial/PortNames.h"
#include "serial/SerialDevices.h"
#include "ui/Forms.h"
#include "windows/WindowNames.h"

SerialDevicesWindow::SerialDevicesWindow(QWidget* parent) : FormWindow(WindowNames::SerialDevices, parent) {
    SetCaption("Serial Devices");
    resize(720, 320);

    devices_ = new QTreeWidget(this);
    devices_->setObjectName("Devices");
    devices_->setRootIsDecorated(false);
    devices_->setHeaderLabels({"Port", "Device", "USB device", "Serial number", "Access"});
    devices_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    note_ = new QLabel(this);
    note_->setObjectName("LblNote");
    note_->setWordWrap(true);
    note_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* refresh = new QPushButton("Refresh", this);
    refresh->setObjectName("BtnRefresh");
    auto* close = new QPushButton("Close", this);
    close->setObjectName("BtnClose");
    connect(refresh, &QPushButton::clicked, this, &SerialDevicesWindow::Refresh);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(refresh);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(devices_);
    layout->addWidget(note_);
    layout->addLayout(buttons);
}

// Under the COM Port window it serves, so both stay in view; where the screen has no room
// there, beside it.
void SerialDevicesWindow::Load() {
    PlaceBeside(Forms::FindAs<FormWindow>(WindowNames::Port));
    Refresh();
}

void SerialDevicesWindow::Refresh() {
    devices_->clear();
    for (const SerialDeviceInfo& info : SerialDevices::List()) {
        QString device = QString::fromStdString(info.path);
        if (info.target != info.path) device += QString::fromUtf8(" \u2192 ") + QString::fromStdString(info.target);
        QString usb = QString::fromStdString(info.product);
        if (!info.byId.empty()) usb += (usb.isEmpty() ? "" : "  ") + QString("(%1)").arg(QString::fromStdString(info.byId));
        const QString access = info.accessible ? QStringLiteral("OK") : QString::fromStdString(info.accessNote);
        auto* item = new QTreeWidgetItem(devices_, {QString("COM  %1").arg(info.com), device, usb,
                                                    QString::fromStdString(info.serial), access});
        if (!info.accessible) item->setForeground(4, QColor(160, 0, 0));
    }
    note_->setText(QString("%1 serial device(s). A COM number is a link named COM<n> in %2 "
                           "(for example: ln -s /dev/serial/by-id/... %2/COM3); without one, COM1-32 "
                           "are /dev/ttyUSB0-31, COM33-64 /dev/ttyACM0-31 and COM65-96 /dev/ttyS0-31.")
                       .arg(devices_->topLevelItemCount())
                       .arg(QString::fromStdString(PortNames::AliasFolder())));
}
