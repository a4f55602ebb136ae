#include "ui/Dialogs.h"

#include <QStringList>

#include "ui/QtDialogs.h"

namespace {
Dialogs* installed = nullptr;
}  // namespace

Dialogs& Dialogs::Current() {
    static QtDialogs real;
    return installed ? *installed : real;
}

void Dialogs::Install(Dialogs* dialogs) { installed = dialogs; }

QString Dialogs::QtFilter(const QString& filter) {
    if (!filter.contains(QLatin1Char('|'))) return filter;
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        // Qt reads the patterns from the parentheses of the description, so the classic
        // description's own "(*.*)" must go; and "*.*" would hide files without an extension.
        const qsizetype paren = description.indexOf(QLatin1Char('('));
        if (paren >= 0) description = description.left(paren).trimmed();
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
        }
        if (patterns.isEmpty()) patterns << QStringLiteral("*");
        entries << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
    }
    return entries.join(QStringLiteral(";;"));
}
