#include "ui/EventPump.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>



void EventPump::ProcessEvents() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

void EventPump::Delay(double seconds) {
    if (!QCoreApplication::instance()) {
        if (seconds > 0) std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        return;
    }
    if (!(seconds > 0)) {
        QCoreApplication::processEvents();
        return;
    }
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    // Waits longer than QTimer can hold are not meaningful here; cap at a day.
    const double ms = std::min(std::ceil(seconds * 1000.0), 86400.0 * 1000.0);
    timer.start(static_cast<int>(ms));
    loop.exec();
}
