#include "windows/panel/Panel.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QShortcut>
#include <QTime>
#include <filesystem>
#include <functional>

#include "records/RecordFormat.h"
#include "ui/Clock.h"
#include "ui/Desktop.h"
#include "ui/Dialogs.h"
#include "ui/Fonts.h"
#include "ui/Forms.h"
#include "ui/Icons.h"
#include "ui/Toolbar.h"
#include "ui/Twips.h"
#include "windows/WindowNames.h"

namespace {

const char* const HelpNames[6] = {"TQ36-SW-HELP-BPT_V2.1", "TQ36-SW-HELP-DE_V2.1", "TQ36-SW-HELP-EN_V2.1",
                                   "TQ36-SW-HELP-ES_V2.1", "TQ36-SW-HELP-FR_V2.1", "TQ36-SW-HELP-IT_V2.1"};

// The reading area framed by Shape1, in twips.
constexpr int AreaLeft = 120, AreaTop = 840, AreaWidth = 4935, AreaHeight = 3015;

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, double points, QPoint placeTwips) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFont(Fonts::Get("Times New Roman", points, true));
    label->move(Twips::Point(placeTwips.x(), placeTwips.y()));
    label->adjustSize();
    return label;
}

QString Text(const Reading& reading) { return QString::fromStdString(reading.Text()); }

// The manuals lie in "help" beside the program in the build folder, and in share/tq36/help of an
// installed tree (the program in bin/).
QString HelpFolder() {
    const QDir program(QCoreApplication::applicationDirPath());
    if (program.exists("help")) return program.filePath("help");
    return QDir::cleanPath(program.filePath("../share/tq36/help"));
}

}  // namespace

Panel::Panel(MeterLink& link, Commands commands, QWidget* parent)
    : FormWindow(WindowNames::Panel, parent), link_(link), commands_(std::move(commands)) {
    SetCaption(Title);
    SetClientSizeTwips(5160, 4515);

    BuildToolbar();
    LblName = MakeLabel(this, "LblName", "", 12, {120, 480});
    LblName->setGeometry(Twips::Rect(120, 480, 4935, 375));
    Shape1 = new QFrame(this);
    Shape1->setObjectName("Shape1");
    Shape1->setFrameShape(QFrame::Box);
    Shape1->setGeometry(Twips::Rect(AreaLeft, AreaTop, AreaWidth, AreaHeight));
    UnitT1 = MakeLabel(this, "UnitT1", "T1", 18, {1200, 1080});
    UnitT2 = MakeLabel(this, "UnitT2", "T2", 18, {3600, 1080});
    LblT1 = MakeLabel(this, "LblT1", "", 36, {240, 1440});
    LblT2 = MakeLabel(this, "LblT2", "", 36, {4755, 1440});
    LblT2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    UnitT1T2 = MakeLabel(this, "UnitT1T2", "T1-T2", 18, {2040, 2280});
    LblT1T2 = MakeLabel(this, "LblT1T2", "", 48, {2445, 2760});
    TypeMark = MakeLabel(this, "TypeMark", "TYPE", 12, {240, 3600});
    LblType = MakeLabel(this, "LblType", "", 18, {495, 3240});

    ImgC = new QLabel(this);
    ImgC->setObjectName("ImgC");
    ImgC->setGeometry(Twips::Rect(4320, 3240, 480, 480));
    ImgF = new QLabel(this);
    ImgF->setObjectName("ImgF");
    ImgF->setGeometry(Twips::Rect(4320, 3240, 480, 480));
    ImgK = new QLabel(this);
    ImgK->setObjectName("ImgK");
    ImgK->setGeometry(Twips::Rect(4080, 3050, 915, 765));
    ImgC->setAccessibleName("degrees Celsius");
    ImgF->setAccessibleName("degrees Fahrenheit");
    ImgK->setAccessibleName("kelvin");
    RefreshUnitPictures();
    for (QLabel* img : {ImgC, ImgF, ImgK}) img->hide();

    LblCOM = MakeLabel(this, "LblCOM", "", 24, {3315, 3960});
    SetPortText("No Com");
    LblCOM->installEventFilter(this);
    LblCOM->setCursor(Qt::PointingHandCursor);
    LblRec = MakeLabel(this, "LblRec", "", 9, {720, 4320});
    LblRec->setGeometry(Twips::Rect(720, 4320, 975, 195));
    LblRec->setStyleSheet("color: #c00000");
    LblCount = MakeLabel(this, "LblCount", "", 9, {1755, 4320});
    LblCount->setGeometry(Twips::Rect(1755, 4320, 1440, 195));
    LblFileName = MakeLabel(this, "LblFileName", "", 9, {975, 3960});
    LblFileName->setGeometry(Twips::Rect(975, 3960, 2280, 195));
    for (QLabel* small : {LblRec, LblCount, LblFileName}) small->setFont(Fonts::Get("MS Sans Serif", 8, true));
    LblRec->hide();
    ShowTimesText = new QLineEdit(this);
    ShowTimesText->setObjectName("ShowTimesText");
    ShowTimesText->move(Twips::Point(5400, 0));  // kept outside the visible client area
    ShowTimesText->hide();

    BuildHelpPanel();
    BuildKeys();

    connect(&link_, &MeterLink::PortSeen, this, [this](int number) { SetPortText(QString("COM  %1").arg(number)); });
    connect(&link_, &MeterLink::ReadingShown, this, [this] {
        ShowReading();
        LblType->setText(QString::fromStdString(link_.Reading().ThermocoupleType));
        LblType->adjustSize();
    });
    connect(&link_, &MeterLink::NoCom, this, [this] { SetPortText("No COM"); });
    connect(&link_, &MeterLink::SampleTaken, this, &Panel::SampleTaken);
    connect(&link_, &MeterLink::RecordingChanged, this, &Panel::RecordingChanged);

    // Nothing is said about the meter until its first good frame says what it is.
    for (QLabel* heading : {UnitT1, UnitT2, UnitT1T2}) heading->hide();
}

