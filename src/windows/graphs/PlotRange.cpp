#include "windows/graphs/PlotRange.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "graphs/ListPlot.h"
#include "graphs/RangeInput.h"
#include "ui/Dialogs.h"
#include "ui/Fonts.h"
#include "windows/WindowNames.h"
#include "windows/graphs/FieldKeys.h"
#include "windows/graphs/PlotWindow.h"

namespace {

// A group of two fields with the caption "From" between them.
QGroupBox* FromTo(QWidget* parent, const QString& title, QLineEdit* from, QLineEdit* to) {
    auto* group = new QGroupBox(title, parent);
    auto* row = new QGridLayout(group);
    row->addWidget(new QLabel("From", group), 0, 0);
    row->addWidget(from, 0, 1);
    row->addWidget(new QLabel("to", group), 0, 2);
    row->addWidget(to, 0, 3);
    return group;
}

}  // namespace

PlotRange::PlotRange(ListPlot& plot, QWidget* parent) : FormWindow(WindowNames::PlotRange, parent), plot_(plot) {
    SetCaption("Plot Range");
    setWindowModality(Qt::ApplicationModal);
    setFont(Fonts::Get("MS Sans Serif", 8));
    TxtT1 = MakeField(this, "TxtT1");
    TxtT2 = MakeField(this, "TxtT2");
    TxtR1 = MakeField(this, "TxtR1");
    TxtR2 = MakeField(this, "TxtR2");
    CmdOK = new QPushButton("OK", this);
    CmdOK->setObjectName("CmdOK");
    auto* layout = new QGridLayout(this);
    layout->addWidget(FromTo(this, "Temperature", TxtT1, TxtT2), 0, 0);
    layout->addWidget(FromTo(this, "Records", TxtR1, TxtR2), 1, 0);
    layout->addWidget(CmdOK, 2, 0, Qt::AlignRight);
    auto* keys = new FieldKeys(this, [this] { CmdOK_Click(); });
    keys->Add(TxtT1, TemperatureKeys);
    keys->Add(TxtT2, TemperatureKeys);
    keys->Add(TxtR1, DigitKeys);
    keys->Add(TxtR2, DigitKeys);
    connect(CmdOK, &QPushButton::clicked, this, &PlotRange::CmdOK_Click);
}

void PlotRange::Load() {
    MovePx(0, 0);
    TxtT1->setText(QString::fromStdString(RangeInput::NumberText(plot_.YMin())));
    TxtT2->setText(QString::fromStdString(RangeInput::NumberText(plot_.YMax())));
    TxtR1->setText(QString::number(plot_.FirstRecord()));
    TxtR2->setText(QString::number(plot_.LastRecord()));
}

void PlotRange::CmdOK_Click() {
    const RangeInput::PlotOutcome outcome =
        RangeInput::CheckPlot(TxtT1->text().toStdString(), TxtT2->text().toStdString(), TxtR1->text().toStdString(),
                              TxtR2->text().toStdString(), plot_.UnitTempMin(), plot_.UnitTempMax(), plot_.RecordCount());
    if (!outcome.message.empty()) {
        Dialogs::Current().Message(QString::fromStdString(outcome.message));
        return;
    }
    plot_.SetRange(outcome.yMin, outcome.yMax, outcome.firstRecord, outcome.lastRecord);
    ReopenPlot();
    UnloadForm();
}
