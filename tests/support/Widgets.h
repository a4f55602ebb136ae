#pragma once

#include <QColor>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QKeyEvent>
#include <QString>
#include <QWidget>
#include <cmath>

#include "ui/EventPump.h"

// A control of a window, found by its name as the program gives it ("LblT1", "Timer2",
// "Toolbar1"); nullptr when the window has none of that name and type.
template <class T>
T* Child(const QWidget* window, const char* name) {
    return window ? window->findChild<T*>(QString::fromLatin1(name)) : nullptr;
}

// Lets the program run (timers, the meter's bytes) until `condition` holds or the time is up.
template <typename Condition>
bool PumpUntil(Condition condition, double seconds = 20) {
    QElapsedTimer waited;
    waited.start();
    while (!condition()) {
        if (waited.elapsed() > seconds * 1000) return false;
        EventPump::Delay(0.05);
    }
    return true;
}

// Types `keys` into a control as the keyboard would, each through the control's key filters.
inline void TypeKeys(QWidget* control, const QString& keys) {
    for (QChar c : keys) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(control, &press);
    }
}

// The colour somewhere within a pixel of (x, y) of a chart's picture, as the canvas rounds its
// coordinates; on a high-density screen the picture has that many more pixels.
inline bool ColourNear(const QImage& image, double x, double y, const QColor& colour) {
    const double ratio = image.devicePixelRatio();
    const int reach = static_cast<int>(std::ceil(ratio));
    for (int dx = -reach; dx <= reach; ++dx) {
        for (int dy = -reach; dy <= reach; ++dy) {
            const QPoint at(static_cast<int>(std::lround(x * ratio)) + dx, static_cast<int>(std::lround(y * ratio)) + dy);
            if (image.valid(at) && image.pixelColor(at) == colour) return true;
        }
    }
    return false;
}
