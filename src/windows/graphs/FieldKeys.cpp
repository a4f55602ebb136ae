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
    fields_.emplace_back(field, accepted);
    field->installEventFilter(this);
}

bool FieldKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (fields_[i].first != watched) continue;
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (i + 1 < fields_.size()) {
                fields_[i + 1].first->setFocus();
            } else if (ok_) {
                ok_();
            }
            return true;
        }
        if (key->key() == Qt::Key_Backspace) return false;
        const QString text = key->text();
        const bool editingKey = text.isEmpty() || !text.at(0).isPrint();
        return !editingKey && !(text.size() == 1 && fields_[i].second.contains(text));
    }
    return false;
}
