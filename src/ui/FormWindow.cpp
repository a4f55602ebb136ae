#include "ui/FormWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>

#include "ui/Forms.h"
#include "ui/Twips.h"
#include "ui/WindowFrame.h"

FormWindow::FormWindow(const QString& name, QWidget* parent) : QWidget(parent) {
    setObjectName(name);
    // A form stays a window of its own even when it is given an owner.
    setWindowFlag(Qt::Window);
}

void FormWindow::SetClientSizeTwips(int width, int height) { resize(Twips::Size(width, height)); }

void FormWindow::SetOuterSizePx(QSize outer, QMargins frame) { resize(outer.shrunkBy(frame)); }

QMargins FormWindow::FrameMargins() const { return WindowFrame::Of(*this); }

void FormWindow::CentreOnScreen() {
    placement_ = Placement::Centred;
    Place();
}

void FormWindow::PlaceBeside(const FormWindow* anchor) {
    placement_ = Placement::Beside;
    anchor_ = anchor;
    Place();
}

// The frames of the program's other shown windows, the anchor's first.
QList<QRect> FormWindow::ShownFrames() const {
    QList<QRect> frames;
    const auto frameOf = [](const FormWindow& w) { return QRect(w.LeftPx(), w.TopPx(), w.WidthPx(), w.HeightPx()); };
    if (anchor_ && anchor_->isVisible()) frames.append(frameOf(*anchor_));
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        const auto* other = qobject_cast<const FormWindow*>(widget);
        if (other && other != this && other != anchor_ && other->isVisible() && !other->IsUnloaded())
            frames.append(frameOf(*other));
    }
    return frames;
}

void FormWindow::MoveTwips(int left, int top) { MovePx(Twips::ToPxX(left), Twips::ToPxY(top)); }

void FormWindow::MovePx(int left, int top) {
    placement_ = Placement::At;
    placedAt_ = QPoint(left, top);
    Place();
}

// The client area goes where the frame's top left puts it: the desktop then draws the frame
// exactly where it was wanted, whatever it does with a window positioned by its frame.
void FormWindow::Place() {
    if (placement_ == Placement::Free) return;
    const QScreen* screen = placement_ == Placement::At ? QGuiApplication::screenAt(placedAt_) : nullptr;
    if (!screen) screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QMargins frame = FrameMargins();
    const QSize outer = size().grownBy(frame);
    QPoint at = placedAt_;
    if (placement_ == Placement::Centred || placement_ == Placement::Beside) {
        const QRect area = screen->geometry();
        at = QPoint(area.left() + (area.width() - outer.width()) / 2,
                    area.top() + (area.height() - outer.height()) / 2);
    }
    if (placement_ == Placement::Beside)
        at = WindowFrame::ClearOf(outer, ShownFrames(), screen->availableGeometry(), at);
    at = WindowFrame::KeptOn(QRect(at, outer), screen->availableGeometry());
    // Placing is no sizing: a window never sized still takes its layout's size when it shows.
    const bool sized = testAttribute(Qt::WA_Resized);
    setGeometry(QRect(at + QPoint(frame.left(), frame.top()), size()));
    setAttribute(Qt::WA_Resized, sized);
}

void FormWindow::EnsureLoaded() {
    if (loaded_ || unloaded_) return;
    loaded_ = true;
    Load();
}

bool FormWindow::UnloadForm() {
    if (unloaded_) return true;
    if (!QueryUnload(false)) return false;
    FinishUnload();
    return true;
}

void FormWindow::FinishUnload() {
    unloaded_ = true;
    Unload();
    Forms::Forget(this);
    // A timer that fired between now and the deferred delete would run a handler of a window
    // that no longer exists for the program.
    for (QTimer* timer : findChildren<QTimer*>()) timer->stop();
    hide();
    deleteLater();
}

void FormWindow::closeEvent(QCloseEvent* event) {
    if (unloaded_) {
        event->accept();
        return;
    }
    if (!QueryUnload(true)) {
        event->ignore();
        return;
    }
    event->accept();
    FinishUnload();
}

void FormWindow::showEvent(QShowEvent* event) {
    EnsureLoaded();
    // Sizes are final at the first show (a layout, a range dialog's new size): the place may have
    // to change. Later shows keep wherever the user moved the window.
    if (!event->spontaneous() && !shown_) Place();
    shown_ = true;
    QWidget::showEvent(event);
}
