#include "ui/WindowPrint.h"

#include <QCommonStyle>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QStyleOption>
#include <algorithm>

#include "ui/Canvas.h"
#include "ui/Dialogs.h"
#include "ui/HourglassGuard.h"
#include "ui/Painting.h"

namespace {

// The controls keep their style options to themselves; a pointer to the protected member, taken
// through a class that may name it, calls it on any control of that kind.
struct GroupBoxOptions : QGroupBox {
    static void Of(const QGroupBox& box, QStyleOptionGroupBox& option) {
        (box.*&GroupBoxOptions::initStyleOption)(&option);
    }
};
struct FrameOptions : QFrame {
    static void Of(const QFrame& frame, QStyleOptionFrame& option) {
        (frame.*&FrameOptions::initStyleOption)(&option);
    }
};
struct ButtonOptions : QPushButton {
    static void Of(const QPushButton& button, QStyleOptionButton& option) {
        (button.*&ButtonOptions::initStyleOption)(&option);
    }
};

// Paints a window's controls on a page as they lie on the screen, in the window's pixels.
class PagePainter {
  public:
    PagePainter(QPainter& painter, const QWidget& shown)
        : painter_(painter), shownDpi_(shown.logicalDpiY()) {}

    void Paint(const QWidget& widget) {
        painter_.save();
        if (const auto* canvas = qobject_cast<const Canvas*>(&widget)) {
            PaintCanvas(*canvas);
        } else if (const auto* box = qobject_cast<const QGroupBox*>(&widget)) {
            PaintGroupBox(*box);
        } else if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
            PaintLabel(*label);
        } else if (const auto* button = qobject_cast<const QPushButton*>(&widget)) {
            PaintButton(*button);
        }
        painter_.restore();
        for (const QObject* child : widget.children()) {
            const auto* control = qobject_cast<const QWidget*>(child);
            if (!control || control->isHidden() || control->isWindow()) continue;
            painter_.save();
            painter_.translate(control->pos());
            Paint(*control);
            painter_.restore();
        }
    }

  private:
    // A font of the same size in the window's pixels as on the screen. The painter is scaled from
    // the window's pixels to the printer's, and a font in points would be sized for the printer
    // a second time.
    QFont PageFont(const QFont& font) const {
        QFont page(font);
        const int printerDpi = painter_.device()->logicalDpiY();
        if (page.pointSizeF() > 0) page.setPointSizeF(page.pointSizeF() * shownDpi_ / printerDpi);
        return QFont(page, painter_.device());
    }

    // The chart from what it drew, lines as a screen fills their pixels: a one-pixel line lies on
    // the pixels right of and below its points, and a dotted line's dots are a pixel long.
    void PaintCanvas(const Canvas& canvas) {
        painter_.setClipRect(canvas.rect(), Qt::IntersectClip);
        painter_.fillRect(canvas.rect(), canvas.Background());
        const QFont font = PageFont(canvas.font());
        const Drawing& shown = canvas.Shown();
        const auto shifted = [](const DrawOp& op) {
            return op.kind == DrawOp::Kind::Line && std::max(op.width, 1) % 2 == 1;
        };
        for (auto from = shown.begin(); from != shown.end();) {
            const bool shift = shifted(*from);
            const auto to =
                std::find_if(from, shown.end(), [&](const DrawOp& op) { return shifted(op) != shift; });
            painter_.save();
            if (shift) painter_.translate(0.5, 0.5);
            PaintDrawing(painter_, Drawing(from, to), font, Qt::FlatCap);
            painter_.restore();
            from = to;
        }
    }

