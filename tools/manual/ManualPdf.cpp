#include "ManualPdf.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextList>
#include <QTextObjectInterface>
#include <QTextTable>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <vector>

#include "PdfNavigation.h"

namespace {

constexpr const char* Scheme = "shot:";
constexpr double ScreenDpi = 96;
// The page margins are the printer's and the document's together; the document's hold the page
// number at the foot of each page.
constexpr double PrinterMarginMm = 12, DocumentMarginMm = 6;
// A picture that would leave a gap at the foot of a page is made smaller to fit, but never below
// this share of the window's size, so that its text stays readable.
constexpr double SmallestPicture = 0.8;

// A code span is drawn as one piece that a line never breaks inside: a command copied from the
// page is the command. So is a path or an option in the running text.
constexpr int UnbrokenObject = QTextFormat::UserObject + 1;
constexpr int UnbrokenText = QTextFormat::UserProperty + 1;
// The punctuation right after it ("`tq36`,"), in the running text's font: a line could break
// between the two, as the piece is an object to it, and start with the comma.
constexpr int UnbrokenTail = QTextFormat::UserProperty + 4, UnbrokenTailFont = QTextFormat::UserProperty + 5;
// The size a picture has at the window's size on a screen.
constexpr int PictureWidth = QTextFormat::UserProperty + 2, PictureHeight = QTextFormat::UserProperty + 3;

double MmToScreenPx(double mm) { return mm / 25.4 * ScreenDpi; }

}  // namespace

// Draws a piece of text that no line may break (a code span, a path) as the document lays out
// text, on one line, standing on the baseline.
class Unbroken : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)

public:
    using QObject::QObject;

    QSizeF intrinsicSize(QTextDocument* document, int, const QTextFormat& format) override {
        QTextLayout layout;
        const QTextLine line = LayOut(layout, document, format);
        // As tall as the running text's letters, so that a line with code keeps the spacing of
        // the others and the cells of a table row their common baseline.
        QFont text = document->defaultFont();
        if (const double size = Font(document, format).pointSizeF(); size > 0) text.setPointSizeF(size);
        QTextLayout letters("X", text);
        return {line.naturalTextWidth(), std::min(line.ascent(), LayOut(letters).ascent())};
    }

    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* document, int,
                    const QTextFormat& format) override {
        QTextLayout layout;
        const QTextLine line = LayOut(layout, document, format);
        painter->save();
        painter->setPen(format.toCharFormat().foreground().color());
        layout.draw(painter, QPointF(rect.left(), rect.bottom() - line.ascent()));  // on the baseline
        painter->restore();
    }

    static QFont Font(const QTextDocument* document, const QTextFormat& format) {
        return format.toCharFormat().font().resolve(document->defaultFont());
    }

    // The piece's text and the punctuation after it.
    static QTextLine LayOut(QTextLayout& layout, const QTextDocument* document, const QTextFormat& format) {
        const QString text = format.stringProperty(UnbrokenText), tail = format.stringProperty(UnbrokenTail);
        layout.setText(text + tail);
        layout.setFont(Font(document, format));
        if (!tail.isEmpty()) {
            QTextLayout::FormatRange range;
            range.start = int(text.size());
            range.length = int(tail.size());
            range.format.setFont(qvariant_cast<QFont>(format.property(UnbrokenTailFont)));
            layout.setFormats({range});
        }
        return LayOut(layout);
    }

    static QTextLine LayOut(QTextLayout& layout) {
        QTextOption option;
        option.setWrapMode(QTextOption::NoWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        line.setLineWidth(1e6);
        layout.endLayout();
        return line;
    }
};

