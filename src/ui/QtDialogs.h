#pragma once

#include "ui/Dialogs.h"

// The real dialogs: Qt's message box, input dialog, file dialog (Qt's own, so it looks and
// behaves the same on every desktop) and the print dialog.
class QtDialogs : public Dialogs {
public:
    void Message(const QString& text) override;
    bool Question(const QString& text, const QString& title) override;
    QString InputBox(const QString& prompt, const QString& title, const QString& defaultText) override;
    std::optional<QString> SaveFile(const QString& folder, const QString& suggestedName,
                                    const QString& filter) override;
    std::optional<QString> OpenFile(const QString& folder, const QString& filter) override;
    bool PrintDialog(QPrinter& printer) override;
};
