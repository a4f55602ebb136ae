#include "PdfNavigation.h"

#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <algorithm>
#include <optional>

namespace {

// The parts of the finished file the update builds on.
struct Page {
    int object = 0;
    double height = 0;
    int annots = 0;          // the object that holds its array of annotations
    QByteArray annotsArray;  // its entries, without the brackets
};

struct Document {
    QByteArray data;
    QMap<int, qint64> offsets;  // object number to where it starts
    qint64 xref = 0;
    int size = 0, root = 0, info = 0;
    QByteArray catalog;  // the dictionary, with its brackets
    std::vector<Page> pages;
};

std::optional<int> Reference(const QByteArray& text, const char* key) {
    const QRegularExpression pattern(QString("/%1\\s+(\\d+)\\s+0\\s+R").arg(key));
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(text));
    if (!match.hasMatch()) return std::nullopt;
    return match.captured(1).toInt();
}

// The body of an object of the current table, between "N 0 obj" and "endobj".
std::optional<QByteArray> Body(const Document& document, int object) {
    if (!document.offsets.contains(object)) return std::nullopt;
    const qint64 at = document.offsets.value(object);
    const QByteArray head = QByteArray::number(object) + " 0 obj";
    if (document.data.mid(at, head.size()) != head) return std::nullopt;
    const qint64 end = document.data.indexOf("endobj", at);
    if (end < 0) return std::nullopt;
    return document.data.mid(at + head.size(), end - at - head.size()).trimmed();
}

QString Read(Document& document) {
    const QByteArray& data = document.data;
    const qint64 startxref = data.lastIndexOf("startxref");
    if (startxref < 0) return "no startxref";
    bool ok = false;
    document.xref = data.mid(startxref + 9, 24).trimmed().split('\n').value(0).trimmed().toLongLong(&ok);
    if (!ok || data.mid(document.xref, 4) != "xref") return "no cross-reference table where startxref says";
    const qint64 trailer = data.indexOf("trailer", document.xref);
    if (trailer < 0) return "no trailer";
    // The table: subsections of "FIRST COUNT", then one line per object.
    const QList<QByteArray> lines = data.mid(document.xref + 4, trailer - document.xref - 4).split('\n');
    int number = 0;
    for (const QByteArray& line : lines) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() == 2) {
            number = fields[0].toInt();
        } else if (fields.size() == 3) {
            if (fields[2] == "n") document.offsets.insert(number, fields[0].toLongLong());
            ++number;
        }
    }
    const QByteArray dictionary = data.mid(trailer, data.indexOf(">>", trailer) - trailer);
    if (dictionary.contains("/Prev")) return "the file was updated before";
    const QRegularExpressionMatch size =
        QRegularExpression("/Size\\s+(\\d+)").match(QString::fromLatin1(dictionary));
    const auto root = Reference(dictionary, "Root"), info = Reference(dictionary, "Info");
    if (!size.hasMatch() || !root) return "no size or root in the trailer";
    document.size = size.captured(1).toInt();
    document.root = *root;
    document.info = info.value_or(0);

    const auto catalog = Body(document, document.root);
    if (!catalog || !catalog->startsWith("<<") || !catalog->endsWith(">>")) return "no catalog";
    if (catalog->contains("/Outlines")) return "the catalog has an outline already";
    document.catalog = *catalog;
    const auto pagesObject = Reference(*catalog, "Pages");
    const auto pages = pagesObject ? Body(document, *pagesObject) : std::nullopt;
    if (!pages) return "no page tree";
    const QRegularExpressionMatch kids =
        QRegularExpression("/Kids\\s*\\[([^\\]]*)\\]").match(QString::fromLatin1(*pages));
    if (!kids.hasMatch()) return "no pages in the page tree";
    QRegularExpressionMatchIterator each = QRegularExpression("(\\d+)\\s+0\\s+R").globalMatch(kids.captured(1));
    while (each.hasNext()) {
        Page page;
        page.object = each.next().captured(1).toInt();
        const auto body = Body(document, page.object);
        if (!body || !QRegularExpression("/Type\\s*/Page\\b").match(QString::fromLatin1(*body)).hasMatch())
            return QString("object %1 is no page").arg(page.object);
        const QRegularExpressionMatch box =
            QRegularExpression("/MediaBox\\s*\\[\\s*\\S+\\s+\\S+\\s+\\S+\\s+(\\S+)\\s*\\]")
                .match(QString::fromLatin1(*body));
        const auto annots = Reference(*body, "Annots");
        const auto array = annots ? Body(document, *annots) : std::nullopt;
        if (!box.hasMatch() || !array || !array->startsWith('[') || !array->endsWith(']'))
            return QString("page %1 has no media box or no array of annotations").arg(document.pages.size() + 1);
        page.height = box.captured(1).toDouble();
        page.annots = *annots;
        page.annotsArray = array->mid(1, array->size() - 2).trimmed();
        document.pages.push_back(page);
    }
    return {};
}

