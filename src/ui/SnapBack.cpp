#include "ui/SnapBack.h"

std::optional<QSize> SnapBack::Answer(QSize size) {
    if (size.width() >= least_.width() && size.height() >= least_.height()) {
        refused_.reset();
        return std::nullopt;
    }
    // The same small size again is the window manager's reply to the last answer.
    if (refused_ == size) return std::nullopt;
    refused_ = size;
    return least_;
}
