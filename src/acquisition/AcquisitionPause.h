#pragma once

#include <memory>

// Holds live polling, PC sampling or both off for as long as it lives. When the last pause that
// holds a part ends, that part runs again if it ran before the first one began; pauses may
// overlap and end in any order. The main window runs both parts and installs itself as their
// holder while it lives; without one, or once it has gone, a pause does nothing. This is the only
// way for anything else to stop acquisition.
class AcquisitionPause {
public:
    enum Part : unsigned { LivePolling = 1, PcSampling = 2, Both = LivePolling | PcSampling };

    // What runs the parts: holds them off, and lets them run again when the last hold ends.
    class Holder {
    public:
        virtual ~Holder() = default;
        virtual void Hold(unsigned parts) = 0;
        virtual void Release(unsigned parts) = 0;
    };
    // A pause begun from now on holds `holder` for as long as it lives (the caller keeps it).
    static void Install(const std::shared_ptr<Holder>& holder);

    explicit AcquisitionPause(unsigned parts = Both);
    ~AcquisitionPause();
    AcquisitionPause(const AcquisitionPause&) = delete;
    AcquisitionPause& operator=(const AcquisitionPause&) = delete;

private:
    std::weak_ptr<Holder> holder_;
    unsigned parts_;
};