    // The caption where the desktop's style lays it out, and the frame where and in the colours
    // that style draws it: read from the style's own picture of the empty frame, which it paints
    // from an image that would come out blurred on paper.
    void PaintGroupBox(const QGroupBox& box) {
        QStyleOptionGroupBox option;
        GroupBoxOptions::Of(box, option);
        const QStyle* own = box.style();
        QStyleOptionGroupBox frameOnly = option;
        frameOnly.subControls = QStyle::SC_GroupBoxFrame;
        QImage probe(box.size(), QImage::Format_ARGB32_Premultiplied);
        probe.fill(Qt::transparent);
        {
            QPainter onProbe(&probe);
            own->drawComplexControl(QStyle::CC_GroupBox, &frameOnly, &onProbe, &box);
        }
        const int middle = probe.width() / 2;
        int top = 0;
        while (top < probe.height() && qAlpha(probe.pixel(middle, top)) == 0) ++top;
        if (top < probe.height()) {
            const QColor edge = probe.pixelColor(middle, top);
            const QColor inside = probe.pixelColor(middle, std::min(top + 3, probe.height() - 1));
            painter_.setPen(QPen(edge, 1));
            painter_.setBrush(inside.alpha() > 0 ? QBrush(inside) : QBrush());
            painter_.drawRoundedRect(QRectF(box.rect()).adjusted(0.5, top + 0.5, -0.5, -0.5), 2, 2);
        }
        painter_.setFont(PageFont(box.font()));
        const QRect caption =
            own->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, &box);
        own->drawItemText(&painter_, caption, Qt::TextShowMnemonic | Qt::AlignLeft | option.textAlignment,
                          option.palette, box.isEnabled(), option.text, QPalette::WindowText);
    }

    void PaintLabel(const QLabel& label) {
        QStyleOptionFrame frame;
        FrameOptions::Of(label, frame);
        label.style()->drawControl(QStyle::CE_ShapedFrame, &frame, &painter_, &label);
        painter_.setFont(PageFont(label.font()));
        const QRect inside =
            label.contentsRect().adjusted(label.margin(), label.margin(), -label.margin(), -label.margin());
        const Qt::Alignment align = QStyle::visualAlignment(label.layoutDirection(), label.alignment());
        label.style()->drawItemText(&painter_, inside.adjusted(Indent(label, align), 0, 0, 0), align,
                                    label.palette(), label.isEnabled(), label.text(), label.foregroundRole());
    }

    // A framed label keeps left-aligned text half an "x" off its frame, as it does on the screen.
    static int Indent(const QLabel& label, Qt::Alignment align) {
        if (!(align & Qt::AlignLeft)) return 0;
        if (label.indent() >= 0) return label.indent();
        return label.frameWidth() > 0 ? label.fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 : 0;
    }

    void PaintButton(const QPushButton& button) {
        QStyleOptionButton option;
        ButtonOptions::Of(button, option);
        painter_.setFont(PageFont(button.font()));
        Plain().drawControl(QStyle::CE_PushButton, &option, &painter_, &button);
    }

    // Styles draw a button's face from a picture the size of the screen's button, which would
    // come out blurred on paper; the plain style draws a raised face with lines, and the caption
    // as text.
    static QStyle& Plain() {
        static QCommonStyle plain;
        return plain;
    }

    QPainter& painter_;
    int shownDpi_;
};

}  // namespace

bool PrintAsShown(QWidget& widget, const QRect& area) {
    const QPointer<QWidget> shown(&widget);
    QPrinter printer(QPrinter::HighResolution);
    if (!Dialogs::Current().PrintDialog(printer)) return false;
    // A timer may have closed the window while the dialog was open.
    if (!shown) return false;
    HourglassGuard busy;
    const QRect part = area.isNull() ? shown->rect() : area;
    if (part.isEmpty()) return false;
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    // As large as the page allows, in the window's proportions, at the top left like a printed list.
    const QRect page = painter.viewport();
    const double scale = std::min(double(page.width()) / part.width(), double(page.height()) / part.height());
    painter.scale(scale, scale);
    painter.translate(-part.topLeft());
    painter.setClipRect(part);
    if (!qobject_cast<const Canvas*>(shown.data())) painter.fillRect(part, shown->palette().window());
    PagePainter(painter, *shown).Paint(*shown);
    return painter.end();
}
