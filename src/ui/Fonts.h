#pragma once

#include <QFont>
#include <QString>

// The windows name the classic desktop fonts; Linux has their metric-compatible Liberation
// twins, so text widths and line breaks come out as laid out.
class Fonts {
public:
    static QFont Get(const QString& family, double pointSize, bool bold = false);
    // The installed family that stands in for a classic family name (unknown names pass through).
    static QString Family(const QString& family);
};
