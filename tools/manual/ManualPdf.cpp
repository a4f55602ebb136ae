#include "ManualPdf.h"

#include <QFile>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QUrl>
#include <algorithm>
#include <vector>

namespace {

constexpr const char* Scheme = "shot:";
constexpr double ScreenDpi = 96;
// The page margins are the printer's and the document's together; the document's hold the page
// number at the foot of each page.
constexpr double PrinterMarginMm = 12, DocumentMarginMm = 6;

double MmToScreenPx(double mm) { return mm / 25.4 * ScreenDpi; }

// Every picture the document names: each sized to fit the text width and alone on its line,
// centred. The names it lacks a picture for are returned.
QStringList PlacePictures(QTextDocument& document, const QHash<QString, QImage>& pictures, double textWidth) {
    struct Placed {
        int position;
        QTextImageFormat format;
    };
    std::vector<Placed> placed;
    QStringList missing;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextImageFormat format = it.fragment().charFormat().toImageFormat();
            if (!format.isValid() || !format.name().startsWith(Scheme)) continue;
            const QString name = format.name().mid(int(qstrlen(Scheme)));
            if (!pictures.contains(name)) missing << name;
            // An image is one character, however the fragments around it are cut.
            for (int i = 0; i < it.fragment().length(); ++i)
                placed.push_back({it.fragment().position() + i, format});
        }
    }
    for (Placed& picture : placed) {
        const QImage image = pictures.value(picture.format.name().mid(int(qstrlen(Scheme))));
        if (image.isNull()) continue;
        document.addResource(QTextDocument::ImageResource, QUrl(picture.format.name()), image);
        // Its size on a screen, from the resolution it was taken at.
        const QSizeF onScreen(image.width() * ScreenDpi / (image.dotsPerMeterX() * 0.0254),
                              image.height() * ScreenDpi / (image.dotsPerMeterY() * 0.0254));
        const double scale = std::min(1.0, textWidth / onScreen.width());
        picture.format.setWidth(onScreen.width() * scale);
        picture.format.setHeight(onScreen.height() * scale);
        QTextCursor cursor(&document);
        cursor.setPosition(picture.position);
        cursor.setPosition(picture.position + 1, QTextCursor::KeepAnchor);
        cursor.setCharFormat(picture.format);
        QTextBlockFormat centred = cursor.blockFormat();
        centred.setAlignment(Qt::AlignHCenter);
        centred.setTopMargin(6);
        centred.setBottomMargin(10);
        cursor.setBlockFormat(centred);
    }
    return missing;
}

// The pages one after the other, each with its number at the foot.
void Print(QTextDocument& document, QPdfWriter& writer) {
    QPainter painter(&writer);
    // Pictures of windows are text and flat colour: kept as they are, not as JPEG.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    const double scale = writer.resolution() / ScreenDpi;
    painter.scale(scale, scale);
    const QSizeF page = document.pageSize();
    const double margin = document.rootFrame()->frameFormat().margin();
    // In the painter's units (screen pixels), so that the number matches the text.
    QFont numberFont = document.defaultFont();
    numberFont.setPixelSize(qRound(numberFont.pointSizeF() * ScreenDpi / 72));
    painter.setFont(numberFont);
    for (int i = 0; i < document.pageCount(); ++i) {
        if (i > 0) writer.newPage();
        painter.save();
        painter.translate(0, -i * page.height());
        document.drawContents(&painter, QRectF(QPointF(0, i * page.height()), page));
        painter.restore();
        painter.drawText(QRectF(0, page.height() - margin, page.width() - margin, margin),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(i + 1));
    }
}

}  // namespace

QString WriteManualPdf(const QString& markdown, const QHash<QString, QImage>& pictures,
                       const QString& pdfPath) {
    QPdfWriter writer(pdfPath);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(PrinterMarginMm, PrinterMarginMm, PrinterMarginMm, PrinterMarginMm),
                          QPageLayout::Millimeter);
    writer.setResolution(300);
    writer.setTitle(markdown.section('\n', 0, 0).remove(QChar('#')).trimmed());
    writer.setCreator("TQ36");

    // Laid out on pages of the printable area in screen pixels, so that a window's picture comes
    // out as large as the window is on a screen and the text in it as large as there.
    const QRectF printable = writer.pageLayout().paintRect(QPageLayout::Millimeter);
    const QSizeF page(MmToScreenPx(printable.width()), MmToScreenPx(printable.height()));
    QTextDocument document;
    document.setDefaultFont(QFont("Liberation Sans", 10));
    document.setMarkdown(markdown);
    document.setPageSize(page);
    QTextFrameFormat frame = document.rootFrame()->frameFormat();
    frame.setMargin(MmToScreenPx(DocumentMarginMm));
    document.rootFrame()->setFrameFormat(frame);

    const QStringList missing = PlacePictures(document, pictures, page.width() - 2 * frame.margin());
    if (!missing.isEmpty()) return "no picture of " + missing.join(", ");
    Print(document, writer);
    return QFile::exists(pdfPath) ? QString() : "cannot write " + pdfPath;
}
