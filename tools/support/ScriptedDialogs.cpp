#include "ScriptedDialogs.h"

#include <QPrinter>
#include <algorithm>
#include <utility>

namespace {
// The next scripted answer; Cancel when the test scripted none.
std::optional<QString> TakeAnswer(std::deque<std::optional<QString>>& queue) {
    std::optional<QString> answer;
    if (!queue.empty()) {
        answer = queue.front();
        queue.pop_front();
    }
    return answer;
}

DialogCall Answered(DialogCall::Kind kind, const std::optional<QString>& answer) {
    DialogCall call;
    call.kind = kind;
    call.cancelled = !answer;
    call.answer = answer.value_or(QString());
    return call;
}
}  // namespace

void ScriptedDialogs::Record(DialogCall call) {
    calls_.push_back(std::move(call));
    if (onCall_) {
        // The hook may show further dialogs, which would move the vector; hand it a copy.
        const DialogCall snapshot = calls_.back();
        onCall_(snapshot);
    }
}

void ScriptedDialogs::Message(const QString& text) {
    DialogCall call;
    call.kind = DialogCall::Kind::Message;
    call.text = text;
    call.title = QStringLiteral("TQ36");
    Record(std::move(call));
}

bool ScriptedDialogs::Question(const QString& text, const QString& title) {
    const bool yes = !answers_.empty() && answers_.front();
    if (!answers_.empty()) answers_.pop_front();
    DialogCall call;
    call.kind = DialogCall::Kind::Question;
    call.text = text;
    call.title = title;
    call.answer = yes ? QStringLiteral("Yes") : QStringLiteral("No");
    Record(std::move(call));
    return yes;
}

QString ScriptedDialogs::InputBox(const QString& prompt, const QString& title, const QString& defaultText) {
    const std::optional<QString> answer = TakeAnswer(inputs_);
    DialogCall call = Answered(DialogCall::Kind::Input, answer);
    call.text = prompt;
    call.title = title;
    call.defaultText = defaultText;
    Record(std::move(call));
    return answer.value_or(QString());
}

std::optional<QString> ScriptedDialogs::SaveFile(const QString& folder, const QString& suggestedName,
                                                 const QString& filter) {
    const std::optional<QString> answer = TakeAnswer(files_);
    DialogCall call = Answered(DialogCall::Kind::SaveFile, answer);
    call.text = folder;
    call.defaultText = suggestedName;
    call.filter = filter;
    Record(std::move(call));
    return answer;
}

std::optional<QString> ScriptedDialogs::OpenFile(const QString& folder, const QString& filter) {
    const std::optional<QString> answer = TakeAnswer(files_);
    DialogCall call = Answered(DialogCall::Kind::OpenFile, answer);
    call.text = folder;
    call.filter = filter;
    Record(std::move(call));
    return answer;
}

bool ScriptedDialogs::PrintDialog(QPrinter& printer) {
    PrintAnswer answer;
    if (!prints_.empty()) {
        answer = prints_.front();
        prints_.pop_front();
    }
    DialogCall call;
    call.kind = DialogCall::Kind::Print;
    call.cancelled = answer.pdfPath.isEmpty();
    call.answer = answer.pdfPath;
    Record(std::move(call));
    if (answer.pdfPath.isEmpty()) return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(answer.pdfPath);
    printer.setCopyCount(answer.copies);
    printer.setPageOrientation(answer.orientation);
    return true;
}

void ScriptedDialogs::QueueAnswer(bool yes) { answers_.push_back(yes); }
void ScriptedDialogs::QueueInput(const QString& text) { inputs_.push_back(text); }
void ScriptedDialogs::QueueInputCancel() { inputs_.push_back(std::nullopt); }
void ScriptedDialogs::QueueFile(const QString& path) { files_.push_back(path); }
void ScriptedDialogs::QueueFileCancel() { files_.push_back(std::nullopt); }

void ScriptedDialogs::QueuePrintToPdf(const QString& pdfPath, int copies,
                                      QPageLayout::Orientation orientation) {
    prints_.push_back({pdfPath, copies, orientation});
}

void ScriptedDialogs::QueuePrintCancel() { prints_.push_back({}); }

void ScriptedDialogs::SetOnCall(std::function<void(const DialogCall&)> onCall) { onCall_ = std::move(onCall); }

std::vector<QString> ScriptedDialogs::Messages() const {
    std::vector<QString> texts;
    for (const DialogCall& call : calls_) {
        if (call.kind == DialogCall::Kind::Message) texts.push_back(call.text);
    }
    return texts;
}

size_t ScriptedDialogs::Count(DialogCall::Kind kind) const {
    return static_cast<size_t>(
        std::count_if(calls_.begin(), calls_.end(), [kind](const DialogCall& call) { return call.kind == kind; }));
}
