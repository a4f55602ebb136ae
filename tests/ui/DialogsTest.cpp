#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrinter>
#include <QTimer>
#include <functional>

#include "ScriptedDialogs.h"
#include "ui/Dialogs.h"
#include "ui/QtDialogs.h"

namespace {

using Kind = DialogCall::Kind;

TEST(ScriptedDialogs, RecordsMessagesAndAnswersInputsInOrder) {
    ScriptedDialogs dialogs;
    dialogs.Message("No Data in Memory");
    dialogs.QueueInput("5");
    dialogs.QueueInputCancel();
    EXPECT_EQ(dialogs.InputBox("Enter the SAMPLING TIME", "Input Sampling Time", "2"), "5");
    EXPECT_EQ(dialogs.InputBox("again", "Input Sampling Time", "5"), "");
    EXPECT_EQ(dialogs.InputBox("unscripted", "t", "d"), "") << "nothing scripted answers Cancel";

    ASSERT_EQ(dialogs.Calls().size(), 4u);
    EXPECT_EQ(dialogs.Calls()[0].kind, Kind::Message);
    EXPECT_EQ(dialogs.Calls()[0].title, "TQ36");
    EXPECT_EQ(dialogs.Messages(), std::vector<QString>{"No Data in Memory"});
    const DialogCall& first = dialogs.Calls()[1];
    EXPECT_EQ(first.text, "Enter the SAMPLING TIME");
    EXPECT_EQ(first.title, "Input Sampling Time");
    EXPECT_EQ(first.defaultText, "2");
    EXPECT_FALSE(first.cancelled);
    EXPECT_TRUE(dialogs.Calls()[2].cancelled);
    EXPECT_TRUE(dialogs.Calls()[3].cancelled);
    EXPECT_EQ(dialogs.Count(Kind::Input), 3u);
}

TEST(ScriptedDialogs, FileDialogsShareOneQueue) {
    ScriptedDialogs dialogs;
    dialogs.QueueFile("/tmp/a.txt");
    dialogs.QueueFileCancel();
    dialogs.QueueFile("/tmp/b.txt");
    EXPECT_EQ(dialogs.SaveFile("/docs/TQ36", ".txt", "All Files (*.*)|*.*|"), "/tmp/a.txt");
    EXPECT_EQ(dialogs.OpenFile("/docs/TQ36", "All Files (*.*)|*.*|"), std::nullopt);
    EXPECT_EQ(dialogs.OpenFile("/docs/TQ36", ""), "/tmp/b.txt");
    EXPECT_EQ(dialogs.SaveFile("/docs", ".txt", ""), std::nullopt);

    const DialogCall& save = dialogs.Calls()[0];
    EXPECT_EQ(save.kind, Kind::SaveFile);
    EXPECT_EQ(save.text, "/docs/TQ36");
    EXPECT_EQ(save.defaultText, ".txt");
    EXPECT_EQ(save.filter, "All Files (*.*)|*.*|");
    EXPECT_TRUE(dialogs.Calls()[1].cancelled);
    EXPECT_TRUE(dialogs.Calls()[3].cancelled);
}

TEST(ScriptedDialogs, PrintAnswerSendsThePrinterToPdf) {
    ScriptedDialogs dialogs;
    dialogs.QueuePrintToPdf("/tmp/out.pdf", 2, QPageLayout::Landscape);
    QPrinter printer;
    ASSERT_TRUE(dialogs.PrintDialog(printer));
    EXPECT_EQ(printer.outputFormat(), QPrinter::PdfFormat);
    EXPECT_EQ(printer.outputFileName(), "/tmp/out.pdf");
    EXPECT_EQ(printer.copyCount(), 2);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);

    dialogs.QueuePrintCancel();
    QPrinter other;
    EXPECT_FALSE(dialogs.PrintDialog(other));
    EXPECT_FALSE(dialogs.PrintDialog(other)) << "nothing scripted answers Cancel";
    EXPECT_EQ(dialogs.Count(Kind::Print), 3u);
}

TEST(ScriptedDialogs, HookSeesEachDialogWhileItIsOpen) {
    ScriptedDialogs dialogs;
    int state = 0;
    std::vector<int> seen;
    dialogs.SetOnCall([&](const DialogCall& call) {
        seen.push_back(state);
        if (call.kind == Kind::Message) dialogs.QueueInput("from hook");
    });
    state = 7;
    dialogs.Message("x");
    EXPECT_EQ(dialogs.InputBox("p", "t", ""), "from hook");
    EXPECT_EQ(seen, (std::vector<int>{7, 7}));
}

TEST(Dialogs, InstallSwapsTheCurrentDialogs) {
    ScriptedDialogs scripted;
    Dialogs::Install(&scripted);
    Dialogs::Current().Message("hello");
    EXPECT_EQ(scripted.Messages().size(), 1u);
    Dialogs::Install(nullptr);
    EXPECT_NE(dynamic_cast<QtDialogs*>(&Dialogs::Current()), nullptr);
}

TEST(Dialogs, FiltersInClassicFormBecomeQtFilters) {
    const std::pair<QString, QString> cases[] = {
        {"All Files (*.*)|*.*|", "All Files (*)"},
        {"Text (*.txt)|*.txt|All Files|*.*", "Text (*.txt);;All Files (*)"},
        {"Logs|*.txt;*.log", "Logs (*.txt *.log)"},
        {"Text files (*.txt);;All (*)", "Text files (*.txt);;All (*)"},
        {"", ""},
    };
    for (const auto& [classic, qt] : cases) EXPECT_EQ(Dialogs::QtFilter(classic), qt) << classic.toStdString();
}

// Closes an unexpected dialog so that a failing test cannot hang.
void Dismiss(QWidget* modal) {
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        dialog->reject();
    } else {
        modal->close();
    }
}

// The real dialogs are driven by a timer that finds the open modal dialog and answers it.
void AnswerModal(std::function<void(QWidget*)> answer) {
    auto* poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            answer(modal);
        }
    });
    poll->start();
}

TEST(QtDialogs, MessageIsCriticalWithOneOkButtonAndTheProgramTitle) {
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    AnswerModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) return Dismiss(modal);
        title = box->windowTitle();
        icon = box->icon();
        buttons = static_cast<int>(box->buttons().size());
        box->button(QMessageBox::Ok)->click();
    });
    QtDialogs().Message("No device found, try again!");
    EXPECT_EQ(title, "TQ36");
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_EQ(buttons, 1);
}

TEST(QtDialogs, InputBoxReturnsTextOrEmptyOnCancel) {
    QString label;
    AnswerModal([&](QWidget* modal) {
        auto* input = qobject_cast<QInputDialog*>(modal);
        if (!input) return Dismiss(modal);
        label = input->labelText();
        input->setTextValue("12");
        input->accept();
    });
    EXPECT_EQ(QtDialogs().InputBox("Enter\r\n(1 <= t <= 86400 ) ", "Input", "2"), "12");
    EXPECT_EQ(label, "Enter\n(1 <= t <= 86400 ) ");

    AnswerModal([](QWidget* modal) { Dismiss(modal); });
    EXPECT_EQ(QtDialogs().InputBox("p", "t", "typed"), "");
}

TEST(QtDialogs, CancelledFileDialogGivesNothing) {
    AnswerModal([](QWidget* modal) {
        if (!qobject_cast<QFileDialog*>(modal)) ADD_FAILURE() << "not a file dialog";
        Dismiss(modal);
    });
    EXPECT_EQ(QtDialogs().SaveFile(QDir::tempPath(), ".txt", "All Files (*.*)|*.*|"), std::nullopt);
}

}  // namespace
