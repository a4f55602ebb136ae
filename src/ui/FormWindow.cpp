#include "ui/FormWindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include "ui/Forms.h"
#include "ui/Twips.h"

FormWindow::FormWindow(const QString& name, QWidget* parent) : QWidget(parent) {
    setObjectName(name);
    // A form stays a window of its own even when it is given an owner.
    setWindowFlag(Qt::Window);
}

void FormWindow::SetClientSizeTwips(int width, int height) { resize(Twips::Size(width, height)); }

void FormWindow::CentreOnScreen() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->geometry();
    const QSize outer = frameGeometry().size();
    move(area.left() + (area.width() - outer.width()) / 2, area.top() + (area.height() - outer.height()) / 2);
}

void FormWindow::MoveTwips(int left, int top) { move(Twips::Point(left, top)); }

void FormWindow::MovePx(int left, int top) { move(left, top); }

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
    QWidget::showEvent(event);
}