Panel::~Panel() = default;

void Panel::BuildToolbar() {
    Toolbar1 = new Toolbar(this);
    Toolbar1->setObjectName("Toolbar1");
    Toolbar1->setGeometry(0, 0, Twips::ToPxX(5160), Twips::ToPxY(420));
    const struct {
        const char* key;
        const char* tooltip;
    } buttons[] = {{"Save", "Save As"},      {"Open", "Open File"},     {"List", "List Display"},
                   {"Graph", "Graphic Display"}, {"AVG", "Max/Min/AVG"}, {"PC", "PC Sampling"},
                   {"Memory", "Datalogger"}, {"Stop", "Stop Recording"}, {"Save1", "Save As"},
                   {"help", "Help"}};
    for (const auto& b : buttons) Toolbar1->AddButton(b.key, b.tooltip, Icons::Get(b.key));
    // Button 1 starts with the idle picture that button 9 holds.
    Toolbar1->SetButtonIcon("Save", Toolbar1->ButtonIcon("Save1"));
    Toolbar1->SetButtonVisible("Stop", false);
    Toolbar1->SetButtonVisible("Save1", false);
    connect(Toolbar1, &Toolbar::ButtonClick, this, &Panel::Toolbar1_ButtonClick);
}

void Panel::BuildHelpPanel() {
    SSPhelp = new QFrame(this);
    SSPhelp->setObjectName("SSPhelp");
    SSPhelp->setFrameShape(QFrame::Panel);
    SSPhelp->setFrameShadow(QFrame::Raised);
    SSPhelp->setAutoFillBackground(true);
    SSPhelp->setFont(Fonts::Get("Lucida Console", 9, false));
    SSPhelp->setGeometry(Twips::Rect(120, 840, 3375, 2295));
    for (int i = 0; i < 6; ++i) {
        auto* option = new QRadioButton(HelpNames[i], SSPhelp);
        option->setObjectName(QString("Option1_%1").arg(i));
        option->setGeometry(Twips::Rect(120, 120 + 360 * i, 2415, 255));
        option->setAutoExclusive(false);
        connect(option, &QRadioButton::clicked, this, [this, i] { Option1_Click(i); });
        Option1[i] = option;
    }
    SSPhelp->hide();
}

