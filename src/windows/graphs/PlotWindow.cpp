#include "windows/graphs/PlotWindow.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QResizeEvent>
#include <QTimer>

#include "graphs/ListPlot.h"
#include "ui/Canvas.h"
#include "ui/CanvasDrawing.h"
#include "ui/EventPump.h"
#include "ui/Forms.h"
#include "ui/Painting.h"
#include "ui/Toolbar.h"
#include "ui/Twips.h"
#include "ui/WindowPrint.h"
#include "windows/WindowNames.h"

namespace {

constexpr const char* PlotName = WindowNames::Plot;
constexpr int MinWidthTwips = 6300, MinHeightTwips = 5865;
constexpr int ProgressMs = 50;
constexpr std::size_t BatchOps = 2048;

constexpr ToolbarButton Buttons[] = {{"Limit", "Limit", "Limit"}, {"Print", "Print", "Print"}};

}  // namespace

PlotWindow::PlotWindow(ListPlot& plot, QWidget* parent)
    : ChartWindow(PlotName, "Plot Data/File", Buttons, QSize(6405, 5925), parent),
      plot_(plot),
      Timer1(new QTimer(this)),
      snapBack_(Twips::Size(MinWidthTwips, MinHeightTwips)) {
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(RenderDelayMs);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
}

void PlotWindow::Load() { PlaceBesideMainWindow(); }

// A window dragged smaller than the chart needs snaps back.
void PlotWindow::resizeEvent(QResizeEvent* event) {
    if (const std::optional<QSize> answer = snapBack_.Answer(event->size())) {
        resize(*answer);
        return;
    }
    ChartWindow::resizeEvent(event);
}

void PlotWindow::Relayout() {
    ++layouts_;
    DrawOnCanvas(*canvas_, PlotLayout(plot_, canvas_->size(), canvas_->font()));
    Timer1->start();
}

void PlotWindow::Timer1_Timer() {
    const QPointer<FormWindow> self(this);
    const int layout = layouts_;
    const QString caption = Caption();
    ListPlot::Run run(plot_, CanvasMetrics(*canvas_));
    // Records are drawn in batches, one painter each; between batches the events may run.
    Drawing batch = run.Grid();
    QElapsedTimer progress;
    progress.start();
    while (!run.Done()) {
        const Drawing next = run.Next();
        batch.insert(batch.end(), next.begin(), next.end());
        const bool eventsDue = progress.elapsed() >= ProgressMs;
        if (batch.size() >= BatchOps || eventsDue) {
            DrawOnCanvas(*canvas_, batch);
            batch.clear();
        }
        if (eventsDue) {
            SetCaption(QString::number(run.Record() - 1) + " Records Completed ");
            EventPump::ProcessEvents();
            // Closed or laid out anew meanwhile: this run is over.
            if (FormWindow::IsGone(self) || layouts_ != layout) {
                if (!FormWindow::IsGone(self)) SetCaption(caption);
                return;
            }
            progress.restart();
        }
    }
    DrawOnCanvas(*canvas_, batch);
    SetCaption(caption);
}

void PlotWindow::Toolbar1_ButtonClick(const QString& key) {
    if (key == "Limit") {
        if (auto* range = Forms::Get(WindowNames::PlotRange)) {
            range->setWindowTitle(QString("Plot Range ( %1 )").arg(QString::fromStdString(plot_.Unit())));
            range->show();
        }
    } else if (key == "Print") {
        PrintAsShown(*canvas_);
    }
}

void OpenPlot(ListPlot& plot, RecordTable records) {
    Forms::Unload(PlotName);
    plot.Open(std::move(records));
    Forms::Show(PlotName);
}

void ReopenPlot() {
    Forms::Unload(PlotName);
    Forms::Show(PlotName);
}