namespace {

double Width(const QTextDocument& document, const QTextCharFormat& format) {
    QTextLayout layout;
    return Unbroken::LayOut(layout, &document, format).naturalTextWidth();
}

bool IsCode(const QTextCharFormat& format) {
    return !format.isImageFormat() && format.objectType() == QTextFormat::NoObject &&
           (format.fontFixedPitch() || format.font().fixedPitch());
}

// The characters right after `end` up to a space, in one format that is no code: what a line
// must not begin with after a piece it may not break.
QString Tail(QTextDocument& document, int end, QTextCharFormat& format) {
    const QTextBlock block = document.findBlock(end);
    const int blockEnd = block.position() + block.length() - 1;
    QTextCursor cursor(&document);
    cursor.setPosition(end + 1);
    format = cursor.charFormat();
    QString tail;
    for (int at = end; at < blockEnd; ++at) {
        const QChar c = document.characterAt(at);
        cursor.setPosition(at + 1);
        if (c.isSpace() || c == QChar::ObjectReplacementCharacter || cursor.charFormat() != format ||
            IsCode(format))
            break;
        tail += c;
    }
    return tail;
}

// Each code span of the running text made one piece that lines do not break; one wider than its
// line is cut at its spaces, so that it wraps there only. So are the words of the text that name a
// file or an option ("/dev/ttyACM0", "--force"), which a line would otherwise break after a slash
// or a hyphen.
void KeepTokensWhole(QTextDocument& document, double textWidth) {
    document.documentLayout()->registerHandler(UnbrokenObject, new Unbroken(&document));
    static const QRegularExpression pathOrOption("(?<!\\S)(?=\\S*/|-)\\S{2,}");
    struct Span {
        int position, length;
        QTextCharFormat format;
        double room;
    };
    std::vector<Span> spans;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().nonBreakableLines()) continue;  // a code block keeps its lines
        double room = textWidth - block.blockFormat().leftMargin() - block.blockFormat().rightMargin();
        if (block.textList()) room -= block.textList()->format().indent() * document.indentWidth();
        if (const QTextTable* table = QTextCursor(block).currentTable()) room = textWidth / table->columns();
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (IsCode(format)) {
                // A span whose format changes inside comes in several fragments.
                if (!spans.empty() && spans.back().position + spans.back().length == fragment.position() &&
                    IsCode(spans.back().format))
                    spans.back().length += fragment.length();
                else
                    spans.push_back({fragment.position(), fragment.length(), format, room});
            } else if (!format.isImageFormat() && format.objectType() == QTextFormat::NoObject) {
                QRegularExpressionMatchIterator word = pathOrOption.globalMatch(fragment.text());
                while (word.hasNext()) {
                    const QRegularExpressionMatch match = word.next();
                    spans.push_back({fragment.position() + int(match.capturedStart()), int(match.capturedLength()),
                                     format, room});
                }
            }
        }
    }
    // From the end, so that the positions before stay where they are.
    for (auto span = spans.rbegin(); span != spans.rend(); ++span) {
        QTextCursor cursor(&document);
        cursor.setPosition(span->position);
        cursor.setPosition(span->position + span->length, QTextCursor::KeepAnchor);
        const QString text = cursor.selectedText();
        QTextCharFormat tailFormat;
        const QString tail = Tail(document, span->position + span->length, tailFormat);
        cursor.setPosition(span->position + span->length + int(tail.size()), QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        QTextCharFormat whole = span->format;
        whole.setProperty(UnbrokenText, text);
        const QStringList pieces =
            Width(document, whole) <= span->room ? QStringList{text} : text.split(' ', Qt::SkipEmptyParts);
        for (int i = 0; i < pieces.size(); ++i) {
            if (i > 0) cursor.insertText(" ", span->format);
            QTextCharFormat piece = span->format;
            piece.setObjectType(UnbrokenObject);
            piece.setProperty(UnbrokenText, pieces[i]);
            if (i == pieces.size() - 1 && !tail.isEmpty()) {
                piece.setProperty(UnbrokenTail, tail);
                piece.setProperty(UnbrokenTailFont, tailFormat.font().resolve(document.defaultFont()));
            }
            cursor.insertText(QString(QChar::ObjectReplacementCharacter), piece);
        }
    }
}

