#include "ui/CaptionProgress.h"

#include <utility>

CaptionProgress::CaptionProgress(FormWindow& form, QString suffix)
    : form_(&form), savedCaption_(form.Caption()), suffix_(std::move(suffix)) {}

CaptionProgress::~CaptionProgress() {
    if (form_) form_->SetCaption(savedCaption_);
}

bool CaptionProgress::Due() {
    if (clock_.isValid() && clock_.elapsed() < IntervalMs) return false;
    clock_.start();
    return true;
}

void CaptionProgress::Show(long count) {
    if (form_) form_->SetCaption(QString::number(count) + suffix_);
}
