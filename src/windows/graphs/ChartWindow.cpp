#include "windows/graphs/ChartWindow.h"

#include <QResizeEvent>

#include "ui/Canvas.h"
#include "ui/Forms.h"
#include "ui/Painting.h"
#include "ui/Toolbar.h"
#include "windows/WindowNames.h"

ChartWindow::ChartWindow(const QString& name, const QString& caption, std::span<const ToolbarButton> buttons,
                         QSize clientTwips, QWidget* parent)
    : FormWindow(name, parent) {
    SetCaption(caption);
    canvas_ = new Canvas(this);
    canvas_->setObjectName("Chart");
    canvas_->setFont(ChartFont());
    Toolbar1 = new Toolbar(this);
    Toolbar1->setObjectName("Toolbar1");
    Toolbar1->AddButtons(buttons);
    connect(Toolbar1, &Toolbar::ButtonClick, this, [this](const QString& key) { Toolbar1_ButtonClick(key); });
    connect(canvas_, &Canvas::Resized, this, [this] { Relayout(); });
    SetClientSizeTwips(clientTwips.width(), clientTwips.height());
}

void ChartWindow::PlaceBesideMainWindow() {
    if (auto* panel = Forms::FindAs<FormWindow>(WindowNames::Panel)) MovePx(panel->LeftPx() + panel->WidthPx(), 0);
}

void ChartWindow::resizeEvent(QResizeEvent* event) {
    canvas_->setGeometry(rect());
    Toolbar1->setGeometry(0, 0, width(), Toolbar1->sizeHint().height());
    Toolbar1->raise();
    FormWindow::resizeEvent(event);
}
