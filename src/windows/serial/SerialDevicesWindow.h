#pragma once

#include "ui/FormWindow.h"

class QLabel;
class QTreeWidget;

// "Serial Devices": every COM number that leads to a device on this machine, what the device is,
// and whether this user may open it (and how to fix it when not).
class SerialDevicesWindow : public FormWindow {
    Q_OBJECT
public:
    explicit SerialDevicesWindow(QWidget* parent = nullptr);

    void Refresh();

protected:
    void Load() override;

private:
    QTreeWidget* devices_;
    QLabel* note_;
};
