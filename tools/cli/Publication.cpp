#include "Publication.h"

#include <utility>

#include "meter/CurrentReading.h"

Publication::Publication(Settings settings, Publisher& publisher, std::function<void(const std::string&)> say)
    : settings_(std::move(settings)),
      publisher_(publisher),
      say_(std::move(say)),
      engine_({.port = settings_.com}, Cli::EngineClock(), *this),
      grid_(settings_.interval),
      started_(Cli::Monotonic()) {}

void Publication::SetAvailability(const std::string& value) {
    if (availability_ == value) return;
    availability_ = value;
    publisher_.Retain(settings_.prefix + "/availability", value);
}

void Publication::ReadingShown(const CurrentReading& r) {
    if (availability_ == "offline") say_("the meter is back; publishing goes on");
    SetAvailability("online");
    if (settings_.haDiscovery && (r.UnitText != discoveredUnit_ || r.DualChannel != discoveredDual_)) {
        discoveredUnit_ = r.UnitText;
        discoveredDual_ = r.DualChannel;
        for (const Cli::DiscoveryConfig& c :
             Cli::DiscoveryConfigs(settings_.device, r.UnitText, r.DualChannel))
            publisher_.Retain(c.topic, c.payload);
    }
    framed_ = true;
    grid_.Begin(engine_);
}

void Publication::SampleTaken(const AcquisitionEngine::Sample& sample) {
    // Only a frame no earlier sample took: an old reading is never sent as a new one.
    if (!grid_.Take(engine_) || !sample.fresh) return;
    ++samples_;
    publisher_.Send(settings_.prefix + "/state",
                    "{\"sample\":" + std::to_string(samples_) + "," +
                        Cli::ReadingLine(sample.reading, Cli::TimeOfDay(), true).substr(1));
}

void Publication::CheckSilence() {
    const double lastFrame = framed_ ? engine_.Reading().FrameTime : started_;
    if (Cli::Monotonic() - lastFrame < Cli::SilentLimitSeconds || availability_ == "offline") return;
    say_(framed_ ? "the meter is silent; waiting for it"
                 : "the meter sent nothing within 5 s; waiting for it");
    SetAvailability("offline");
}

std::string Cli::DeliverySummary(long taken, const Publisher::Outcome& outcome) {
    std::string line = std::to_string(taken) + " samples taken";
    if (outcome.dropped == 0 && outcome.undelivered == 0) return line;
    line += ", " + std::to_string(outcome.delivered) + " delivered";
    if (outcome.dropped > 0) line += ", " + std::to_string(outcome.dropped) + " dropped from the full queue";
    if (outcome.undelivered > 0)
        line += ", the last " + std::to_string(outcome.undelivered) + " not delivered";
    return line;
}
