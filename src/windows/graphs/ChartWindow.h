#pragma once

#include <QSize>
#include <span>

#include "ui/FormWindow.h"

class Canvas;
class Toolbar;
struct ToolbarButton;

// A window that is a chart: a canvas over the whole client area, the toolbar lying over the
// chart's top margin, and the place beside the main window at the top of the screen.
class ChartWindow : public FormWindow {
    Q_OBJECT
public:
    virtual void Toolbar1_ButtonClick(const QString& key) = 0;
    // The empty chart; what was drawn on it is gone.
    virtual void Relayout() = 0;

protected:
    ChartWindow(const QString& name, const QString& caption, std::span<const ToolbarButton> buttons,
                QSize clientTwips, QWidget* parent);

    void PlaceBesideMainWindow();
    void resizeEvent(QResizeEvent* event) override;

    Toolbar* Toolbar1;
    Canvas* canvas_;
};
