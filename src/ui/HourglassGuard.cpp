#include "ui/HourglassGuard.h"

#include <QApplication>
#include <QCursor>

HourglassGuard::HourglassGuard() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        active_ = true;
    }
}

HourglassGuard::~HourglassGuard() { Restore(); }

void HourglassGuard::Restore() {
    if (!active_) return;
    active_ = false;
    QApplication::restoreOverrideCursor();
}
