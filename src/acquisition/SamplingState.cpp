#include "acquisition/SamplingState.h"

namespace {
SamplingState state;
}

namespace Sampling {
SamplingState& State() { return state; }
void Reset() { state = SamplingState{}; }
}  // namespace Sampling
