#pragma once

#include <QHash>
#include <QImage>
#include <QString>

// One language of the manual: its Markdown source printed to an A4 PDF, each picture it names as
// ![caption](shot:NAME) taken from `pictures`. A picture keeps the size of the window on a screen
// of 96 dpi, and only one wider than the text is shrunk to its width. Returns what went wrong,
// empty when the PDF was written.
QString WriteManualPdf(const QString& markdown, const QHash<QString, QImage>& pictures,
                       const QString& pdfPath);
