#include "windows/logger/MemoryWindow.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/Fonts.h"
#include "ui/Forms.h"
#include "ui/Grid.h"
#include "ui/Twips.h"
#include "windows/WindowNames.h"

namespace {

struct Column {
    const char* title;
    const char* widthSample;
};
constexpr Column SetColumns[] = {{"Set", " No.S "}, {"Sampling", " Sampling "}, {"Records", " Records "}};

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    label->setFont(Fonts::Get("MS Sans Serif", 8, true));
    return label;
}

// A raised panel with its caption: the heading of the figure below it.
QFrame* MakePanel(QWidget* parent, const char* name, const QString& caption) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(MakeLabel(panel, "", caption));
    return panel;
}

}  // namespace

MemoryWindow::MemoryWindow(std::function<void(int)> openSet, QWidget* parent)
    : FormWindow(WindowNames::Memory, parent), openSet_(std::move(openSet)) {
    SetCaption("Data Logger");
    setFont(Fonts::Get("MS Sans Serif", 8));

    GridSet = new Grid(this);
    GridSet->setObjectName("GridSet");
    GridSet->SetCols(3);
    GridSet->SetFixedCols(1);
    SSPanel1 = MakePanel(this, "SSPanel1", "Memory Size");
    LblSize = MakeLabel(this, "LblSize", "62.0 K");
    SSPanel2 = MakePanel(this, "SSPanel2", "Remained");
    LblRemain = MakeLabel(this, "LblRemain", "");
    LblMessage = MakeLabel(this, "LblMessage", "");
    // A screen reader reads a figure as shown and what it is from the description.
    LblSize->setAccessibleDescription("Memory Size");
    LblRemain->setAccessibleDescription("Remained");
    LblMessage->setAccessibleDescription("Transfer progress");
    CmdCompare = new QPushButton("Compare", this);
    CmdCompare->setObjectName("CmdCompare");
    Grid7 = new Grid(this);
    Grid7->setObjectName("Grid");
    Grid7->SetCols(7);
    Grid7->SetFixedCols(1);

    auto* figures = new QVBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{SSPanel1, LblSize, SSPanel2, LblRemain, LblMessage, CmdCompare})
        figures->addWidget(w);
    figures->addStretch();
    auto* layout = new QGridLayout(this);
    layout->addWidget(GridSet, 0, 0);
    layout->addLayout(figures, 0, 1);
    layout->addWidget(Grid7, 1, 0, 1, 2);
    layout->setRowStretch(0, 3);
    layout->setRowStretch(1, 1);

    connect(GridSet, &Grid::clicked, this, &MemoryWindow::GridSet_Click);
}

void MemoryWindow::Load() {
    if (auto* panel = Forms::FindAs<FormWindow>(WindowNames::Panel)) MovePx(panel->LeftPx() + panel->WidthPx(), panel->TopPx());
    GridSet->SetRow(0);
    int col = 0;
    int width = 0;
    for (const Column& column : SetColumns) {
        GridSet->SetCol(col);
        GridSet->SetColWidth(col, GridSet->TextWidth(column.widthSample));
        GridSet->SetText(column.title);
        width += GridSet->ColWidth(col++);
    }
    GridSet->setMinimumWidth(width + 2 * GridSet->frameWidth() + 20);
    SetClientSizeTwips(5160, 4515);
}

void MemoryWindow::ShowRemained(long usedBytes) { LblRemain->setText(QString::fromStdString(Logger::RemainedText(usedBytes))); }

void MemoryWindow::ShowProgress(const QString& text) { LblMessage->setText(text); }

void MemoryWindow::ShowSets(const std::vector<Logger::DataSet>& sets) {
    for (const Logger::DataSet& set : sets) {
        QString records = QString::number(set.records);
        if (set.incomplete) {
            records += QStringLiteral(" (incomplete)");
            // The mark is read whole, not cut to the width of " Records ".
            const int wider = GridSet->TextWidth(" " + records + " ") - GridSet->ColWidth(2);
            if (wider > 0) {
                GridSet->SetColWidth(2, GridSet->ColWidth(2) + wider);
                GridSet->setMinimumWidth(GridSet->minimumWidth() + wider);
            }
        }
        GridSet->AddItem(QStringLiteral("%1\t%2\t%3").arg(set.number).arg(set.sampling).arg(records));
    }
}

void MemoryWindow::GridSet_Click() {
    const int row = GridSet->Row();
    if (row < 1) return;
    if (openSet_) openSet_(GridSet->TextMatrix(row, 0).toInt());
}
