#pragma once

#include <QRect>

class QWidget;

// Prints what a window shows, as the statistics and graph windows print themselves: the printer
// dialog (copies and orientation go to the printer), then, under the busy pointer, one page with
// `widget`, or its part `area` (in the widget's own coordinates, so that a toolbar can be left
// out), scaled to the page as it stands. It is painted at the printer's resolution: a chart
// canvas from the drawing it shows, labels, frames and buttons by the desktop's style, so a PDF
// holds lines and text rather than a picture of the screen. False on Cancel, when the widget
// went away while the dialog was open, or when the printer fails.
bool PrintAsShown(QWidget& widget, const QRect& area = QRect());
