#include "windows/graphs/FieldKeys.h"

#include <QKeyEvent>
#include <QLineEdit>

QLineEdit* MakeField(QWidget* parent, const char* name) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setAccessibleName(name);
    return field;
}

void FieldKeys::Add(QLineEdit* field, const QString& accepted) {
    const std::size_t i = fields_.size();
    fields_.push_back({field, accepted, field->text()});
    field->installEventFilter(this);
    // Paste (keys, context menu, middle button) and drops reach the text without a key press of
    // their own; the user's edits are filtered when they land. Texts the dialog sets are kept.
    connect(field, &QLineEdit::textEdited, this,
            [this, i](const QString& after) { FilterEdit(fields_[i], after); });
    connect(field, &QLineEdit::textChanged, this, [this, i] { fields_[i].before = fields_[i].edit->text(); });
}

// An edit leaves the cursor behind what it inserted (a paste replacing a selection too); what it
// inserted starts where the text first differs from before. Only that part is filtered.
void FieldKeys::FilterEdit(Field& field, const QString& after) {
    const qsizetype cursor = field.edit->cursorPosition();
    qsizetype front = 0;
    while (front < cursor && front < field.before.size() && field.before[front] == after[front]) ++front;
    QString kept;
    for (QChar c : after.mid(front, cursor - front)) {
        if (field.accepted.contains(c)) kept += c;
    }
    if (kept.size() == cursor - front) return;
    field.edit->setText(after.left(front) + kept + after.mid(cursor));
    field.edit->setCursorPosition(static_cast<int>(front + kept.size()));
}

bool FieldKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (fields_[i].edit != watched) continue;
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (i + 1 < fields_.size()) {
                fields_[i + 1].edit->setFocus();
            } else if (ok_) {
                ok_();
            }
            return true;
        }
        if (key->key() == Qt::Key_Backspace) return false;
        const QString text = key->text();
        const bool editingKey = text.isEmpty() || !text.at(0).isPrint();
        return !editingKey && !(text.size() == 1 && fields_[i].accepted.contains(text));
    }
    return false;
}