// Tables with ruled cells and some room around the text; the header row comes again on each page.
void RuleTables(QTextFrame* frame) {
    for (QTextFrame* child : frame->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(child)) {
            QTextTableFormat format = table->format();
            format.setBorder(0.75);
            format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
            format.setBorderBrush(QColor(120, 120, 120));
            format.setCellSpacing(0);
            format.setCellPadding(4);
            format.setHeaderRowCount(1);
            format.setTopMargin(4);
            format.setBottomMargin(10);
            table->setFormat(format);
        }
        RuleTables(child);
    }
}

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
        picture.format.setProperty(PictureWidth, onScreen.width());
        picture.format.setProperty(PictureHeight, onScreen.height());
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

// Where the document's layout puts things, in the document's pixels and its pages.
struct Pages {
    const QTextDocument& document;

    double Height() const { return document.pageSize().height(); }
    int Of(double y) const { return int(std::floor(y / Height())); }
    QRectF Rect(const QTextBlock& block) const {
        document.pageCount();  // lays out what a change left to lay out
        // The layout's rectangle starts where the block would, had no line of it moved on to the
        // next page; its lines tell where they went.
        return document.documentLayout()->blockBoundingRect(block).translated(
            block.layout()->boundingRect().topLeft());
    }
    int Top(const QTextBlock& block) const { return Of(Rect(block).top()); }
    int Bottom(const QTextBlock& block) const { return Of(Rect(block).bottom() - 0.5); }
    // The block starts on a page after the one the text before it ends on.
    bool Pushed(const QTextBlock& block) const {
        return block.previous().isValid() && Top(block) > Bottom(block.previous());
    }
};

std::optional<QTextImageFormat> Picture(const QTextBlock& block) {
    if (block.length() != 2) return std::nullopt;  // the picture and the end of its block
    const QTextImageFormat format = block.begin().fragment().charFormat().toImageFormat();
    if (!format.isValid() || !format.name().startsWith(Scheme)) return std::nullopt;
    return format;
}

bool IsHeading(const QTextBlock& block) { return block.blockFormat().headingLevel() > 0; }

// Running text that may go before a picture: a paragraph or a heading, outside lists and tables.
bool Movable(const QTextBlock& block) {
    return block.isValid() && !Picture(block) && !block.textList() && !QTextCursor(block).currentTable();
}

void Resize(const QTextBlock& block, QTextImageFormat format, double scale) {
    format.setWidth(format.doubleProperty(PictureWidth) * scale);
    format.setHeight(format.doubleProperty(PictureHeight) * scale);
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
    cursor.setCharFormat(format);
}

// The picture's block taken out and put back after `after`; returns it where it now is.
QTextBlock MoveAfter(QTextDocument& document, const QTextBlock& picture, const QTextBlock& after) {
    const QTextImageFormat format = *Picture(picture);
    const QTextBlockFormat blockFormat = picture.blockFormat();
    const QTextCharFormat charFormat = picture.charFormat();
    const int at = picture.position();
    int end = after.position() + after.length() - 1;
    QTextCursor cursor(&document);
    cursor.setPosition(at - 1);  // with the break before it
    cursor.setPosition(at + 1, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    if (end > at) end -= 2;
    cursor.setPosition(end);
    cursor.insertBlock(blockFormat, charFormat);
    cursor.insertImage(format);
    return document.findBlock(end + 1);
}

// A picture too tall for what is left of its page would leave a gap at the page's foot: it is
// made smaller to fit, as far as it stays readable, or else the running text after it fills the
// page and the picture heads the next one. A heading at the foot of a page goes on to the next
// one, with the text under it. From the top down, so that each step sees the pages as the steps
// before left them.
void FillPages(QTextDocument& document) {
    const Pages pages{document};
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (IsHeading(block) && block.next().isValid() && pages.Top(block.next()) > pages.Bottom(block)) {
            QTextBlockFormat format = block.blockFormat();
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            QTextCursor(block).setBlockFormat(format);
            continue;
        }
        const auto format = Picture(block);
        if (!format || !pages.Pushed(block)) continue;
        const double natural = format->doubleProperty(PictureWidth), now = format->width() / natural;
        bool fits = false;
        for (double scale = now - 0.02; scale >= SmallestPicture - 1e-9 && !fits; scale -= 0.02) {
            Resize(block, *format, scale);
            fits = !pages.Pushed(block);
        }
        if (fits) continue;
        Resize(block, *format, now);
        const int page = pages.Bottom(block.previous());
        QTextBlock picture = block;
        int passed = 0;
        while (Movable(picture.next())) {
            picture = MoveAfter(document, picture, picture.next());
            ++passed;
            if (pages.Bottom(picture.previous()) != page) {
                picture = MoveAfter(document, picture, picture.previous().previous());
                --passed;
                break;
            }
        }
        // A heading stays with the text under it.
        for (; passed > 0 && IsHeading(picture.previous()); --passed)
            picture = MoveAfter(document, picture, picture.previous().previous());
        block = picture;
    }
}

