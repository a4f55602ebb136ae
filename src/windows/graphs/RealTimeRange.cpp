#include "windows/graphs/RealTimeRange.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "graphs/RangeInput.h"
#include "graphs/RealTimeChart.h"
#include "ui/Dialogs.h"
#include "ui/Fonts.h"
#include "ui/Forms.h"
#include "ui/MeterLink.h"
#include "ui/Twips.h"
#include "windows/WindowNames.h"
#include "windows/graphs/FieldKeys.h"
#include "windows/graphs/RealTimeGraph.h"

RealTimeRange::RealTimeRange(const MeterLink& link, RealTimeChart& chart, QWidget* parent)
    : FormWindow(WindowNames::RealTimeRange, parent), link_(link), chart_(chart) {
    SetCaption("Real Time Range");
    setWindowModality(Qt::ApplicationModal);
    setFont(Fonts::Get("MS Sans Serif", 8));
    TxtMax = MakeField(this, "TxtMax");
    TxtMin = MakeField(this, "TxtMin");
    TxtCounts = MakeField(this, "TxtCounts");
    TxtWidth = MakeField(this, "TxtWidth");
    TxtHeight = MakeField(this, "TxtHeight");
    CmdOK = new QPushButton("OK", this);
    CmdOK->setObjectName("CmdOK");

    auto* temperature = new QGroupBox("Temperature", this);
    auto* temperatureRows = new QGridLayout(temperature);
    temperatureRows->addWidget(new QLabel("Max", temperature), 0, 0);
    temperatureRows->addWidget(TxtMax, 0, 1);
    temperatureRows->addWidget(new QLabel("Min", temperature), 1, 0);
    temperatureRows->addWidget(TxtMin, 1, 1);
    auto* counts = new QGroupBox("Counts", this);
    (new QGridLayout(counts))->addWidget(TxtCounts, 0, 0);
    auto* size = new QGroupBox("Size Interval", this);
    auto* sizeRows = new QGridLayout(size);
    sizeRows->addWidget(new QLabel("X-axis", size), 0, 0);
    sizeRows->addWidget(TxtWidth, 0, 1);
    sizeRows->addWidget(new QLabel("Y-axis", size), 1, 0);
    sizeRows->addWidget(TxtHeight, 1, 1);
    auto* layout = new QGridLayout(this);
    layout->addWidget(temperature, 0, 0, 2, 1);
    layout->addWidget(counts, 0, 1);
    layout->addWidget(size, 1, 1);
    layout->addWidget(CmdOK, 2, 1, Qt::AlignRight);

    // Temperatures take digits, a sign and a point, the span digits only; Enter moves on, and in
    // the span field it is OK.
    auto* keys = new FieldKeys(this, [this] { CmdOK_Click(); });
    keys->Add(TxtMax, TemperatureKeys);
    keys->Add(TxtMin, TemperatureKeys);
    keys->Add(TxtCounts, DigitKeys);
    connect(CmdOK, &QPushButton::clicked, this, &RealTimeRange::CmdOK_Click);
}

void RealTimeRange::Load() {
    TxtMax->setText(QString::fromStdString(RangeInput::NumberText(chart_.YMax())));
    TxtMin->setText(QString::fromStdString(RangeInput::NumberText(chart_.YMin())));
    const double samplingSeconds = link_.SamplingSeconds();
    const double minutes = chart_.XStep() > 0 ? chart_.PlotWidth() / chart_.XStep() / 60 * samplingSeconds : 0;
    TxtCounts->setText(QString::fromStdString(RangeInput::NumberText(minutes)) + "  min");
    if (auto* graph = Forms::FindAs<FormWindow>(WindowNames::RealTimeGraph)) {
        const double twipsPerPixelX = Twips::PerInch / Twips::DpiX(),
                     twipsPerPixelY = Twips::PerInch / Twips::DpiY();
        const RangeInput::WindowSteps steps =
            RangeInput::GraphWindowSteps(graph->WidthPx() * twipsPerPixelX,
                                         graph->HeightPx() * twipsPerPixelY, twipsPerPixelX, twipsPerPixelY);
        TxtWidth->setText(QString::number(steps.width));
        TxtHeight->setText(QString::number(steps.height));
    }
    // Nothing prescribes its place: beside the graph it sets, hiding none of the open windows.
    PlaceBeside(Forms::FindAs<FormWindow>(WindowNames::RealTimeGraph));
}

void RealTimeRange::Unload() {
    if (auto* graph = Forms::FindAs<RealTimeGraph>(WindowNames::RealTimeGraph)) graph->ResumeAfterRange();
}

void RealTimeRange::CmdOK_Click() {
    const RangeInput::Outcome outcome =
        RangeInput::Check({TxtMax->text().toStdString(), TxtMin->text().toStdString(), TxtCounts->text().toStdString(),
                           TxtWidth->text().toStdString(), TxtHeight->text().toStdString()},
                          chart_.UnitTempMax(), chart_.UnitTempMin());
    if (outcome.rangeChecked) chart_.SetRange(outcome.yMax, outcome.yMin);
    switch (outcome.status) {
        case RangeInput::Outcome::Status::Refused:
            Dialogs::Current().Message(QString::fromStdString(outcome.message));
            return;
        case RangeInput::Outcome::Status::Fault:
            Forms::Unload(WindowNames::RealTimeGraph);
            break;
        case RangeInput::Outcome::Status::Accepted:
            ReopenRealTimeGraph(link_, chart_, outcome.widthSteps, outcome.heightSteps, outcome.spanSeconds);
            break;
    }
    UnloadForm();
}
