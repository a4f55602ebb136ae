#include "acquisition/SamplingState.h"

#include <memory>

void SamplingState::SamplingStarted() {
    recorder_.Stop();
    schedule_ = SamplingSchedule{};
}

void SamplingState::SavePathChosen(std::string path, bool chosen) {
    recordFilePath_ = std::move(path);
    savePathChosen_ = chosen;
}

namespace {
std::unique_ptr<SamplingState> state = std::make_unique<SamplingState>();
}

namespace Sampling {
SamplingState& State() { return *state; }
void Reset() { state = std::make_unique<SamplingState>(); }
}  // namespace Sampling
