#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QString>

// Prints text line by line in the printer's default font, the way the lists are printed: each
// line under the last, a new page when the next line does not fit. TABs advance to the next
// stop of eight digit widths. The document starts with the first line and goes to the printer at
// EndDoc (or when the Printer is destroyed).
class Printer {
public:
    explicit Printer(QPrinter& printer);
    ~Printer();
    Printer(const Printer&) = delete;
    Printer& operator=(const Printer&) = delete;

    // False when the printer cannot be opened (for example a PDF path that cannot be written).
    bool PrintLine(const QString& line);
    // Prints `image` at the top of a fresh page, scaled down to fit the page if needed.
    bool PrintImage(const QImage& image);
    bool NewPage();
    bool EndDoc();

    int Lines() const { return lines_; }
    int Pages() const { return pages_; }

private:
    bool Begin();

    QPrinter& printer_;
    QPainter painter_;
    bool failed_ = false;
    bool ended_ = false;
    int lines_ = 0;
    int pages_ = 0;
    int y_ = 0;  // top of the next line, in printer pixels from the top of the paint area
};
