#include "ui/WindowFrame.h"

#include <QApplication>
#include <QWidget>
#include <algorithm>

namespace {

std::optional<QMargins>& Installed() {
    static std::optional<QMargins> frame;
    return frame;
}

QMargins Drawn(const QWidget& window) {
    if (!window.isVisible()) return {};
    const QRect outer = window.frameGeometry(), inner = window.geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

}  // namespace

QMargins WindowFrame::Of(const QWidget& window) {
    if (Installed()) return *Installed();
    if (const QMargins own = Drawn(window); !own.isNull()) return own;
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        for (const QWidget* other : QApplication::topLevelWidgets()) {
            if (const QMargins frame = Drawn(*other); !frame.isNull()) return frame;
        }
    }
    return {};
}

void WindowFrame::Install(std::optional<QMargins> frame) { Installed() = frame; }

QPoint WindowFrame::KeptOn(const QRect& outer, const QRect& free) {
    const int left = std::max(free.left(), std::min(outer.left(), free.right() + 1 - outer.width()));
    const int top = std::max(free.top(), std::min(outer.top(), free.bottom() + 1 - outer.height()));
    return {left, top};
}

QPoint WindowFrame::ClearOf(QSize outer, const QList<QRect>& shown, const QRect& free, QPoint fallback) {
    const auto clear = [&](const QRect& frame) {
        return std::none_of(shown.begin(), shown.end(), [&](const QRect& other) { return other.intersects(frame); });
    };
    for (const QRect& beside : shown) {
        const QPoint spots[] = {{beside.left(), beside.bottom() + 1},
                                {beside.right() + 1, beside.top()},
                                {beside.left() - outer.width(), beside.top()},
                                {beside.left(), beside.top() - outer.height()}};
        for (const QPoint& spot : spots) {
            // Kept on the screen, a spot may slide back over the window it was beside.
            const QPoint at = KeptOn(QRect(spot, outer), free);
            if (clear(QRect(at, outer))) return at;
        }
    }
    return KeptOn(QRect(fallback, outer), free);
}
