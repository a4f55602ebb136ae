#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "ui/EventPump.h"
#include "ui/ReentryGuard.h"

namespace {

TEST(EventPump, DelayWaitsAtLeastTheTimeAndServesTimersMeanwhile) {
    int ticks = 0;
    QTimer timer;
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start();

    QElapsedTimer clock;
    clock.start();
    EventPump::Delay(0.3);
    const qint64 elapsed = clock.elapsed();
    timer.stop();

    EXPECT_GE(elapsed, 295);
    EXPECT_GE(ticks, 2) << "a timer must run while Delay waits";
}

TEST(EventPump, ZeroDelayStillRunsPendingEvents) {
    bool ran = false;
    QMetaObject::invokeMethod(qApp, [&] { ran = true; }, Qt::QueuedConnection);
    EventPump::Delay(0);
    EXPECT_TRUE(ran);
    ran = false;
    QMetaObject::invokeMethod(qApp, [&] { ran = true; }, Qt::QueuedConnection);
    EventPump::ProcessEvents();
    EXPECT_TRUE(ran);
}

TEST(EventPump, NestedDelaysBothReturn) {
    bool innerDone = false;
    QTimer::singleShot(20, [&] {
        EventPump::Delay(0.1);
        innerDone = true;
    });
    QElapsedTimer clock;
    clock.start();
    EventPump::Delay(0.2);
    // The inner wait started inside the outer one; the outer returns only after both ended.
    EXPECT_TRUE(innerDone);
    EXPECT_GE(clock.elapsed(), 195);
}

TEST(ReentryGuard, HandlerThatWaitsDoesNotNest) {
    bool busy = false;
    int depth = 0;
    int maxDepth = 0;
    int runs = 0;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ReentryGuard guard(busy);
        if (!guard) return;
        ++runs;
        maxDepth = std::max(maxDepth, ++depth);
        EventPump::Delay(0.05);  // timer ticks fall due while this waits
        --depth;
    });
    timer.start();
    EventPump::Delay(0.4);
    timer.stop();
    EXPECT_GE(runs, 2);
    EXPECT_EQ(maxDepth, 1);
    EXPECT_FALSE(busy) << "the flag is released when the handler ends";
}

TEST(ReentryGuard, ReleasesOnEveryWayOut) {
    bool busy = false;
    try {
        ReentryGuard guard(busy);
        ASSERT_TRUE(guard);
        EXPECT_TRUE(busy);
        {
            ReentryGuard inner(busy);
            EXPECT_FALSE(inner);
        }
        EXPECT_TRUE(busy) << "a refused guard must not clear the owner's flag";
        throw 1;
    } catch (int) {
    }
    EXPECT_FALSE(busy);
}

}  // namespace
