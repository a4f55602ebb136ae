#pragma once

#include <QString>
#include <optional>

class QPrinter;

// Every modal interaction of the program goes through this interface, so tests can install a
// scripted stand-in and no test ever waits for a person. The real dialogs are application-modal
// windows of their own: a window that a timer may close while one is open never owns it, and the
// caller checks that its window is still there once the dialog returns.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A message box with the critical-stop icon, one OK button and the title "TQ36".
    virtual void Message(const QString& text) = 0;
    // A warning with Yes and No buttons (No is the default); true for Yes.
    virtual bool Question(const QString& text, const QString& title) = 0;
    // The classic input box: the typed text, or "" on Cancel.
    virtual QString InputBox(const QString& prompt, const QString& title, const QString& defaultText) = 0;
    // A Save dialog opened in `folder` with `suggestedName` in its name box; nullopt on Cancel. It
    // does not ask before replacing a file: the caller does, for the name the file will have.
    virtual std::optional<QString> SaveFile(const QString& folder, const QString& suggestedName,
                                            const QString& filter) = 0;
    virtual std::optional<QString> OpenFile(const QString& folder, const QString& filter) = 0;
    // Lets the user choose printer, copies and orientation, which end up in `printer`;
    // false on Cancel.
    virtual bool PrintDialog(QPrinter& printer) = 0;

    static Dialogs& Current();
    // Does not take ownership; nullptr goes back to the real dialogs.
    static void Install(Dialogs* dialogs);

    // Accepts both the classic filter form "All Files (*.*)|*.*|" and Qt's own
    // "Text (*.txt);;All (*)"; returns Qt's form.
    static QString QtFilter(const QString& filter);
};
