#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <utility>
#include <vector>

class QLineEdit;
class QWidget;

// The key filters of the range dialogs: each field takes only its own characters (and
// Backspace), Enter moves on to the next field, and Enter in the last one runs the dialog's OK.
// Text pasted or dropped into a field is filtered the same way, character by character.
class FieldKeys : public QObject {
public:
    explicit FieldKeys(QObject* parent, std::function<void()> ok) : QObject(parent), ok_(std::move(ok)) {}

    void Add(QLineEdit* field, const QString& accepted);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Field {
        QLineEdit* edit;
        QString accepted;
        QString before;  // the text before the user's latest edit
    };
    void FilterEdit(Field& field, const QString& after);

    std::vector<Field> fields_;
    std::function<void()> ok_;
};

// A text field of a range dialog, named for tests and screen readers.
QLineEdit* MakeField(QWidget* parent, const char* name);

inline const QString TemperatureKeys = QStringLiteral("0123456789-.");
inline const QString DigitKeys = QStringLiteral("0123456789");
