#pragma once

class MeterLink;

#include <array>

#include "ui/FormWindow.h"

class QComboBox;
class QProgressBar;
class QPushButton;

// "COM Port": the first window. The user picks a COM number, can scan for the ones that exist,
// and OK opens it at the meter's settings and hands over to the main window.
class PortWindow : public FormWindow {
    Q_OBJECT
public:
    explicit PortWindow(MeterLink& link, QWidget* parent = nullptr);

    // The port number OK takes from a "COM  n" text; unchanged when the text holds none.
    static int ParsePortNumber(const QString& text, int previous);

    void BtnReset_Click();
    void BtnAutoScan_Click();
    void BtnDeviceManager_Click();
    void CmdOK_Click();

protected:
    void Load() override;
    bool QueryUnload(bool byUser) override;
    void Unload() override;

private:
    std::array<QWidget*, 4> ScanLockedControls() const;

    QPushButton* BtnAutoScan;
    QPushButton* BtnReset;
    QPushButton* BtnDeviceManager;
    QComboBox* TxtCOM;
    QPushButton* CmdOK;
    QProgressBar* ProgressBar1;
    MeterLink& link_;
    int portNumber_ = 0;
    bool scanning_ = false;
    bool closeAfterScan_ = false;
};
