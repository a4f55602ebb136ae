#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

#include "ui/FormWindow.h"

// Counts a long operation's rows in a window's caption ("12Records Completed") and gives the
// former caption back on every way out. Rewriting a caption costs a round trip to the window
// system, so a list of tens of thousands of rows shows its count only every few milliseconds.
class CaptionProgress {
public:
    static constexpr int IntervalMs = 20;

    CaptionProgress(FormWindow& form, QString suffix);
    ~CaptionProgress();
    CaptionProgress(const CaptionProgress&) = delete;
    CaptionProgress& operator=(const CaptionProgress&) = delete;

    // True at the first call and then once every IntervalMs.
    bool Due();
    void Show(long count);
    // The window was closed or destroyed while the operation let events run.
    bool FormGone() const { return FormWindow::IsGone(form_); }

private:
    QPointer<FormWindow> form_;
    QString savedCaption_;
    QString suffix_;
    QElapsedTimer clock_;
};