// Keys for the commands reached for most. Each does just what its button, or the window's close
// box, does: the same guards hold.
void Panel::BuildKeys() {
    const auto key = [this](const QKeySequence& sequence, const std::function<void()>& action) {
        connect(new QShortcut(sequence, this), &QShortcut::activated, this, action);
    };
    key(QKeySequence(Qt::Key_F1), [this] { SSPhelp->show(); });
    key(QKeySequence(Qt::CTRL | Qt::Key_O), [this] { Toolbar1->Trigger("Open"); });
    key(QKeySequence(Qt::CTRL | Qt::Key_S), [this] { Toolbar1->Trigger("Save"); });
    key(QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { close(); });
}

void Panel::Load() {
    CentreOnScreen();
    if (!link_.Started()) {
        Dialogs::Current().Message("No device found, try again!");
        UnloadForm();
        return;
    }
    SetPortText(QString("COM  %1").arg(link_.Port()));
    RefreshUnitPictures();
}

void Panel::Unload() {
    link_.Stop();
    // The main window ends the program, and with it every other window.
    QCoreApplication::quit();
}

// What one PC sample did: the record it wrote. (The real-time list takes its row itself.)
void Panel::SampleTaken(const MeterLink::Sample& sample) {
    ShowTimesText->setText(QString::fromStdString(sample.time));
    switch (sample.recording) {
        case PcRecording::Result::Written:
            LblCount->setText(QString::number(sample.recordCount));
            LblRec->setText("Rec");
            break;
        case PcRecording::Result::NotRecording:
            LblFileName->clear();
            LblCount->clear();
            LblRec->clear();
            break;
        default:
            break;  // a stop is told as the recording's change
    }
}

namespace {

QString StopReason(const MeterLink::RecordingReport& report) {
    using Event = MeterLink::RecordingReport::Event;
    switch (report.event) {
        case Event::StoppedLimit:
            return "it holds as many records as a recording may";
        case Event::StoppedChannelMode:
            return "the meter changed between one and two channels";
        case Event::StoppedLostLink:
            return "the meter stopped answering";
        case Event::WriteFailed:
            return QString("the file could not be written (%1)").arg(QString::fromStdString(report.error));
        default:
            return {};
    }
}

}  // namespace

void Panel::RecordingChanged(const MeterLink::RecordingReport& report) {
    using Event = MeterLink::RecordingReport::Event;
    const QString path = QString::fromStdString(report.path);
    switch (report.event) {
        case Event::Started:
            LblFileName->setText(QString::fromStdString(
                RecordFormat::WithTxtExtension(std::filesystem::path(report.path).filename().string())));
            Toolbar1->SetButtonIcon("Save", Toolbar1->ButtonIcon("Stop"));
            Toolbar1->SetButtonTooltip("Save", "Stop Recording");
            LblRec->show();
            return;
        case Event::NotCreated:
            Dialogs::Current().Message(
                QString("%1 could not be created (%2).").arg(path, QString::fromStdString(report.error)));
            return;
        case Event::StoppedByUser:
            link_.SavePathUsed();
            ShowRecordingStopped(false);
            if (!report.error.empty())
                Dialogs::Current().Message(QString("%1 could not be written completely (%2).")
                                               .arg(path, QString::fromStdString(report.error)));
            return;
        case Event::StoppedLimit:
        case Event::StoppedChannelMode:
            ShowRecordingStopped(true);
            break;
        case Event::StoppedLostLink:
        case Event::WriteFailed:
            link_.SavePathUsed();
            ShowRecordingStopped(false);
            break;
    }
    // The user may be away for hours: the message stays until read, and holds nothing meanwhile.
    Dialogs::Current().Message(QString("Recording stopped at %1: %2.\r\n%3 keeps %4 records.")
                                   .arg(QString::fromStdString(report.time), StopReason(report), path)
                                   .arg(report.records));
}

