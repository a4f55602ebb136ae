#pragma once

#include <QPageLayout>
#include <QString>
#include <deque>
#include <functional>
#include <vector>

#include "ui/Dialogs.h"

// One dialog that the program showed, as a test sees it.
struct DialogCall {
    enum class Kind { Message, Question, Input, SaveFile, OpenFile, Print };
    Kind kind = Kind::Message;
    QString text;         // message or question text, input prompt, or the folder of a file dialog
    QString title;        // window title ("TQ36" for messages)
    QString defaultText;  // input default, or the suggested file name of a Save dialog
    QString filter;       // file dialogs: the filter as the program passed it
    bool cancelled = false;  // answered with Cancel (also when nothing was scripted)
    QString answer;          // typed text, chosen path, the PDF path of a print, "Yes" or "No"
};

// The test double: records every call and answers from queues the test fills. A prompt with
// no scripted answer is answered with Cancel, so nothing ever blocks.
class ScriptedDialogs : public Dialogs {
public:
    void Message(const QString& text) override;
    bool Question(const QString& text, const QString& title) override;
    QString InputBox(const QString& prompt, const QString& title, const QString& defaultText) override;
    std::optional<QString> SaveFile(const QString& folder, const QString& suggestedName,
                                    const QString& filter) override;
    std::optional<QString> OpenFile(const QString& folder, const QString& filter) override;
    bool PrintDialog(QPrinter& printer) override;

    // Answers, used in order; Save and Open dialogs share the file queue.
    // A question with no scripted answer is answered No.
    void QueueAnswer(bool yes);
    void QueueInput(const QString& text);
    void QueueInputCancel();
    void QueueFile(const QString& path);
    void QueueFileCancel();
    // The next print dialog is confirmed and sends the document to a PDF file at `pdfPath`.
    void QueuePrintToPdf(const QString& pdfPath, int copies = 1,
                         QPageLayout::Orientation orientation = QPageLayout::Portrait);
    void QueuePrintCancel();

    // Runs while a dialog is "open", before it is answered (to look at the program's state then).
    void SetOnCall(std::function<void(const DialogCall&)> onCall);

    const std::vector<DialogCall>& Calls() const { return calls_; }
    // The texts of the message boxes shown so far, in order.
    std::vector<QString> Messages() const;
    size_t Count(DialogCall::Kind kind) const;
    void ClearCalls() { calls_.clear(); }

private:
    struct PrintAnswer {
        QString pdfPath;  // empty: Cancel
        int copies = 1;
        QPageLayout::Orientation orientation = QPageLayout::Portrait;
    };

    void Record(DialogCall call);

    std::vector<DialogCall> calls_;
    std::deque<bool> answers_;
    std::deque<std::optional<QString>> inputs_;
    std::deque<std::optional<QString>> files_;
    std::deque<PrintAnswer> prints_;
    std::function<void(const DialogCall&)> onCall_;
};
