#pragma once

#include <functional>
#include <optional>
#include <string>

#include "CommandSupport.h"
#include "Discovery.h"
#include "Publisher.h"
#include "acquisition/AcquisitionEngine.h"

// What publish keeps between the engine's events: whether the meter is there for the subscribers,
// the discovery configs sent for it, the samples sent, and the sampling grid that begins with the
// meter's first frame. It owns the engine whose events it takes.
class Publication : public AcquisitionEngine::Listener {
public:
    struct Settings {
        int com = 1;
        int interval = 1;
        std::string prefix;   // of the topics: PREFIX/state, PREFIX/availability
        bool haDiscovery = false;
        Cli::DiscoveryDevice device;
    };

    // `say` tells one line of what goes on.
    Publication(Settings settings, Publisher& publisher, std::function<void(const std::string&)> say);

    AcquisitionEngine& Engine() { return engine_; }

    void ReadingShown(const CurrentReading& reading) override;
    void SampleTaken(const AcquisitionEngine::Sample& sample) override;
    void ClockStepped(const AcquisitionEngine::ClockStep& step) override { say_(Cli::ClockStepText(step)); }

    // Between the engine's turns: 5 s without a frame, also from the start, make the meter offline.
    void CheckSilence();
    // The end: the meter is offline for the subscribers.
    void Close() { SetAvailability("offline"); }

    long Samples() const { return samples_; }

private:
    void SetAvailability(const std::string& value);

    Settings settings_;
    Publisher& publisher_;
    std::function<void(const std::string&)> say_;
    AcquisitionEngine engine_;
    Cli::SamplingGrid grid_;  // record's
    const double started_;
    bool framed_ = false;  // the meter's first frame came
    std::string availability_;
    std::string discoveredUnit_;
    std::optional<bool> discoveredDual_;
    long samples_ = 0;
};

namespace Cli {

// The end line: how many samples were taken, and when not all of them reached the broker, how many
// did, how many were dropped and how many were still waiting.
std::string DeliverySummary(long taken, const Publisher::Outcome& outcome);

}  // namespace Cli
