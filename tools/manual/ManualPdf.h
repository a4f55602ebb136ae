#pragma once

#include <QHash>
#include <QImage>
#include <QString>

// One language of the manual: its Markdown source printed to an A4 PDF, each picture it names as
// ![caption](shot:NAME) taken from `pictures`. A picture keeps the size of the window on a screen
// of 96 dpi; one wider than the text is shrunk to its width, and one a little too tall for the
// rest of its page to fit there. The numbered list whose entries name the headings after it is the
// contents: each entry gets its heading's page number and leads there; every heading gets a
// bookmark. Code spans, paths and options are never broken across lines. Returns what went wrong,
// empty when the PDF was written.
QString WriteManualPdf(const QString& markdown, const QHash<QString, QImage>& pictures,
                       const QString& pdfPath);
