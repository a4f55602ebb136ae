#include "ui/WindowImagePrint.h"

#include <QPointer>
#include <QPrinter>
#include <QWidget>

#include "ui/Dialogs.h"
#include "ui/HourglassGuard.h"
#include "ui/Printer.h"

bool PrintWidgetImage(QWidget& widget, const QRect& area) {
    const QPointer<QWidget> shown(&widget);
    QPrinter printer(QPrinter::HighResolution);
    if (!Dialogs::Current().PrintDialog(printer)) return false;
    // A timer may have closed the window while the dialog was open.
    if (!shown) return false;
    HourglassGuard busy;
    const QImage image = (area.isNull() ? shown->grab() : shown->grab(area)).toImage();
    Printer out(printer);
    return out.PrintImage(image) && out.EndDoc();
}
