#include "panel/AcquisitionPause.h"

#include "panel/Panel.h"
#include "ui/Forms.h"

AcquisitionPause::AcquisitionPause(unsigned parts) : panel_(Forms::FindAs<Panel>("Panel")), parts_(parts) {
    if (panel_) panel_->Hold(parts_);
}

AcquisitionPause::~AcquisitionPause() {
    if (panel_) panel_->Release(parts_);
}
