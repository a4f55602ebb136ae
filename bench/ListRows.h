#pragma once

#include <QString>

namespace Bench {

// Row n of a plausible two-channel list: number, time, T1, T2, T1-T2 and unit, TAB-separated.
inline QString TwoChannelRow(int n) {
    return QStringLiteral("%1\t%2:%3:%4\t%5\t%6\t%7\tC")
        .arg(n)
        .arg(n / 3600 % 24, 2, 10, QLatin1Char('0'))
        .arg(n / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(n % 60, 2, 10, QLatin1Char('0'))
        .arg(20.0 + n % 100 * 0.1, 0, 'f', 1)
        .arg(25.0 - n % 50 * 0.1, 0, 'f', 1)
        .arg(-5.0 + n % 100 * 0.1 + n % 50 * 0.1, 0, 'f', 1);
}

}  // namespace Bench
