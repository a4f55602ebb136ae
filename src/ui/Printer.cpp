#include "ui/Printer.h"

#include <QFontMetrics>
#include <QTextOption>

Printer::Printer(QPrinter& printer) : printer_(printer) {}

Printer::~Printer() { EndDoc(); }

bool Printer::Begin() {
    if (failed_ || ended_) return false;
    if (painter_.isActive()) return true;
    if (!painter_.begin(&printer_)) {
        failed_ = true;
        return false;
    }
    pages_ = 1;
    y_ = 0;
    return true;
}

bool Printer::NewPage() {
    if (!Begin()) return false;
    if (!printer_.newPage()) {
        failed_ = true;
        return false;
    }
    ++pages_;
    y_ = 0;
    return true;
}

bool Printer::PrintLine(const QString& line) {
    if (!Begin()) return false;
    const QFontMetrics metrics(painter_.font(), &printer_);
    const int lineHeight = metrics.lineSpacing();
    const QRect page = painter_.viewport();
    if (y_ > 0 && y_ + lineHeight > page.height() && !NewPage()) return false;

    QTextOption option(Qt::AlignLeft | Qt::AlignTop);
    option.setWrapMode(QTextOption::NoWrap);
    // Eight digits, not eight blanks: in a proportional font a reading such as "-40.0" is wider
    // than eight blanks and would run into the next field.
    option.setTabStopDistance(metrics.horizontalAdvance(QLatin1Char('0')) * 8.0);
    painter_.drawText(QRectF(0, y_, page.width(), lineHeight), line, option);
    y_ += lineHeight;
    ++lines_;
    return true;
}

bool Printer::PrintImage(const QImage& image) {
    if (!Begin()) return false;
    if (y_ > 0 && !NewPage()) return false;
    const QRect page = painter_.viewport();
    // The picture keeps its size on paper as on the screen, unless the page is too small.
    const double screenToPrinter = printer_.resolution() / 96.0;
    QSizeF size = QSizeF(image.size()) * screenToPrinter;
    if (size.width() > page.width() || size.height() > page.height()) {
        size.scale(page.size(), Qt::KeepAspectRatio);
    }
    painter_.drawImage(QRectF(QPointF(0, 0), size), image);
    y_ = static_cast<int>(size.height());
    return true;
}

bool Printer::EndDoc() {
    if (ended_) return !failed_;
    ended_ = true;
    if (painter_.isActive()) return painter_.end() && !failed_;
    return !failed_;
}
