#include "ui/Icons.h"

#include <QPainter>

QIcon Icons::Get(const QString& key) {
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.drawRect(2, 2, 20, 20);
    painter.drawText(QRect(0, 0, 24, 24), Qt::AlignCenter, key.left(1));
    return QIcon(pixmap);
}

QStringList Icons::Keys() { return {}; }

QPixmap Icons::Unit(QChar unit, QSize size, qreal devicePixelRatio) {
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    Q_UNUSED(unit);
    return pixmap;
}