QByteArray Number(double value) { return QByteArray::number(value, 'f', 2); }

QByteArray Ref(int object) { return QByteArray::number(object) + " 0 R"; }

// Text as PDF wants it for any script: UTF-16 big-endian with its byte order mark, in hex.
QByteArray TextString(const QString& text) {
    QByteArray hex = "<FEFF";
    for (const QChar c : text) hex += QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper();
    return hex + ">";
}

QByteArray Destination(const Document& document, const PdfPlace& place) {
    const Page& page = document.pages[size_t(place.page)];
    return "[" + Ref(page.object) + " /XYZ 0 " + Number(page.height - place.top) + " null]";
}

}  // namespace

QString AddPdfNavigation(const QString& pdfPath, const std::vector<PdfBookmark>& bookmarks,
                         const std::vector<PdfLink>& links) {
    QFile file(pdfPath);
    if (!file.open(QIODevice::ReadOnly)) return "cannot read " + pdfPath;
    Document document;
    document.data = file.readAll();
    file.close();
    if (const QString error = Read(document); !error.isEmpty()) return pdfPath + ": " + error;
    const int pageCount = int(document.pages.size());
    for (const PdfBookmark& bookmark : bookmarks)
        if (bookmark.place.page < 0 || bookmark.place.page >= pageCount) return "a bookmark past the last page";
    for (const PdfLink& link : links)
        if (link.page < 0 || link.page >= pageCount || link.place.page < 0 || link.place.page >= pageCount)
            return "a link past the last page";

    QMap<int, QByteArray> objects;  // what the update writes, by number
    int next = document.size;

    // The outline: each entry's parent is the nearest entry before it of a lower level; all open.
    const int outline = next++;
    const int count = int(bookmarks.size());
    std::vector<int> object(size_t(count), 0), parent(size_t(count), -1);
    std::vector<std::vector<int>> children(size_t(count) + 1);  // the last for the outline itself
    for (int i = 0; i < count; ++i) {
        object[size_t(i)] = next++;
        for (int j = i - 1; j >= 0; --j)
            if (bookmarks[size_t(j)].level < bookmarks[size_t(i)].level) {
                parent[size_t(i)] = j;
                break;
            }
        children[size_t(parent[size_t(i)] < 0 ? count : parent[size_t(i)])].push_back(i);
    }
    const auto descendants = [&](int i) {
        int n = 0;
        for (int j = i + 1; j < count; ++j) {
            int up = parent[size_t(j)];
            while (up > i) up = parent[size_t(up)];
            if (up == i) ++n;
        }
        return n;
    };
    const auto firstLastCount = [&](const std::vector<int>& kids, int total) -> QByteArray {
        if (kids.empty()) return {};
        return "/First " + Ref(object[size_t(kids.front())]) + "\n/Last " + Ref(object[size_t(kids.back())]) +
               "\n/Count " + QByteArray::number(total) + "\n";
    };
    objects.insert(outline, "<<\n/Type /Outlines\n" + firstLastCount(children[size_t(count)], count) + ">>");
    for (int i = 0; i < count; ++i) {
        const PdfBookmark& bookmark = bookmarks[size_t(i)];
        const int up = parent[size_t(i)];
        const std::vector<int>& siblings = children[size_t(up < 0 ? count : up)];
        const auto at = std::find(siblings.begin(), siblings.end(), i) - siblings.begin();
        QByteArray entry = "<<\n/Title " + TextString(bookmark.title) + "\n/Parent " +
                           Ref(up < 0 ? outline : object[size_t(up)]) + "\n";
        if (at > 0) entry += "/Prev " + Ref(object[size_t(siblings[size_t(at - 1)])]) + "\n";
        if (size_t(at + 1) < siblings.size()) entry += "/Next " + Ref(object[size_t(siblings[size_t(at + 1)])]) + "\n";
        entry += firstLastCount(children[size_t(i)], descendants(i));
        entry += "/Dest " + Destination(document, bookmark.place) + "\n>>";
        objects.insert(object[size_t(i)], entry);
    }

    // The links, each added to its page's array of annotations.
    QMap<int, QByteArray> annots;  // page to the entries it gains
    for (const PdfLink& link : links) {
        const int number = next++;
        const double height = document.pages[size_t(link.page)].height;
        objects.insert(number, "<<\n/Type /Annot\n/Subtype /Link\n/Rect [" + Number(link.area.left()) + " " +
                                   Number(height - link.area.bottom()) + " " + Number(link.area.right()) + " " +
                                   Number(height - link.area.top()) + "]\n/Border [0 0 0]\n/Dest " +
                                   Destination(document, link.place) + "\n>>");
        annots[link.page] += " " + Ref(number);
    }
    for (auto it = annots.cbegin(); it != annots.cend(); ++it) {
        const Page& page = document.pages[size_t(it.key())];
        objects.insert(page.annots, "[ " + (page.annotsArray + it.value()).trimmed() + " ]");
    }

    // The catalog again, now naming the outline and showing it when the file opens.
    QByteArray catalog = document.catalog;
    catalog.insert(catalog.size() - 2, "/Outlines " + Ref(outline) + "\n/PageMode /UseOutlines\n");
    objects.insert(document.root, catalog);

    QByteArray update = document.data.endsWith('\n') ? QByteArray() : QByteArray("\n");
    QMap<int, qint64> offsets;
    for (auto it = objects.cbegin(); it != objects.cend(); ++it) {
        offsets.insert(it.key(), document.data.size() + update.size());
        update += QByteArray::number(it.key()) + " 0 obj\n" + it.value() + "\nendobj\n";
    }
    const qint64 xref = document.data.size() + update.size();
    update += "xref\n";
    // One subsection per run of consecutive numbers.
    for (auto it = offsets.cbegin(); it != offsets.cend();) {
        auto end = it;
        int run = 0;
        while (end != offsets.cend() && end.key() == it.key() + run) ++end, ++run;
        update += QByteArray::number(it.key()) + " " + QByteArray::number(run) + "\n";
        for (; it != end; ++it) update += QByteArray::number(it.value()).rightJustified(10, '0') + " 00000 n \n";
    }
    update += "trailer\n<<\n/Size " + QByteArray::number(next) + "\n/Root " + Ref(document.root) + "\n";
    if (document.info) update += "/Info " + Ref(document.info) + "\n";
    update += "/Prev " + QByteArray::number(document.xref) + "\n>>\nstartxref\n" + QByteArray::number(xref) +
              "\n%%EOF\n";

    if (!file.open(QIODevice::Append) || file.write(update) != update.size() || !file.flush())
        return "cannot write " + pdfPath;
    return {};
}