// Button 1 back to its idle picture; the file name stays only after a limit or channel stop.
void Panel::ShowRecordingStopped(bool keepFileName) {
    Toolbar1->SetButtonIcon("Save", Toolbar1->ButtonIcon("Save1"));
    Toolbar1->SetButtonTooltip("Save", "Save As");
    if (keepFileName) {
        LblRec->clear();
    } else {
        LblRec->hide();
        LblFileName->clear();
    }
    LblCount->clear();
}

void Panel::ShowReading() {
    const CurrentReading& r = link_.Reading();
    ImgC->setVisible(r.UnitIsC);
    ImgF->setVisible(r.UnitIsF);
    ImgK->setVisible(r.UnitIsK);
    ShowChannelLayout(r.DualChannel);
    LblT1->setText(Text(r.T1Value));
    LblT2->setText(r.DualChannel ? Text(r.T2Value) : QString());
    LblT1T2->setText(r.DualChannel ? Text(r.T1T2Value) : QString());
    PlaceFigures();
}

void Panel::ShowChannelLayout(bool dual) {
    LblName->setText(dual ? "Dual DATALOGGER THERMOMETER" : "DATALOGGER THERMOMETER");
    UnitT1->setVisible(dual);
    UnitT2->setVisible(dual);
    UnitT1T2->setVisible(dual);
    LblT1->setFont(Fonts::Get("Times New Roman", dual ? 36 : 72, true));
    LblT1->setAlignment(dual ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
    LblT2->setVisible(dual);
    LblT1T2->setVisible(dual);
}

// Two channels: T1 from the left, T2 against the right edge and the difference centred below,
// each as wide as its text. One channel: T1 alone, large and centred across the area.
void Panel::PlaceFigures() {
    if (!link_.Reading().DualChannel) {
        LblT1->setGeometry(Twips::Rect(120, 1440, 5000, 2000));
        return;
    }
    LblT1->adjustSize();
    LblT1->move(Twips::Point(240, 1440));
    LblT2->adjustSize();
    const int areaRight = Twips::ToPxX(AreaLeft + AreaWidth - 120);
    LblT2->move(areaRight - LblT2->width(), Twips::ToPxY(1440));
    LblT1T2->adjustSize();
    const int areaCentre = Twips::ToPxX(AreaLeft + AreaWidth / 2);
    LblT1T2->move(areaCentre - LblT1T2->width() / 2, Twips::ToPxY(2760));
}

// The port caption keeps its right edge, so "No COM" in the large font is never cut off.
void Panel::SetPortText(const QString& text) {
    if (LblCOM->text() == text) return;
    LblCOM->setText(text);
    LblCOM->adjustSize();
    LblCOM->move(Twips::ToPxX(3315 + 1695) - LblCOM->width(), Twips::ToPxY(3960));
}

void Panel::RefreshUnitPictures() {
    const qreal ratio = devicePixelRatioF();
    ImgC->setPixmap(Icons::Unit('C', ImgC->size(), ratio));
    ImgF->setPixmap(Icons::Unit('F', ImgF->size(), ratio));
    ImgK->setPixmap(Icons::Unit('K', ImgK->size(), ratio));
}

bool Panel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == LblCOM && event->type() == QEvent::MouseButtonRelease) {
        LblCOM_Click();
        return true;
    }
    return FormWindow::eventFilter(watched, event);
}

void Panel::LblCOM_Click() {
    if (Caption().contains(BuildStamp)) {
        SetCaption(Title);
    } else {
        SetCaption(QString(Title) + "   " + BuildStamp);
    }
}

void Panel::Option1_Click(int index) {
    SSPhelp->hide();
    const QString path = HelpFolder() + "/" + HelpNames[index] + ".pdf";
    const bool opened = Desktop::OpenDocument(path);
    Option1[index]->setChecked(false);
    // Without a PDF viewer nothing would show; the user can still open the file by hand.
    if (!opened)
        Dialogs::Current().Message("The manual could not be opened. Open it with a PDF viewer:\r\n" +
                                   QDir::toNativeSeparators(path));
}
