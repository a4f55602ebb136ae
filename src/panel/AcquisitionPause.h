#pragma once

#include <QPointer>

class Panel;

// Holds the main window's live polling, its PC sampling or both off for as long as it lives. When
// the last pause that holds a part ends, that part runs again if it ran before the first one
// began; pauses may overlap and end in any order. Without a main window, or once it has gone,
// a pause does nothing. This is the only way for another window to stop acquisition.
class AcquisitionPause {
public:
    enum Part : unsigned { LivePolling = 1, PcSampling = 2, Both = LivePolling | PcSampling };

    explicit AcquisitionPause(unsigned parts = Both);
    ~AcquisitionPause();
    AcquisitionPause(const AcquisitionPause&) = delete;
    AcquisitionPause& operator=(const AcquisitionPause&) = delete;

private:
    QPointer<Panel> panel_;
    unsigned parts_;
};