// A paragraph or list item that would begin at the foot of one page and end on the next goes on
// to the next page whole, with the heading over it: the layout draws, with a page, the last line
// above it of a block that goes on there, out of sight but in the text that searching and screen
// readers read, so that line would be there twice. Blocks taller than half a page, and those in
// tables, stay where they are.
void KeepBlocksOnOnePage(QTextDocument& document) {
    const Pages pages{document};
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (QTextCursor(block).currentTable() || pages.Top(block) == pages.Bottom(block)) continue;
        if (pages.Rect(block).height() > pages.Height() / 2) continue;
        const QTextBlock moved = block.previous().isValid() && IsHeading(block.previous()) ? block.previous() : block;
        QTextBlockFormat format = moved.blockFormat();
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        QTextCursor(moved).setBlockFormat(format);
    }
}

struct Heading {
    QTextBlock block;
    QString text;
};

// A block's text, with the code it holds as text again.
QString PlainText(const QTextBlock& block) {
    QString text;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (fragment.charFormat().objectType() == UnbrokenObject)
            text += (fragment.charFormat().stringProperty(UnbrokenText) +
                     fragment.charFormat().stringProperty(UnbrokenTail))
                        .repeated(fragment.length());
        else
            text += fragment.text();
    }
    return text.trimmed();
}

std::vector<Heading> Headings(const QTextDocument& document) {
    std::vector<Heading> headings;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        if (IsHeading(block)) headings.push_back({block, PlainText(block)});
    return headings;
}

// A heading or an entry of the contents without its number, as "3. Recording" or "Recording".
QString Unnumbered(QString text) {
    return text.remove(QRegularExpression("^\\d+[.)]?\\s+")).trimmed();
}

// The list of contents: the list whose every entry names a heading after it.
struct ContentsEntry {
    QTextBlock entry;
    QTextBlock heading;
};

std::vector<ContentsEntry> Contents(const QTextDocument& document) {
    const std::vector<Heading> headings = Headings(document);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextList* list = block.textList();
        if (!list || list->item(0) != block || list->count() < 2) continue;
        std::vector<ContentsEntry> entries;
        for (int i = 0; i < list->count(); ++i) {
            const QTextBlock entry = list->item(i);
            const auto heading = std::find_if(headings.begin(), headings.end(), [&](const Heading& h) {
                return h.block.position() > entry.position() && Unnumbered(h.text) == Unnumbered(PlainText(entry).section(QChar('\t'), 0, 0));
            });
            if (heading == headings.end()) break;
            entries.push_back({entry, heading->block});
        }
        if (int(entries.size()) == list->count()) return entries;
    }
    return {};
}

