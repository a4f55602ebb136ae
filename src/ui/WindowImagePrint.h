#pragma once

#include <QRect>

class QWidget;

// Prints what a window shows, as the statistics and graph windows print themselves: the printer
// dialog (copies and orientation go to the printer), then, under the busy pointer, one page with
// an image of `widget`, or of its part `area` (in the widget's own coordinates) so that a toolbar
// can be left out. False on Cancel, when the widget went away while the dialog was open, or when
// the printer fails.
bool PrintWidgetImage(QWidget& widget, const QRect& area = QRect());
