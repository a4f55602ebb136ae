#include "ui/QtDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace {

const QString AppTitle = QStringLiteral("TQ36");

// No window owns a dialog: the window in front may be one that a timer closes while the dialog
// is open, which would destroy the dialog under itself. Without an owner a dialog is modal for
// the whole application.
QWidget* Owner() { return nullptr; }

std::optional<QString> RunFileDialog(QFileDialog& dialog) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.front().isEmpty()) return std::nullopt;
    return files.front();
}

}  // namespace

void QtDialogs::Message(const QString& text) {
    QMessageBox box(QMessageBox::Critical, AppTitle, text, QMessageBox::Ok, Owner());
    box.exec();
}

bool QtDialogs::Question(const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::Warning, title.isEmpty() ? AppTitle : title, text,
                    QMessageBox::Yes | QMessageBox::No, Owner());
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString QtDialogs::InputBox(const QString& prompt, const QString& title, const QString& defaultText) {
    QInputDialog dialog(Owner());
    dialog.setWindowTitle(title.isEmpty() ? AppTitle : title);
    // Prompts carry CR LF line breaks; a label breaks at LF alone.
    QString label = prompt;
    label.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    dialog.setLabelText(label);
    dialog.setTextValue(defaultText);
    if (dialog.exec() != QDialog::Accepted) return QString();
    return dialog.textValue();
}

std::optional<QString> QtDialogs::SaveFile(const QString& folder, const QString& suggestedName,
                                           const QString& filter) {
    QFileDialog dialog(Owner(), QString(), folder, QtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // Whether to replace a file is asked by the caller, for the name the file will really have.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!suggestedName.isEmpty()) dialog.selectFile(suggestedName);
    return RunFileDialog(dialog);
}

std::optional<QString> QtDialogs::OpenFile(const QString& folder, const QString& filter) {
    QFileDialog dialog(Owner(), QString(), folder, QtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return RunFileDialog(dialog);
}

bool QtDialogs::PrintDialog(QPrinter& printer) {
    QPrintDialog dialog(&printer, Owner());
    return dialog.exec() == QDialog::Accepted;
}