// Each entry of the contents with the number of the page its heading is on, at the right edge.
// The numbers fit on the entries' lines, so that nothing after them moves; were it otherwise,
// they are written again until they hold.
void NumberContents(QTextDocument& document, double textWidth) {
    const Pages pages{document};
    const std::vector<ContentsEntry> entries = Contents(document);
    for (int round = 0; round < 3; ++round) {
        bool changed = false;
        for (const ContentsEntry& entry : entries) {
            const QString number = QString::number(pages.Top(entry.heading) + 1);
            const QString text = entry.entry.text();
            const int tab = text.indexOf('\t');
            if (tab >= 0 && text.mid(tab + 1) == number) continue;
            changed = true;
            QTextCursor cursor(entry.entry);
            QTextBlockFormat format = cursor.blockFormat();
            const double indent = entry.entry.textList()->format().indent() * document.indentWidth();
            format.setTabPositions({QTextOption::Tab(textWidth - indent - format.leftMargin() - 1, QTextOption::RightTab)});
            cursor.setBlockFormat(format);
            if (tab >= 0) cursor.setPosition(entry.entry.position() + tab);
            cursor.movePosition(QTextCursor::EndOfBlock, tab >= 0 ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
            cursor.insertText("\t" + number);
        }
        if (!changed) return;
    }
}

// Where a point of the document lands in the PDF.
PdfPlace Place(const Pages& pages, const QRectF& paper, QPointF at) {
    const int page = pages.Of(at.y());
    const double pointsPerPixel = 72 / ScreenDpi;
    return {page, paper.top() + std::max(0.0, at.y() - page * pages.Height()) * pointsPerPixel};
}

// A bookmark for every heading, and the entries of the contents leading to theirs.
QString AddNavigation(const QTextDocument& document, const QRectF& paper, const QString& pdfPath) {
    const Pages pages{document};
    const double pointsPerPixel = 72 / ScreenDpi;
    std::vector<PdfBookmark> bookmarks;
    for (const Heading& heading : Headings(document))
        bookmarks.push_back({heading.text, heading.block.blockFormat().headingLevel(),
                             Place(pages, paper, pages.Rect(heading.block).topLeft() - QPointF(0, 6))});
    std::vector<PdfLink> links;
    for (const ContentsEntry& entry : Contents(document)) {
        const QRectF rect = pages.Rect(entry.entry);
        const PdfPlace top = Place(pages, paper, rect.topLeft());
        const QRectF area(paper.left() + rect.left() * pointsPerPixel, top.top, rect.width() * pointsPerPixel,
                          rect.height() * pointsPerPixel);
        links.push_back({top.page, area, Place(pages, paper, pages.Rect(entry.heading).topLeft() - QPointF(0, 6))});
    }
    return AddPdfNavigation(pdfPath, bookmarks, links);
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
    auto writer = std::make_unique<QPdfWriter>(pdfPath);
    writer->setPageSize(QPageSize(QPageSize::A4));
    writer->setPageMargins(QMarginsF(PrinterMarginMm, PrinterMarginMm, PrinterMarginMm, PrinterMarginMm),
                           QPageLayout::Millimeter);
    writer->setResolution(300);
    writer->setTitle(markdown.section('\n', 0, 0).remove(QChar('#')).trimmed());
    writer->setCreator("TQ36");
    // The printable area, in points from the page's top left corner.
    const QRectF paper = writer->pageLayout().paintRect(QPageLayout::Point);

    // Laid out on pages of the printable area in screen pixels, so that a window's picture comes
    // out as large as the window is on a screen and the text in it as large as there.
    const QRectF printable = writer->pageLayout().paintRect(QPageLayout::Millimeter);
    const QSizeF page(MmToScreenPx(printable.width()), MmToScreenPx(printable.height()));
    QTextDocument document;
    document.setDefaultFont(QFont("Liberation Sans", 10));
    document.setMarkdown(markdown);
    document.setPageSize(page);
    QTextFrameFormat frame = document.rootFrame()->frameFormat();
    frame.setMargin(MmToScreenPx(DocumentMarginMm));
    document.rootFrame()->setFrameFormat(frame);
    const double textWidth = page.width() - 2 * frame.margin();

    const QStringList missing = PlacePictures(document, pictures, textWidth);
    if (!missing.isEmpty()) return "no picture of " + missing.join(", ");
    KeepTokensWhole(document, textWidth);
    RuleTables(document.rootFrame());
    FillPages(document);
    KeepBlocksOnOnePage(document);
    NumberContents(document, textWidth);
    Print(document, *writer);
    writer.reset();  // finishes the file
    if (!QFile::exists(pdfPath)) return "cannot write " + pdfPath;
    return AddNavigation(document, paper, pdfPath);
}

#include "ManualPdf.moc"
