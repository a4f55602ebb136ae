#include "acquisition/AcquisitionPause.h"

namespace {
std::weak_ptr<AcquisitionPause::Holder> installed;
}

void AcquisitionPause::Install(const std::shared_ptr<Holder>& holder) { installed = holder; }

AcquisitionPause::AcquisitionPause(unsigned parts) : holder_(installed), parts_(parts) {
    if (const auto holder = holder_.lock()) holder->Hold(parts_);
}

AcquisitionPause::~AcquisitionPause() {
    if (const auto holder = holder_.lock()) holder->Release(parts_);
}
