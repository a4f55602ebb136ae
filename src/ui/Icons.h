#pragma once

#include <QChar>
#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

// The program's own pictures, drawn as vectors so they stay sharp at every size: the toolbar
// pictograms and the three unit pictures of the main window.
class Icons {
public:
    // Keys: "Save", "Open", "List", "Graph", "AVG", "PC", "Memory", "Stop", "Save1", "help",
    // "Pause", "Start", "Print", "Plot", "Limit". An unknown key gives a plain frame.
    static QIcon Get(const QString& key);
    static QStringList Keys();
    // "°C", "°F" or "K" (for unit 'C', 'F' or 'K') filling `size` logical pixels.
    static QPixmap Unit(QChar unit, QSize size, qreal devicePixelRatio = 1.0);
};
