#pragma once

#include <QRectF>
#include <QString>
#include <vector>

// A place in a PDF: the page (from 0) and the height on it, in points from the page's top edge.
struct PdfPlace {
    int page = 0;
    double top = 0;
};

// An entry of the PDF's outline (its bookmarks); an entry sits under the nearest one before it of a
// lower level.
struct PdfBookmark {
    QString title;
    int level = 1;
    PdfPlace place;
};

// A clickable area of a page, in points from the page's top left corner, that leads to a place.
struct PdfLink {
    int page = 0;
    QRectF area;
    PdfPlace place;
};

// Adds the outline and the links to a PDF as QPdfWriter writes it (one cross-reference table, each
// page with its own array of annotations), by appending an incremental update: the objects
// written before stay as they are. Returns what went wrong, empty when the file was updated.
QString AddPdfNavigation(const QString& pdfPath, const std::vector<PdfBookmark>& bookmarks,
                         const std::vector<PdfLink>& links);
